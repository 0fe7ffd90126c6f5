#include "shop/CellRule.h"

#include "text/ScriptText.h"

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

} // namespace

std::optional<std::string> normaliseCell(std::string_view text)
{
    text = text::trimmed(text);
    if (text.empty() || text == "0")
        return std::string();

    // The longest leading decimal number: sign, digits, optional fraction.
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::string whole;
    while (i < text.size() && isDigit(text[i]))
        whole.push_back(text[i++]);
    bool roundUp = false;
    bool fractionNonZero = false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (i < text.size() && isDigit(text[i])) {
            roundUp = text[i] >= '5';
            for (; i < text.size() && isDigit(text[i]); ++i)
                fractionNonZero = fractionNonZero || text[i] != '0';
        }
    }
    const auto firstNonZero = whole.find_first_not_of('0');
    whole = firstNonZero == std::string::npos ? std::string() : whole.substr(firstNonZero);
    if (whole.empty() && !fractionNonZero)
        return std::nullopt; // no number, or a value of zero
    if (roundUp)
        whole = incremented(whole.empty() ? "0" : whole);
    if (whole.empty())
        return std::nullopt; // rounds to zero, which a cell never shows
    return negative ? "-" + whole : whole;
}

Result<std::string> checkCell(std::string_view text)
{
    auto stored = normaliseCell(text);
    const std::string shown(text::trimmed(text));
    if (!stored)
        return fail("“" + shown + "”不是物品ID：格子里只能填整数（空格子表示空位）。");
    if (*stored == "-2")
        return fail("“" + shown + "”会被写成 -2，而 -2 是分页标记，不能放在格子里。");
    return *stored;
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
