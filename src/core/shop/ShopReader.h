#pragma once

#include "core/shop/ShopDocument.h"

#include <cstddef>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace shopkeeper::shop {

inline constexpr const char* kMissingSellBlockMessage =
    "商店文件中没有找到完整的[sell item]…[/sell item]数据块，无法读取！";
inline constexpr const char* kOverlappingBlocksMessage =
    "商店文件的[tab name]…[/tab name]和[sell item]…[/sell item]数据块互相重叠，无法读取！";

struct ShopReadError
{
    enum class Kind
    {
        BadPath,           // the name does not lead to a file inside the shop folder
        Missing,           // the shop file does not exist
        Unreadable,        // the shop file exists but cannot be read
        TableUnreadable,   // itemshop.kor.str exists but cannot be read
        NoSellBlock,       // no complete "[sell item]" ... "[/sell item]"
        UnknownFormat,     // an item of the block is no item ID
        TooManyPages,      // the block has more than five pages
        OverlappingBlocks, // the tab-name block and the sell block overlap
        WouldNotRoundTrip, // a save without edits would change what the shop means
    };
    Kind kind = Kind::Unreadable;
    std::string message;
    std::string sellBody;      // the raw block, for showing it when it has too many pages
    bool tooManyPages = false; // kind == TooManyPages, kept for existing callers
};

// Where a section of a shop text lies: from the first open tag through the end of the first
// close tag. Nothing when either tag is missing or the close tag comes first.
struct SectionRange
{
    std::size_t begin = 0;
    std::size_t end = 0; // one past the close tag
};
std::optional<SectionRange> findSection(std::string_view text, std::string_view open, std::string_view close);

// Reads a .shp file. A shop that cannot be read fails as a whole: nothing of it is returned,
// so the caller is never left holding the previous shop's data bound to the new file. A shop
// is read only when a save without edits would give it back unchanged in meaning (the same
// pages, names and repair flag); a malformed file whose save would not is refused.
class ShopReader
{
public:
    // Reads the page-name table at tablePath and then the shop, the way choosing an NPC does.
    // A missing table gives default page names; a table that exists but cannot be read fails
    // the open: a shop opened without it would save a table without every other shop's names.
    static std::expected<ShopDocument, ShopReadError> open(const std::filesystem::path& path,
                                                           const std::filesystem::path& tablePath);
    static std::expected<ShopDocument, ShopReadError> read(const std::filesystem::path& path,
                                                           text::StringTable table);
    static std::expected<ShopDocument, ShopReadError> fromBytes(std::string bytes, text::StringTable table);

    // The shop as fromBytes reads it, without the round-trip check and with names from table,
    // which the document does not keep. The writer checks its plan with this.
    static std::expected<ShopDocument, ShopReadError> parse(std::string bytes,
                                                            const text::StringTable& table);
};

// The shop's own tab keys are "tab_name_" followed by digits (or nothing); any other key may be
// shared by other shops and is never rewritten.
bool isOwnKey(std::string_view key);

} // namespace shopkeeper::shop
