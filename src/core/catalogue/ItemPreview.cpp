#include "core/catalogue/ItemPreview.h"

namespace shopkeeper::catalogue {

std::optional<PreviewPage> previewPage(const ItemCatalogue& catalogue, const shop::ShopPage& page,
                                       const std::atomic<bool>* cancel)
{
    PreviewPage rows;
    rows.reserve(page.rows().size());
    for (const auto& cells : page.rows()) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return std::nullopt;
        PreviewRow& row = rows.emplace_back();
        for (int c = 0; c < shop::kColumns; ++c)
            row[static_cast<std::size_t>(c)] = catalogue.idToName(cells[static_cast<std::size_t>(c)]);
    }
    return rows;
}

} // namespace shopkeeper::catalogue
