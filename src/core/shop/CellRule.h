#pragma once

#include "Result.h"

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

// The cell rule with its reason: the text to store, or an error that tells the user why the
// value was refused. A value stored as "-2" is refused too: that is the page break of a
// sell-item block, and a cell holding it would split its page when the shop is written.
Result<std::string> checkCell(std::string_view text);

// True for a whole number with an optional sign, the only item form a sell-item block holds.
bool isWholeNumber(std::string_view text);

} // namespace shopkeeper::shop
