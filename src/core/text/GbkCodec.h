#pragma once

#include <string>
#include <string_view>

namespace shopkeeper::text {

// GBK (Microsoft's code page 936) is the encoding of the game's item lists and of the user's
// id-name.txt as the game's tools save it. In memory text is UTF-8; these convert at the file.
class GbkCodec
{
public:
    // GBK bytes to UTF-8. Bytes that are not valid GBK become U+FFFD.
    static std::string toUtf8(std::string_view gbk);
    // UTF-8 to GBK; a character GBK cannot hold becomes "?".
    static std::string fromUtf8(std::string_view utf8);
    // True when the bytes are valid UTF-8 throughout.
    static bool isValidUtf8(std::string_view bytes);
};

} // namespace shopkeeper::text
