#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// What every fuzz target shares: the input as text, split into parts, and a failed property.
namespace shopkeeper::fuzz {

inline std::string_view asText(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// The input cut at its first count - 1 form feeds (0x0C) into count parts; missing parts are empty.
// Form feed stands for nothing in any of our formats, so seeds stay readable files.
inline std::vector<std::string_view> parts(std::string_view input, std::size_t count)
{
    std::vector<std::string_view> out;
    while (out.size() + 1 < count) {
        const auto at = input.find('\f');
        if (at == std::string_view::npos)
            break;
        out.push_back(input.substr(0, at));
        input.remove_prefix(at + 1);
    }
    out.push_back(input);
    out.resize(count);
    return out;
}

// Whether s is well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF), for
// entry points whose callers promise UTF-8.
inline bool isUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c < 0x80)
            length = 1;
        else if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else
            return false;
        if (length > s.size() - i)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}

// A property the code promises does not hold: say which, and stop so the fuzzer keeps the input.
[[noreturn]] inline void broken(const char* what, std::string_view detail = {})
{
    std::fprintf(stderr, "property broken: %s\n", what);
    if (!detail.empty())
        std::fprintf(stderr, "%.*s\n", static_cast<int>(detail.size()), detail.data());
    std::abort();
}

} // namespace shopkeeper::fuzz
