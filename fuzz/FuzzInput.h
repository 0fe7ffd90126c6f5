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

// A property the code promises does not hold: say which, and stop so the fuzzer keeps the input.
[[noreturn]] inline void broken(const char* what, std::string_view detail = {})
{
    std::fprintf(stderr, "property broken: %s\n", what);
    if (!detail.empty())
        std::fprintf(stderr, "%.*s\n", static_cast<int>(detail.size()), detail.data());
    std::abort();
}

} // namespace shopkeeper::fuzz
