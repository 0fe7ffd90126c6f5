#include "core/shop/CellRule.h"

#include "core/text/ScriptText.h"

#include <algorithm>

namespace shopkeeper::shop {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Adds one to a string of decimal digits.
std::string incremented(std::string digits)
{
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return digits;
        }
        digits[i] = '0';
    }
    return "1" + digits;
}

// Whether digits (no sign, no leading zeros) fit in 32 bits with the sign given.
bool fitsInt32(std::string_view digits, bool negative)
{
    const std::string_view limit = negative ? "2147483648" : "2147483647";
    return digits.size() < limit.size() || (digits.size() == limit.size() && digits <= limit);
}

} // namespace

std::expected<std::string, CellRefusal> cellValue(std::string_view text)
{
    text = text::trimmed(text);
    if (text.empty() || text == "0")
        return std::string();
    // The common case, a whole number already in its stored form, needs no work.
    {
        const std::size_t first = text.front() == '-' ? 1 : 0;
        if (text.size() > first && text[first] >= '1' && text[first] <= '9' &&
            std::all_of(text.begin() + static_cast<std::ptrdiff_t>(first), text.end(), isDigit)) {
            if (text == "-2")
                return std::unexpected(CellRefusal::PageBreak);
            if (!fitsInt32(text.substr(first), first == 1))
                return std::unexpected(CellRefusal::TooLarge);
            return std::string(text);
        }
    }

    // The longest leading decimal number: sign, digits, optional fraction.
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::string whole;
    while (i < text.size() && isDigit(text[i]))
        whole.push_back(text[i++]);
    bool sawDigit = !whole.empty();
    bool roundUp = false;
    bool fractionNonZero = false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (i < text.size() && isDigit(text[i])) {
            sawDigit = true;
            roundUp = text[i] >= '5';
            for (; i < text.size() && isDigit(text[i]); ++i)
                fractionNonZero = fractionNonZero || text[i] != '0';
        }
    }
    const auto firstNonZero = whole.find_first_not_of('0');
    whole = firstNonZero == std::string::npos ? std::string() : whole.substr(firstNonZero);
    if (whole.empty() && !fractionNonZero)
        return std::unexpected(sawDigit ? CellRefusal::Zero : CellRefusal::NotANumber);
    if (roundUp)
        whole = incremented(whole.empty() ? "0" : whole);
    if (whole.empty())
        return std::unexpected(CellRefusal::Zero); // rounds to zero, which a cell never shows
    if (negative && whole == "2")
        return std::unexpected(CellRefusal::PageBreak);
    if (!fitsInt32(whole, negative))
        return std::unexpected(CellRefusal::TooLarge);
    return negative ? "-" + whole : whole;
}

std::optional<std::string> normaliseCell(std::string_view text)
{
    auto value = cellValue(text);
    if (!value)
        return std::nullopt;
    return std::move(*value);
}

std::string cellRefusalMessage(CellRefusal refusal, std::string_view text)
{
    const std::string shown = "“" + std::string(text) + "”";
    switch (refusal) {
    case CellRefusal::NotANumber:
        return shown + "不是物品ID。";
    case CellRefusal::Zero:
        return shown + "的值为0，不是物品ID。";
    case CellRefusal::PageBreak:
        return shown + "会被存成-2，而-2是分页标记，不能放在格子里。";
    case CellRefusal::TooLarge:
        return shown + "超出了物品ID的范围（游戏的物品ID是32位整数，最大2147483647）。";
    }
    return shown + "不是物品ID。";
}

bool isWholeNumber(std::string_view text)
{
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        text.remove_prefix(1);
    if (text.empty())
        return false;
    for (char c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

} // namespace shopkeeper::shop
