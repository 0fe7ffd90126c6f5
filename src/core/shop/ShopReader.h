#pragma once

#include "shop/ShopDocument.h"

#include <expected>
#include <filesystem>
#include <string>

namespace shopkeeper::shop {

inline constexpr const char* kMissingSellBlockMessage =
    "商店文件中没有找到完整的[sell item]…[/sell item]数据块，无法读取！";

struct ShopReadError
{
    std::string message;
    std::string sellBody; // the raw block, for showing it when it has too many pages
    bool tooManyPages = false;
};

// Reads a .shp file. A shop that cannot be read fails as a whole: nothing of it is returned,
// so the caller is never left holding the previous shop's data bound to the new file.
class ShopReader
{
public:
    static std::expected<ShopDocument, ShopReadError> read(const std::filesystem::path& path,
                                                           text::StringTable table);
    static std::expected<ShopDocument, ShopReadError> fromBytes(std::string bytes, text::StringTable table);

    // The tab-name part: tabSection, tabKeys, pageNames and the captions.
    static void readTabNames(ShopDocument& document);
};

// The shop's own tab keys are "tab_name_" followed by digits (or nothing); any other key may be
// shared by other shops and is never rewritten.
bool isOwnKey(std::string_view key);

} // namespace shopkeeper::shop
