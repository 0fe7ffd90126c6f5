#pragma once

#include "core/Result.h"

#include <string>
#include <string_view>

namespace shopkeeper::text {

// The string tables (.str) are BIG5 with traditional characters; in memory they are UTF-8
// with simplified characters. BIG5 is Microsoft's code page 950, converted by ICU; the
// traditional/simplified step is OpenCC's on Linux and the same dictionaries' on Windows
// (ChineseConversion.h).
class StringTableCodec
{
public:
    // BIG5 bytes to simplified UTF-8. Bytes that are not valid BIG5 become U+FFFD.
    static std::string decode(std::string_view big5);
    // Simplified UTF-8 to traditional BIG5. A character that code page 950 cannot hold is an
    // error that names it; it is never written as "?".
    static Result<std::string> encode(std::string_view utf8);

    // The two halves of each direction, for callers that need only one of them.
    static std::string big5ToUtf8(std::string_view big5);
    static Result<std::string> utf8ToBig5(std::string_view utf8);
    static std::string toSimplified(std::string_view utf8);
    static std::string toTraditional(std::string_view utf8);

    // Loads the dictionaries of both directions now. The first conversion would otherwise wait
    // for them: the simplified -> traditional ones, which the first save of a renamed page needs,
    // take some 60 ms. Safe from any thread; later calls cost nothing.
    static void prepare();

private:
    static Result<std::string> encodeOnce(std::string_view utf8);
};

} // namespace shopkeeper::text
