#include "core/tools/ItemId.h"

#include <cstdint>
#include <limits>

namespace shopkeeper::tools {

std::optional<std::string> parseItemId(std::string_view text)
{
    if (text.starts_with('+'))
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
            return std::nullopt;
    }
    if (value == 0)
        return std::nullopt;
    return std::to_string(value);
}

std::string notAnItemIdMessage(std::string_view text)
{
    return "“" + std::string(text) + "”不是物品ID（物品ID是1到2147483647的整数）。";
}

} // namespace shopkeeper::tools
