#pragma once

#include "core/Result.h"
#include "core/shop/ShopPage.h"

#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace shopkeeper::shop {

inline constexpr const char* kTooManyPagesMessage = "商店数据超过5页无法读取，请删除多出的页数据！";
inline constexpr const char* kUnknownFormatMessage = "数据格式未知,无法读取！";

// Why a block could not be read.
struct BlockError
{
    enum class Kind
    {
        UnknownFormat, // an item that is no item ID; the message's second line names it and its page
        TooManyPages,  // more than five pages
    };
    Kind kind = Kind::UnknownFormat;
    std::string message;

    bool tooManyPages() const { return kind == Kind::TooManyPages; }
    operator Error() const { return Error{message}; }
};

// The item list of one shop: items each followed by TAB, pages 2 to 5 introduced by the item
// "-2", empty slots "-1".
class SellItemBlock
{
public:
    // The items of each page, pages 1..N (N at most 5), as the cells will hold them: every item
    // goes through the cell rule, so "0" is an empty cell, "007" is "7" and "+5" is "5", the
    // same whether the block comes from a shop file or is pasted. Each item is followed by a TAB:
    // an empty item between two TABs is an empty cell, so the items after it keep their places,
    // and what follows the last TAB is an item only when it holds more than white space. Line
    // breaks and spaces around an item are not part of it (a block written a row a line reads
    // like one line); one inside an item ("1 2") makes it no item ID. Only a whole item "-2"
    // starts a new page ("-25" is an item). A text with no item gives no page. More than five
    // pages, an item that is not a whole number, or one the cell rule would store as the page
    // break "-2" ("-02") is refused with the user's message.
    static std::expected<std::vector<std::vector<std::string>>, BlockError> read(std::string_view text);

    // Lays the items out as pages of seven-column rows: page k from its items, pages past the
    // last one with no rows.
    static ShopPages toPages(const std::vector<std::vector<std::string>>& pageItems);

    // The block text of the pages, as the output and the save write it. Empty rows are removed
    // from the pages and empty cells set to "-1" first, so the pages hold what was written. A page
    // without rows before a filled page is written as a page break with nothing after it, so
    // every page keeps its place.
    static std::string serialise(ShopPages& pages);

    // Whether the text holds a TAB: a pasted text without one is not a block.
    static bool hasTab(std::string_view text) { return text.find('\t') != std::string_view::npos; }

    // A block laid out for reading: seven items a line, one page row per line, and each page
    // break "-2" on a line of its own. Only line breaks are added; TABs and items stay.
    static std::string rowsPerLine(std::string_view block);
};

} // namespace shopkeeper::shop
