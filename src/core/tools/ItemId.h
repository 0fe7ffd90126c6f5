#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace shopkeeper::tools {

// An item ID as the tools take it from the user: a whole number from 1 to 2147483647, with an
// optional "+" and leading zeros, returned in the form a cell holds it ("007" -> "7"). "-1" (an
// empty slot), "0", negative numbers, decimals ("12.5"), other text and numbers past 32 bits
// are no item ID: nothing.
std::optional<std::string> parseItemId(std::string_view text);

// The message for a text that parseItemId refuses.
std::string notAnItemIdMessage(std::string_view text);

} // namespace shopkeeper::tools
