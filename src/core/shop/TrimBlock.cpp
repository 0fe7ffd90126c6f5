#include "core/shop/TrimBlock.h"

#include "core/regex/RegexObject.h"

namespace shopkeeper::shop {

namespace {

// What "\s" matches in the pattern below: ASCII white space only (the pattern is not in
// Unicode property mode).
bool isPatternSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// True when "\n\s*\r" matches somewhere: an LF whose run of white space that follows holds a
// CR. Most blocks have no blank line, and this saves them compiling and running the pattern.
bool hasBlankLine(std::string_view text)
{
    for (auto lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', lf + 1)) {
        for (auto i = lf + 1; i < text.size() && isPatternSpace(text[i]); ++i) {
            if (text[i] == '\r')
                return true;
        }
    }
    return false;
}

} // namespace

std::string trimBlock(std::string_view text)
{
    if (text.starts_with("\r\n"))
        text.remove_prefix(2);
    if (text.ends_with("\r\n"))
        text.remove_suffix(2);
    if (!hasBlankLine(text))
        return std::string(text);
    regex::RegexObject blankLines;
    if (!blankLines.create("\\n\\s*\\r", text))
        return std::string(text);
    return blankLines.replace("");
}

} // namespace shopkeeper::shop
