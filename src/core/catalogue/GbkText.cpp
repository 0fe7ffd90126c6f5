#include "core/catalogue/GbkText.h"

#include "core/text/IcuConverter.h"

#include <memory>
#include <stdexcept>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

namespace shopkeeper::catalogue {

namespace {

// Microsoft's code page 936.
UConverter* gbkConverter()
{
    return text::threadConverter("windows-936-2000");
}

} // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    if (gbk.empty())
        return {};
    UConverter* converter = gbkConverter();
    UErrorCode status = U_ZERO_ERROR;
    // Every GBK character becomes at most three UTF-8 bytes (U+FFFD for a broken pair included).
    std::string out(gbk.size() * 3 / 2 + 16, '\0');
    auto length = ucnv_toAlgorithmic(UCNV_UTF8, converter, out.data(), static_cast<int32_t>(out.size()),
                                     gbk.data(), static_cast<int32_t>(gbk.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        out.resize(static_cast<std::size_t>(length));
        status = U_ZERO_ERROR;
        length = ucnv_toAlgorithmic(UCNV_UTF8, converter, out.data(), static_cast<int32_t>(out.size()),
                                    gbk.data(), static_cast<int32_t>(gbk.size()), &status);
    }
    if (U_FAILURE(status))
        return {};
    out.resize(static_cast<std::size_t>(length));
    return out;
}

Result<std::string> utf8ToGbk(std::string_view utf8)
{
    if (utf8.empty())
        return std::string();
    UConverter* converter = gbkConverter();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::string out(utf8.size() + 16, '\0');
    status = U_ZERO_ERROR;
    const auto length =
        ucnv_fromAlgorithmic(converter, UCNV_UTF8, out.data(), static_cast<int32_t>(out.size()), utf8.data(),
                             static_cast<int32_t>(utf8.size()), &status);
    ucnv_reset(converter);
    if (U_FAILURE(status)) {
        if (!isValidUtf8(utf8))
            return fail("文本不是有效的UTF-8，无法转换为GBK编码");
        // Find the first character GBK cannot hold, to name it.
        std::size_t i = 0;
        while (i < utf8.size()) {
            const auto c = static_cast<unsigned char>(utf8[i]);
            const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            const auto piece = utf8.substr(i, n);
            UErrorCode pieceStatus = U_ZERO_ERROR;
            char buffer[8];
            ucnv_fromAlgorithmic(converter, UCNV_UTF8, buffer, sizeof buffer, piece.data(),
                                 static_cast<int32_t>(piece.size()), &pieceStatus);
            ucnv_reset(converter);
            if (U_FAILURE(pieceStatus))
                return fail("字符“" + std::string(piece) + "”无法用GBK编码保存");
            i += n;
        }
        return fail("文本无法转换为GBK编码");
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t n = 0;
        std::uint32_t value = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            n = 2;
            value = c & 0x1Fu;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 3;
            value = c & 0x0Fu;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 4;
            value = c & 0x07u;
        } else {
            return false;
        }
        if (i + n > text.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (t & 0x3Fu);
        }
        if ((n == 3 && value < 0x800) || (n == 4 && (value < 0x10000 || value > 0x10FFFF)) ||
            (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += n;
    }
    return true;
}

} // namespace shopkeeper::catalogue
