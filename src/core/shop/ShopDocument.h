#pragma once

#include "core/Result.h"
#include "core/io/FileSystem.h"
#include "core/shop/CellRule.h"
#include "core/shop/ShopPage.h"
#include "core/text/ScriptTextFile.h"
#include "core/text/StringTable.h"

#include <array>
#include <cstdint>
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

using PageNames = std::array<std::string, kPageCount>;

// What the reader found in a shop file, so that the writer can change the edited places and
// nothing else; a save compares it with what is on disk by then. Editing never changes it.
struct ShopSource
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
    text::StringTable table; // the page-name table itemshop.kor.str as read with the shop
    // As read: a save re-encodes only the names the user changed, and keeps the kind line
    // unless the flag was changed.
    PageNames readNames = defaultPageNames();
    bool readRepairable = false;

    static PageNames defaultPageNames();
};

// What one operation did to the document, for the undo history to replay and the views to show.
struct DocumentChange
{
    enum class Kind
    {
        Cells,     // the cells listed changed; no row came or went
        Rows,      // rows came or went, or a paste laid the page out again
        PageReset, // the page is another one as a whole (a read, an undo)
        Names,     // page names
        Repair,    // the repair flag
    };
    Kind kind = Kind::Cells;
    int page = -1; // Cells, Rows, PageReset
    // Cells: the cells changed. Rows: the cells of kept rows whose text changed, where they are now.
    std::vector<CellPosition> cells;
    // Rows, PageReset: for each row now, the row it was before, or -1 for a new one. After a
    // reset a row counts as kept only where the page still begins with the same rows.
    std::vector<int> rowsFrom;
    // Rows, PageReset: which layout of rows the page has now. An undo brings an earlier layout
    // back with its number, so a view can keep what it knows per layout.
    std::uint64_t layout = 0;
    bool operator==(const DocumentChange&) const = default;
};
using DocumentChanges = std::vector<DocumentChange>;

// A page with its layout number: what an undo puts back.
struct PageSnapshot
{
    ShopPage page;
    std::uint64_t layout = 0;
    bool operator==(const PageSnapshot&) const = default;
};

// The one shop being edited: its five pages, their names and the repair flag, over what was read
// from its file. The content is changed only by the operations below, each with its rule, and
// each reports what it changed; none of them touches what was read. A save is the writer over
// this document. page is 0..4; a page out of range changes nothing.
class ShopDocument
{
public:
    ShopDocument();
    ShopDocument(ShopSource source, ShopPages pages, PageNames names, bool repairable);

    // What was read: the reader and the writer fill it in; no edit touches it.
    const ShopSource& source() const { return source_; }
    ShopSource& source() { return source_; }
    const std::filesystem::path& path() const { return source_.path; }
    bool isBound() const { return !source_.path.empty(); }

    const ShopPages& pages() const { return pages_; }
    const ShopPage& page(int page) const { return pages_.at(static_cast<std::size_t>(page)); }
    const PageNames& names() const { return names_; }
    bool isRepairable() const { return repairable_; }
    PageSnapshot snapshot(int page) const;

    // --- The edits. ---

    // Sets a cell by the numeric cell rule. Nothing when the cell stays as it was; the refusal
    // when the rule refuses the text, which leaves the cell as it was.
    std::expected<DocumentChanges, CellRefusal> setCell(int page, CellPosition at, std::string_view typed);
    // TAB-separated lines into the page from at on, rows added at the bottom as needed; each
    // value goes through the cell rule and refused counts those refused.
    DocumentChanges paste(int page, CellPosition at, std::string_view text, int& refused);
    // Empties the given cells; those past the page's end are skipped.
    DocumentChanges clearCells(int page, const std::vector<CellPosition>& cells);
    DocumentChanges addRows(int page, int count);
    // Deletes every row of the page, or of all five.
    DocumentChanges clearPage(int page);
    DocumentChanges clearAllPages();
    // What the output, the save and the preview do first: rows of seven empty cells go, then
    // every empty cell becomes "-1".
    DocumentChanges tidy();
    // A captured ID into the cursor cell, which must be empty: a filled cell is never
    // overwritten. The cell rule decides what is stored ("0" leaves it empty). next is where the
    // cursor goes (along the row, then to the first cell of the next row; at the last cell it
    // stays); nothing when the cell was not filled and the cursor stays.
    struct Fill
    {
        CellPosition next;
        DocumentChanges changes;
    };
    std::optional<Fill> fillSelectedCell(int page, CellPosition cursor, std::string_view text);
    // Every cell holding the item from (in cell form) gets to; "-1" as to empties the slot.
    DocumentChanges replaceItem(std::string_view from, std::string_view to);
    // New names by the rename rules of pageNameFromInput; a name that stays as it was is not
    // looked at. A refused name changes nothing.
    Result<DocumentChanges> rename(const PageNames& typed);
    DocumentChanges setRepairable(bool on);

    // --- Whole documents and the undo history's replays, which bring back what was. ---

    // The pages as given (the read of a pasted block).
    DocumentChanges showPages(const ShopPages& shown);
    // The pages stay; the file they came from, their names and the flag go.
    DocumentChanges forgetSource();
    // This document becomes other (a shop read), page by page.
    DocumentChanges replaceWith(ShopDocument other);
    // This document becomes the shop as written; a page the write left as it was keeps its layout.
    DocumentChanges takeWritten(ShopDocument written);
    DocumentChanges restorePage(int page, PageSnapshot snapshot);
    DocumentChanges restoreCell(int page, CellPosition at, std::string text);
    DocumentChanges restoreNames(const PageNames& names);

private:
    DocumentChange rowsChange(int page, std::vector<int> rowsFrom, std::vector<CellPosition> cells = {});
    DocumentChange resetChange(int page, const ShopPage& before);

    ShopSource source_;
    ShopPages pages_;
    PageNames names_ = ShopSource::defaultPageNames();
    bool repairable_ = false;
    std::array<std::uint64_t, kPageCount> layouts_{};
};

// The name a page gets from the text the user gave for it: "-1" restores the
// default name of that page (1..5), any other text is the name as typed. A name the table
// cannot hold as one line is refused with the reason.
Result<std::string> pageNameFromInput(int page, std::string_view typed);

} // namespace shopkeeper::shop
