#include "core/tools/WhereUsed.h"

#include <algorithm>

namespace shopkeeper::tools {

ItemUse itemUseOf(const ScannedShop& shop, const shop::CellAt& cell)
{
    const auto& document = *shop.document;
    const auto page = static_cast<std::size_t>(cell.page);
    return {shop.index,
            shop.path,
            shop.fileName,
            shop.naming.name,
            cell,
            document.captions[page],
            document.pages[page].cell(cell.row, cell.column)};
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
    auto outcome = WorkspaceScan::run(
        workspace,
        [&](ScannedShop& shop) {
            if (!shop.document) {
                result.unreadable.push_back(unreadableShop(shop));
                return;
            }
            for (const auto& cell : cellsHolding(shop.document->pages, ids))
                result.uses.push_back(itemUseOf(shop, cell));
        },
        control);
    if (!outcome)
        return std::unexpected(outcome.error());
    result.shopCount = outcome->shopCount;
    result.cancelled = outcome->cancelled;
    return result;
}

} // namespace shopkeeper::tools
