#pragma once

#include "core/Result.h"
#include "core/shop/ShopDocument.h"

#include <array>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace shopkeeper::cli {

// A shop as JSON: {"file", "repairable", "pages": [5 x {"name", "rows": [[7 cells], ...]}]}.
nlohmann::ordered_json shopToJson(const shop::ShopDocument& document);
// Pages only: {"pages": [5 x {"rows": ...}]}.
nlohmann::ordered_json pagesToJson(const shop::ShopPages& pages);

// What a save sets, read from JSON of the form shopToJson writes.
struct ShopEdit
{
    std::optional<std::string> file;
    std::optional<bool> repairable;
    shop::ShopPages pages;
    std::array<std::optional<std::string>, shop::kPageCount> names;
};

// Checks the shape (at most 5 pages, at most 7 cells a row, cells that are item IDs) and puts
// every cell through the cell rule. An error says what is wrong and where.
Result<ShopEdit> shopEditFromJson(const std::string& input);
Result<shop::ShopPages> pagesFromJson(const std::string& input);

void applyShopEdit(const ShopEdit& edit, shop::ShopDocument& document);

} // namespace shopkeeper::cli
