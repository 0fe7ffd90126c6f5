#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace shopkeeper::shop {

// Why the cell rule refuses a value.
enum class CellRefusal
{
    NotANumber, // no leading decimal number at all ("abc")
    Zero,       // a value of zero other than "" and "0" ("00", "0.2", "-0")
    PageBreak,  // would be stored as "-2", which a sell-item block reads as a page break
    TooLarge,   // does not fit in the game's 32-bit item IDs (above 2147483647, below -2147483648)
};

// The rule for a value the program puts into an item cell. The columns are numeric with no
// decimals and never show zero: "" and "0" leave the cell empty; any other text whose value
// (its longest leading decimal number, 0 when there is none) is zero is refused; anything else
// is stored as its value rounded to a whole number ("12.6" -> "13", "-1" stays "-1", "007" ->
// "7", "+5" -> "5"). A value stored as "-2" ("-2", "-1.6", "-02") is refused: written out it
// would split the page in two. A value outside the 32 bits of an item ID is refused.
std::expected<std::string, CellRefusal> cellValue(std::string_view text);

// The text to store, or nothing when the value is refused.
std::optional<std::string> normaliseCell(std::string_view text);

// A sentence that says why text was refused, as the editor and the CLI tell the user.
std::string cellRefusalMessage(CellRefusal refusal, std::string_view text);

// True for a whole number with an optional sign, the only item form a sell-item block holds.
bool isWholeNumber(std::string_view text);

} // namespace shopkeeper::shop
