#pragma once

#include "core/Result.h"

#include <string>
#include <string_view>

// GBK (Microsoft's code page 936, ICU's "windows-936-2000") to and from the UTF-8 that all text
// is in memory.
namespace shopkeeper::catalogue {

// GBK bytes to UTF-8; bytes that are not valid GBK become U+FFFD.
std::string gbkToUtf8(std::string_view gbk);
// UTF-8 to GBK; a character that GBK cannot hold is an error that names it.
Result<std::string> utf8ToGbk(std::string_view utf8);
// Well-formed UTF-8 throughout (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(std::string_view text);

} // namespace shopkeeper::catalogue
