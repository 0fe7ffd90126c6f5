#include "core/text/StringTableCodec.h"

#include "core/text/ChineseConversion.h"
#include "core/text/IcuConverter.h"
#include "core/text/PerThread.h"

#include <cstdio>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unordered_map>
#include <vector>

namespace shopkeeper::text {

namespace {

// Microsoft's code page 950; ICU's "cp950" is IBM's table, which maps differently.
constexpr const char* kBig5Converter = "windows-950-2000";

UConverter* big5Converter()
{
    return threadConverter(kBig5Converter);
}

std::u16string toUtf16(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8WithSub(nullptr, 0, &length, utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr,
                         &status);
    std::u16string out(static_cast<std::size_t>(length), u'\0');
    status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), length, &length, utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD,
                         nullptr, &status);
    return out;
}

std::string toUtf8(std::u16string_view utf16)
{
    if (utf16.empty())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strToUTF8WithSub(nullptr, 0, &length, utf16.data(), static_cast<int32_t>(utf16.size()), 0xFFFD, nullptr,
                       &status);
    std::string out(static_cast<std::size_t>(length), '\0');
    status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), length, &length, utf16.data(), static_cast<int32_t>(utf16.size()), 0xFFFD,
                       nullptr, &status);
    return out;
}

// The text itself when it is valid UTF-8, else the same with every invalid sequence as U+FFFD.
std::string wellFormed(std::string_view text)
{
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    int32_t substitutions = 0;
    u_strFromUTF8WithSub(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), 0xFFFD,
                         &substitutions, &status);
    if (substitutions == 0)
        return std::string(text);
    return toUtf8(toUtf16(text));
}

// Converts with the platform's converter: the text made valid UTF-8 (OpenCC reads past the end
// of a text that ends inside a cut UTF-8 sequence, so such bytes become U+FFFD first), and each
// piece between NUL bytes on its own, as OpenCC would end the text at the first one.
std::string convertWith(chinese::Converter& converter, std::string_view text)
{
    if (text.empty())
        return {};
    const std::string utf8 = wellFormed(text);
    std::string_view rest = utf8;
    std::string out;
    while (true) {
        const auto nul = rest.find('\0');
        if (nul == std::string_view::npos)
            return out += converter.convert(rest);
        out += converter.convert(rest.substr(0, nul));
        out += '\0';
        rest.remove_prefix(nul + 1);
    }
}

std::vector<char32_t> codePoints(const std::u16string& utf16)
{
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < utf16.size();) {
        char32_t cp = 0;
        U16_NEXT(utf16.data(), i, utf16.size(), cp);
        out.push_back(cp);
    }
    return out;
}

std::string codePointToUtf8(char32_t cp)
{
    std::u16string unit;
    if (cp > 0xFFFF) {
        unit.push_back(static_cast<char16_t>(U16_LEAD(cp)));
        unit.push_back(static_cast<char16_t>(U16_TRAIL(cp)));
    } else {
        unit.push_back(static_cast<char16_t>(cp));
    }
    return toUtf8(unit);
}

// "U+4E00 「一」": how an unmappable character is named in messages.
std::string describeCodePoint(char32_t cp)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(cp));
    return "「" + codePointToUtf8(cp) + "」(" + buffer + ")";
}

} // namespace

std::string StringTableCodec::big5ToUtf8(std::string_view big5)
{
    if (big5.empty())
        return {};
    UConverter* conv = big5Converter();
    ucnv_reset(conv);
    UErrorCode status = U_ZERO_ERROR;
    std::u16string utf16(big5.size() + 1, u'\0');
    const int32_t length = ucnv_toUChars(conv, utf16.data(), static_cast<int32_t>(utf16.size()), big5.data(),
                                         static_cast<int32_t>(big5.size()), &status);
    if (U_FAILURE(status))
        return {};
    utf16.resize(static_cast<std::size_t>(length));
    return toUtf8(utf16);
}

Result<std::string> StringTableCodec::utf8ToBig5(std::string_view utf8)
{
    if (utf8.empty())
        return std::string();
    const std::u16string utf16 = toUtf16(utf8);
    UConverter* conv = big5Converter();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(conv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    // Convert one code point at a time so that the first character BIG5 cannot hold is named.
    std::string out;
    out.reserve(utf16.size() * 2);
    char buffer[16];
    std::size_t i = 0;
    while (i < utf16.size()) {
        char32_t cp = 0;
        const std::size_t start = i;
        U16_NEXT(utf16.data(), i, utf16.size(), cp);
        ucnv_reset(conv);
        status = U_ZERO_ERROR;
        const int32_t n = ucnv_fromUChars(conv, buffer, sizeof buffer, utf16.data() + start,
                                          static_cast<int32_t>(i - start), &status);
        if (U_FAILURE(status) || cp == 0xFFFD)
            return fail("字符 " + describeCodePoint(cp) + " 无法用BIG5编码保存。");
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
}

std::string StringTableCodec::toSimplified(std::string_view utf8)
{
    return convertWith(chinese::traditionalToSimplified(), utf8);
}

std::string StringTableCodec::toTraditional(std::string_view utf8)
{
    return convertWith(chinese::simplifiedToTraditional(), utf8);
}

void StringTableCodec::prepare()
{
    // Missing dictionaries are told by the conversion that needs them, not here.
    try {
        (void)chinese::traditionalToSimplified();
        (void)chinese::simplifiedToTraditional();
    } catch (const std::exception&) {
    }
}

std::string StringTableCodec::decode(std::string_view big5)
{
    return toSimplified(big5ToUtf8(big5));
}

Result<std::string> StringTableCodec::encode(std::string_view utf8)
{
    // Shops name their pages with a few words over and over (a page without a name is written
    // with its default one), and the conversion costs far more than a look in a small memo.
    struct EncodeMemo;
    auto& memo = perThread<std::unordered_map<std::string, Result<std::string>>, EncodeMemo>();
    if (const auto it = memo.find(std::string(utf8)); it != memo.end())
        return it->second;
    auto bytes = encodeOnce(utf8);
    if (memo.size() >= 256)
        memo.clear();
    memo.emplace(std::string(utf8), bytes);
    return bytes;
}

Result<std::string> StringTableCodec::encodeOnce(std::string_view utf8)
{
    const std::string traditional = toTraditional(utf8);
    auto bytes = utf8ToBig5(traditional);
    if (bytes)
        return bytes;
    // OpenCC sometimes picks a traditional form that code page 950 lacks (面 -> 麪). Where the
    // conversion kept the characters in step, such a character falls back to the one the user
    // typed when BIG5 holds that one; otherwise the error stands.
    const std::u16string before = toUtf16(utf8);
    const std::u16string after = toUtf16(traditional);
    const std::vector<char32_t> original = codePoints(before);
    const std::vector<char32_t> converted = codePoints(after);
    if (original.size() != converted.size())
        return bytes;
    std::string out;
    for (std::size_t i = 0; i < converted.size(); ++i) {
        auto one = utf8ToBig5(codePointToUtf8(converted[i]));
        if (!one && original[i] != converted[i])
            one = utf8ToBig5(codePointToUtf8(original[i]));
        if (!one)
            return one;
        out += *one;
    }
    return out;
}

} // namespace shopkeeper::text
