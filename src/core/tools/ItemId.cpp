#include "core/tools/ItemId.h"

#include <cstdint>
#include <limits>

namespace shopkeeper::tools {

std::optional<std::string> parseItemId(std::string_view text)
{
    // Exact: what is typed is what a cell holds, so "007" or "+5" is refused rather than taken
    // as an ID the user did not write.
    if (text.empty() || text.size() > 10 || text.front() < '1' || text.front() > '9')
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return std::string(text);
}

std::string notAnItemIdMessage(std::string_view text)
{
    return "“" + std::string(text) + "”不是物品ID（物品ID是1到2147483647的整数，十进制，不带符号和前导0）。";
}

} // namespace shopkeeper::tools
