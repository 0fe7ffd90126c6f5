#pragma once

#include "core/Result.h"
#include "core/shop/ShopDocument.h"

#include <array>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace shopkeeper::cli {

// A shop as JSON: {"file", "revision", "repairable", "pages": [5 x {"name", "rows": [[7 cells], ...]}]}.
// The revision is the shop file's size and hash as read, "SIZE-HASH" (16 hex digits of FNV-1a 64).
nlohmann::ordered_json shopToJson(const shop::ShopDocument& document);
// Pages only: {"pages": [5 x {"rows": ...}]}.
nlohmann::ordered_json pagesToJson(const shop::ShopPages& pages);
std::string revisionOf(const io::FileFingerprint& fingerprint);
// JSON as the commands print it: one line, bytes that are no UTF-8 replaced.
std::string jsonLine(const nlohmann::ordered_json& value);

// What a save sets, read from JSON of the form shopToJson writes.
struct ShopEdit
{
    std::optional<std::string> file;
    std::optional<std::string> revision; // the shop file as show printed it; save checks it
    std::optional<bool> repairable;
    shop::ShopPages pages;
    std::array<std::optional<std::string>, shop::kPageCount> names;
};

// Checks the shape (at most 5 pages, at most 7 cells a row) and takes every cell exactly: an
// empty slot ("", "-1", -1 or null), or an item ID 1..2147483647 in decimal without sign or
// leading zeros (text or a JSON integer). Anything else, 0 too, is refused, naming page, row and
// column; nothing is rounded.
Result<ShopEdit> shopEditFromJson(const std::string& input);
Result<shop::ShopPages> pagesFromJson(const std::string& input);

void applyShopEdit(const ShopEdit& edit, shop::ShopDocument& document);

} // namespace shopkeeper::cli
