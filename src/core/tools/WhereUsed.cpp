#include "core/tools/WhereUsed.h"

#include <algorithm>
#include <optional>

namespace shopkeeper::tools {

ItemUse itemUseOf(const shop::ShopDocument& document, const shop::CellAt& cell)
{
    const auto page = static_cast<std::size_t>(cell.page);
    return {0, {}, {}, {}, cell, document.names()[page], document.pages()[page].cell(cell.row, cell.column)};
}

std::vector<shop::CellAt> WhereUsed::cellsHolding(const shop::ShopPages& pages,
                                                  const std::vector<std::string>& ids)
{
    std::vector<shop::CellAt> cells;
    for (int k = 0; k < shop::kPageCount; ++k) {
        const auto& page = pages[static_cast<std::size_t>(k)];
        for (int r = 0; r < page.rowCount(); ++r) {
            for (int c = 0; c < shop::kColumns; ++c) {
                if (std::ranges::find(ids, page.cell(r, c)) != ids.end())
                    cells.push_back({k, r, c});
            }
        }
    }
    return cells;
}

std::expected<WhereUsedResult, workspace::LoadError> WhereUsed::find(const workspace::Workspace& workspace,
                                                                     const std::vector<std::string>& ids,
                                                                     const ToolControl& control)
{
    WhereUsedResult result;
    struct Found
    {
        std::optional<shop::ShopReadError> error;
        std::vector<ItemUse> uses;
    };
    auto outcome = WorkspaceScan::run<Found>(
        workspace,
        [&](ShopRead& read) {
            Found found;
            if (!read) {
                found.error = std::move(read.error());
                return found;
            }
            for (const auto& cell : cellsHolding(read->pages(), ids))
                found.uses.push_back(itemUseOf(*read, cell));
            return found;
        },
        [&](const ShopPlace& place, Found& found) {
            if (found.error) {
                result.unreadable.push_back(unreadableShop(place, *found.error));
                return;
            }
            appendPlaced(place, found.uses, result.uses);
        },
        control);
    if (!outcome)
        return std::unexpected(outcome.error());
    result.shopCount = outcome->shopCount;
    result.cancelled = outcome->cancelled;
    return result;
}

} // namespace shopkeeper::tools
