#include "text/GbkCodec.h"

#include <memory>
#include <stdexcept>
#include <unicode/ucnv.h>

namespace shopkeeper::text {

namespace {

constexpr const char* kGbkConverter = "windows-936-2000";

struct ConverterCloser
{
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// ICU converters keep state, so each thread has its own pair.
UConverter* converter(const char* name)
{
    UErrorCode status = U_ZERO_ERROR;
    UConverter* c = ucnv_open(name, &status);
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("ICU has no converter ") + name);
    return c;
}

std::string convert(const char* to, const char* from, std::string_view bytes)
{
    if (bytes.empty())
        return {};
    thread_local ConverterPtr gbk(converter(kGbkConverter));
    thread_local ConverterPtr utf8(converter("UTF-8"));
    UConverter* target = std::string_view(to) == "UTF-8" ? utf8.get() : gbk.get();
    UConverter* source = std::string_view(from) == "UTF-8" ? utf8.get() : gbk.get();
    ucnv_reset(target);
    ucnv_reset(source);
    std::string out(bytes.size() * 2 + 16, '\0');
    while (true) {
        UErrorCode status = U_ZERO_ERROR;
        char* write = out.data();
        const char* read = bytes.data();
        ucnv_convertEx(target, source, &write, out.data() + out.size(), &read, bytes.data() + bytes.size(),
                       nullptr, nullptr, nullptr, nullptr, true, true, &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(out.size() * 2);
            ucnv_reset(target);
            ucnv_reset(source);
            continue;
        }
        out.resize(static_cast<std::size_t>(write - out.data()));
        return out;
    }
}

} // namespace

std::string GbkCodec::toUtf8(std::string_view gbk)
{
    return convert("UTF-8", kGbkConverter, gbk);
}

std::string GbkCodec::fromUtf8(std::string_view utf8)
{
    return convert(kGbkConverter, "UTF-8", utf8);
}

bool GbkCodec::isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        char32_t least = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            least = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            least = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            least = 0x10000;
        } else {
            return false;
        }
        if (i + length > bytes.size())
            return false;
        char32_t value = c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

} // namespace shopkeeper::text
