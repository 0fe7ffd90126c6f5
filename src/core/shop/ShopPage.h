#pragma once

#include "core/Result.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace shopkeeper::shop {

inline constexpr int kColumns = 7;
inline constexpr int kPageCount = 5;

// One shop page: rows of seven item cells. Item n of a page sits in row n / 7, column n % 7.
// An empty cell and a cell holding "-1" are the same empty slot; "-2" never sits in a page.
class ShopPage
{
public:
    using Row = std::array<std::string, kColumns>;

    // A page laid out from a list of items: as many rows as the items need, and one empty row
    // when there is no item.
    static ShopPage fromItems(const std::vector<std::string>& items);
    static ShopPage fromRows(std::vector<Row> rows);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    const std::string& cell(int row, int column) const;
    const std::vector<Row>& rows() const { return rows_; }

    // Sets a cell by the numeric cell rule; false (and the cell unchanged) when refused.
    bool setCell(int row, int column, std::string_view text);
    // Sets a cell to text that is already in cell form (the undo of an edit, say).
    void setCellText(int row, int column, std::string text);

    void appendRows(int count);
    void removeRow(int at);
    void clear() { rows_.clear(); }

    bool isRowEmpty(int row) const;
    // True when any cell holds text: the page is written when the shop is saved.
    bool hasItems() const;
    // Deletes every row whose seven cells are all empty ("-1" is not empty).
    void removeEmptyRows();
    // Sets every empty cell to "-1".
    void fillEmptyCells();

    // The cells of a rectangle as TAB-separated lines, for the clipboard.
    std::string copyRange(int top, int left, int bottom, int right) const;
    // Puts TAB-separated lines into the page from (row, column) on, adding rows at the bottom as
    // needed; every value goes through the cell rule and a refused one leaves its cell as it was.
    // Returns the number of refused values.
    int pasteAt(int row, int column, std::string_view text);

    // Every cell in row-major order.
    std::vector<std::string> items() const;

    bool operator==(const ShopPage&) const = default;

private:
    std::vector<Row> rows_;
};

using ShopPages = std::array<ShopPage, kPageCount>;

// One cell of a shop: page, row and column, each counted from 0.
struct CellAt
{
    int page = 0;
    int row = 0;
    int column = 0;
    bool operator==(const CellAt&) const = default;
};

// Puts to into every cell that holds exactly from (cells hold items in the cell rule's form, so
// from must be too) and returns those cells in page, row, column order. "-1" as to empties the
// slot the way a save writes an empty cell.
std::vector<CellAt> replaceItem(ShopPages& pages, std::string_view from, std::string_view to);

// "第一页" ... "第五页" for page 1 to 5.
std::string defaultPageName(int page);
// True for one of those five names.
bool isDefaultPageName(std::string_view name);

// Page names go into a line-based table as key ">" name: a name holding CR, LF, ">" or NUL
// would cut the name short or plant a line for another key. The error names the character. An
// empty name is refused as well: the table's "key>" line reads back as the default name.
Status checkPageName(std::string_view name);

} // namespace shopkeeper::shop
