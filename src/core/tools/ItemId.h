#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace shopkeeper::tools {

// An item ID as the user types it, to the tools and in a scripted save alike: a whole number
// from 1 to 2147483647 in decimal without sign or leading zeros, the form a cell holds it in.
// "-1" (an empty slot), "0", "+5", "007", negative numbers, decimals ("12.5"), other text and
// numbers past 32 bits are no item ID: nothing. (A shop file's "007" is read by the cell rule.)
std::optional<std::string> parseItemId(std::string_view text);

// The message for a text that parseItemId refuses.
std::string notAnItemIdMessage(std::string_view text);

} // namespace shopkeeper::tools
