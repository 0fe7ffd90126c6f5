#include "core/shop/TrimBlock.h"

#include "core/regex/RegexObject.h"

namespace shopkeeper::shop {

std::string trimBlock(std::string_view text)
{
    if (text.starts_with("\r\n"))
        text.remove_prefix(2);
    if (text.ends_with("\r\n"))
        text.remove_suffix(2);
    regex::RegexObject blankLines;
    if (!blankLines.create("\\n\\s*\\r", text))
        return std::string(text);
    return blankLines.replace("");
}

} // namespace shopkeeper::shop
