#pragma once

// The catalogue done the slow, literal way over GBK bytes, as the reference the fast one must
// match: both lists split anew for every search, every line and entry tested with a GBK-aware
// find (double-byte characters stepped over as units, ASCII letters without case), and the
// names already listed kept in one text of "@name@" CR LF lines.
#include "core/text/ScriptText.h"

#include <string>
#include <string_view>
#include <vector>

namespace shopkeeper::test {

inline char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool gbkContains(std::string_view text, std::string_view needle)
{
    for (std::size_t i = 0; i + needle.size() <= text.size();) {
        bool same = true;
        for (std::size_t k = 0; k < needle.size() && same; ++k)
            same = lower(text[i + k]) == lower(needle[k]);
        if (same)
            return true;
        i += static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
    }
    return false;
}

// Entries "ID---name", GBK. externalText is the whole id-name.txt (empty: not in use).
inline std::vector<std::string> literalSearch(std::string_view namesText, std::string_view idsText,
                                              std::string_view externalText, std::string_view query)
{
    const auto names = text::splitText(namesText, "\r\n");
    const auto ids = text::splitText(idsText, "\r\n");
    std::vector<std::string> out;
    if (!externalText.empty()) {
        std::vector<std::string> lines = externalText.find('\n') == std::string_view::npos
                                             ? std::vector<std::string>{std::string(externalText)}
                                             : text::splitText(externalText, "\r\n");
        std::string seen;
        for (const auto& line : lines) {
            if (!gbkContains(line, query))
                continue;
            const auto pieces = text::splitText(line, "\t");
            if (pieces.size() < 2)
                continue;
            out.push_back(pieces[0] + "---" + pieces[1]);
            seen += "@" + pieces[1] + "@\r\n";
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (gbkContains(names[i], query) && !gbkContains(seen, "@" + names[i] + "@"))
                out.push_back(ids[i] + "---" + names[i]);
        }
        return out;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (gbkContains(names[i], query))
            out.push_back(ids[i] + "---" + names[i]);
    }
    return out;
}

} // namespace shopkeeper::test
