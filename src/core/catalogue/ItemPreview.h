#pragma once

#include "core/catalogue/ItemCatalogue.h"
#include "core/shop/ShopPage.h"

#include <array>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

namespace shopkeeper::catalogue {

// The names of one page's items, laid out as the page: row r, column c holds idToName of the
// page's cell (r, c), so an empty slot is an empty name and an ID no table knows is "未知物品".
using PreviewRow = std::array<std::string, shop::kColumns>;
using PreviewPage = std::vector<PreviewRow>;

// Run on a worker, one call per page (or all five in one job). The refresh first removes the
// empty rows of the pages and fills their empty cells with "-1", then hands copies of the
// pages here; the rows come back in the page's order. cancel, when given, is checked between
// rows: setting it abandons the fill (the preview was closed), and the call returns nothing.
std::optional<PreviewPage> previewPage(const ItemCatalogue& catalogue, const shop::ShopPage& page,
                                       const std::atomic<bool>* cancel = nullptr);

} // namespace shopkeeper::catalogue
