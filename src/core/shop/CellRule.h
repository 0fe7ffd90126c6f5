#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace shopkeeper::shop {

// The rule for a value the program puts into an item cell. The columns are numeric with no
// decimals and never show zero: "" and "0" leave the cell empty; any other text whose value
// (its longest leading decimal number, 0 when there is none) is zero is refused; anything else
// is stored as its value rounded to a whole number ("12.6" -> "13", "-1" stays "-1").
// Returns the text to store, or nothing when the value is refused.
std::optional<std::string> normaliseCell(std::string_view text);

// True for a whole number with an optional sign, the only item form a sell-item block holds.
bool isWholeNumber(std::string_view text);

} // namespace shopkeeper::shop
