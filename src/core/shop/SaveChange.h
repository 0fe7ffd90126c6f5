#pragma once

#include "core/shop/ShopDocument.h"
#include "core/text/StringTable.h"

#include <optional>
#include <string>
#include <vector>

namespace shopkeeper::shop {

// A cell whose text a save changes. A cell that is not there (past the end of a row or page)
// has the empty text; fill marks an empty slot that the save writes as "-1".
struct CellChange
{
    CellAt at;
    std::string before;
    std::string after;
    bool fill = false;
};

struct NameChange
{
    int page = 0;
    std::string before;
    std::string after;
};

// A line of the page-name table, decoded; before is empty for a line the save adds.
struct TableLineChange
{
    std::size_t line = 0; // from 0
    std::string before;
    std::string after;
};

// What a save changes of a shop, in the shop's own terms.
struct ShopChange
{
    std::vector<CellChange> cells; // by page, row, column
    std::vector<NameChange> names;
    std::optional<std::pair<bool, bool>> repairable; // before, after; nothing when it stays
    std::vector<TableLineChange> tableLines;

    bool empty() const { return cells.empty() && names.empty() && !repairable && tableLines.empty(); }
};

// The cells, page names and repair flag that differ between two reads of a shop.
ShopChange compareShops(const ShopDocument& before, const ShopDocument& after);
// The lines of after that differ from before's line at the same place, or that before lacks.
std::vector<TableLineChange> compareTables(const text::StringTable& before, const text::StringTable& after);

} // namespace shopkeeper::shop
