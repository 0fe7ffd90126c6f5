#include "core/shop/SaveChange.h"

#include <algorithm>

namespace shopkeeper::shop {

namespace {

const std::string& cellOf(const ShopPage& page, int row, int column)
{
    static const std::string none;
    return row < page.rowCount() ? page.cell(row, column) : none;
}

} // namespace

ShopChange compareShops(const ShopDocument& before, const ShopDocument& after)
{
    ShopChange change;
    for (int k = 0; k < kPageCount; ++k) {
        const auto& old = before.page(k);
        const auto& now = after.page(k);
        const int rows = std::max(old.rowCount(), now.rowCount());
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                const auto& a = cellOf(old, r, c);
                const auto& b = cellOf(now, r, c);
                if (a != b)
                    change.cells.push_back({{k, r, c}, a, b, a.empty() && b == "-1"});
            }
        }
        const auto& oldName = before.names()[static_cast<std::size_t>(k)];
        const auto& newName = after.names()[static_cast<std::size_t>(k)];
        if (oldName != newName)
            change.names.push_back({k, oldName, newName});
    }
    if (before.isRepairable() != after.isRepairable())
        change.repairable = std::pair{before.isRepairable(), after.isRepairable()};
    return change;
}

std::vector<TableLineChange> compareTables(const text::StringTable& before, const text::StringTable& after)
{
    std::vector<TableLineChange> lines;
    for (std::size_t i = 0; i < after.lineCount(); ++i) {
        auto now = after.decodedLine(i);
        auto old = i < before.lineCount() ? before.decodedLine(i) : std::string();
        if (old != now)
            lines.push_back({i, std::move(old), std::move(now)});
    }
    return lines;
}

} // namespace shopkeeper::shop
