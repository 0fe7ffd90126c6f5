#pragma once

#include "core/Result.h"
#include "core/io/FileSystem.h"
#include "core/shop/CellRule.h"
#include "core/shop/ShopPage.h"
#include "core/text/ScriptTextFile.h"
#include "core/text/StringTable.h"

#include <array>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shopkeeper::shop {

// A cell of a page: row and column from 0.
struct CellPosition
{
    int row = 0;
    int column = 0;
    bool operator==(const CellPosition&) const = default;
};

// One page and which of its rows are shaded grey. Shading only ever
// paints, so a grey row stays grey when rows above it go; it moves with its row.
struct PageState
{
    ShopPage page;
    std::vector<bool> shaded;
    bool operator==(const PageState&) const = default;
};

using PageNames = std::array<std::string, kPageCount>;

// The one shop being edited: its five pages with their row shading, their names, the repair
// flag, and what the reader found in the file so that the writer can change those places and
// nothing else. Every edit the editor makes is one of the operations below, each with its
// rules; the fields that record what was read are compared by a save with what is on disk by
// then. A save is the writer over this document.
struct ShopDocument
{
    std::filesystem::path path;       // empty when no file is bound
    text::ScriptTextFile file;        // the file's text as read, and what followed its first NUL
    io::FileFingerprint fingerprint;  // of the bytes read, to notice another program's change
    std::string sellSection;          // "[sell item]" ... "[/sell item]", tags included, as in the file
    std::string sellBody;             // the block between the tags, cleaned
    std::string tabSection;           // "[tab name]" ... "[/tab name]" as in the file; empty when absent
    std::vector<std::string> tabKeys; // one per line of the tab-name block, in file order
    std::vector<std::optional<std::string>>
        pageNames; // per tab key that names a page; nothing where none was found
    // The tab key of each page. Tab lines name the pages that hold items, in order, the way a
    // save writes them: with page 1 empty, the first tab line names page 2.
    std::array<std::optional<std::string>, kPageCount> pageKeys;
    bool repairable = false;
    text::StringTable table; // the page-name table itemshop.kor.str as read with the shop
    ShopPages pages;
    PageNames captions = {"第一页", "第二页", "第三页", "第四页", "第五页"};

    // As read: a save re-encodes only the names the user changed, and keeps the kind line
    // unless the flag was changed.
    PageNames readCaptions = captions;
    bool readRepairable = false;

    // Grey rows per page; a row past the end of its page's list is white.
    std::array<std::vector<bool>, kPageCount> shading;

    bool isBound() const { return !path.empty(); }
    void resetCaptions();

    // --- What the editor does to the pages. page is 0..4; a page out of range does nothing. ---

    const ShopPage& page(int page) const { return pages.at(static_cast<std::size_t>(page)); }
    bool isRowShaded(int page, int row) const;
    PageState pageState(int page) const;
    // Puts a page back as it was (the undo of any page operation).
    void restorePage(int page, PageState state);

    // The read of a shop or of a pasted block: the pages as given, every second row grey.
    void showPages(const ShopPages& shown);
    // Paints every second row (1, 3, 5, ...) grey; the others are not touched.
    void shadeRows(int page);
    // Sets a cell by the numeric cell rule. True when the cell changed; the refusal when the
    // rule refuses the text, which leaves the cell as it was.
    std::expected<bool, CellRefusal> setCell(int page, CellPosition at, std::string_view typed);
    // Sets a cell to text already in cell form (the undo of an edit).
    void setCellText(int page, CellPosition at, std::string text);
    // TAB-separated lines into the page from at on, rows added at the bottom as needed and the
    // page shaded again; each value goes through the cell rule. Returns how many were refused.
    int paste(int page, CellPosition at, std::string_view text);
    // Empties the given cells; those past the page's end are skipped.
    void clearCells(int page, const std::vector<CellPosition>& cells);
    // Appends count empty rows, then shades the page.
    void addRows(int page, int count);
    // Deletes every row of the page, or of all five.
    void clearPage(int page);
    void clearAllPages();
    // What the output, the save and the preview do first: rows of seven empty cells go (with
    // their shading), then every empty cell becomes "-1".
    void tidy();
    // A captured ID into the cursor cell, which must be empty: a filled cell is never
    // overwritten. The cell rule decides what is stored ("0" leaves it empty). Returns where
    // the cursor goes next (along the row, then to the first cell of the next row; at the last
    // cell it stays), or nothing when the cell was not filled and the cursor stays.
    std::optional<CellPosition> fillSelectedCell(int page, CellPosition cursor, std::string_view text);
    // Every cell holding the item from (in cell form) gets to; "-1" as to empties the slot.
    // Returns the cells changed, in page, row, column order.
    std::vector<CellAt> replaceItem(std::string_view from, std::string_view to);

    void setCaptions(const PageNames& names) { captions = names; }
    void setRepairable(bool on) { repairable = on; }
};

// The name a page gets from the text the user gave for it: "-1" restores the
// default name of that page (1..5), any other text is the name as typed. A name the table
// cannot hold as one line is refused with the reason.
Result<std::string> pageNameFromInput(int page, std::string_view typed);

} // namespace shopkeeper::shop
