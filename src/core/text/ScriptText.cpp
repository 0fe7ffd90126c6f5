#include "core/text/ScriptText.h"

#include <cstring>

namespace shopkeeper::text {

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

bool sameByte(char a, char b, bool foldCase)
{
    return a == b || (foldCase && asciiLower(a) == asciiLower(b));
}

} // namespace

std::size_t charLength(std::string_view s, std::size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 1;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4;
    if (n == 1 || i + n > s.size())
        return 1;
    for (std::size_t k = 1; k < n; ++k) {
        if (!isContinuation(static_cast<unsigned char>(s[i + k])))
            return 1;
    }
    return n;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string asciiLowered(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = asciiLower(c);
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!sameByte(a[i], b[i], true))
            return false;
    }
    return true;
}

namespace {

// First match at or after byte index i, which must sit on a character boundary.
bool matchesAt(std::string_view text, std::string_view needle, std::size_t i, bool foldCase)
{
    for (std::size_t k = 0; k < needle.size(); ++k) {
        if (!sameByte(text[i + k], needle[k], foldCase))
            return false;
    }
    return true;
}

long long findFromBoundary(std::string_view text, std::string_view needle, std::size_t i, bool foldCase)
{
    // An ASCII byte never sits inside a multi-byte character, so a needle that starts with one
    // can be searched byte by byte without walking the characters.
    const unsigned char first = static_cast<unsigned char>(needle[0]);
    if (first < 0x80) {
        const char lower = asciiLower(needle[0]);
        const char upper = (lower >= 'a' && lower <= 'z') ? static_cast<char>(lower - 'a' + 'A') : lower;
        if (!foldCase || lower == upper) {
            // One byte value starts a match (the tags start with "[" or "`"): memchr finds them.
            while (i + needle.size() <= text.size()) {
                const void* hit =
                    std::memchr(text.data() + i, needle[0], text.size() - needle.size() + 1 - i);
                if (!hit)
                    return -1;
                i = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
                if (matchesAt(text, needle, i, foldCase))
                    return static_cast<long long>(i) + 1;
                ++i;
            }
            return -1;
        }
        for (; i + needle.size() <= text.size(); ++i) {
            const char c = text[i];
            if ((c == lower || (foldCase && c == upper) || c == needle[0]) &&
                matchesAt(text, needle, i, foldCase))
                return static_cast<long long>(i) + 1;
        }
        return -1;
    }
    for (; i + needle.size() <= text.size(); i += charLength(text, i)) {
        if (!sameByte(text[i], needle[0], foldCase))
            continue;
        std::size_t k = 1;
        while (k < needle.size() && sameByte(text[i + k], needle[k], foldCase))
            ++k;
        if (k == needle.size())
            return static_cast<long long>(i) + 1;
    }
    return -1;
}

} // namespace

long long findText(std::string_view text, std::string_view needle, long long start, bool foldCase)
{
    if (text.empty())
        return -1;
    if (start < 1)
        start = 1;
    if (needle.empty())
        return start <= static_cast<long long>(text.size()) ? start : -1;
    // Walk from the beginning so that every candidate sits on a character boundary.
    std::size_t i = 0;
    const auto from = static_cast<std::size_t>(start - 1);
    while (i < from && i < text.size())
        i += charLength(text, i);
    return findFromBoundary(text, needle, i, foldCase);
}

bool contains(std::string_view text, std::string_view needle, bool foldCase)
{
    return findText(text, needle, 1, foldCase) > 0;
}

std::vector<std::string_view> splitView(std::string_view text, std::string_view separator)
{
    std::vector<std::string_view> pieces;
    if (text.empty())
        return pieces;
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    std::size_t cut = 0;
    if (static_cast<unsigned char>(separator[0]) < 0x80) {
        // A separator that starts with an ASCII byte never starts inside a multi-byte character,
        // so the first byte match is the first match the character walk below would find.
        for (auto at = text.find(separator); at != std::string_view::npos; at = text.find(separator, cut)) {
            pieces.push_back(text.substr(cut, at - cut));
            cut = at + separator.size();
        }
        if (cut < text.size())
            pieces.push_back(text.substr(cut));
        return pieces;
    }
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, separator.size(), separator) == 0) {
            pieces.push_back(text.substr(cut, i - cut));
            i += separator.size();
            cut = i;
        } else {
            i += charLength(text, i);
        }
    }
    if (cut < text.size())
        pieces.push_back(text.substr(cut));
    return pieces;
}

std::vector<std::string> splitText(std::string_view text, std::string_view separator)
{
    std::vector<std::string> out;
    for (auto piece : splitView(text, separator))
        out.emplace_back(piece);
    return out;
}

std::vector<std::string> lines(std::string_view text)
{
    return splitText(text, "\r\n");
}

std::size_t findLineContaining(std::string_view text, std::string_view needle)
{
    std::size_t n = 0;
    for (auto line : splitView(text, "\r\n")) {
        ++n;
        if (contains(line, needle))
            return n;
    }
    return 0;
}

std::string getLine(std::string_view text, long long n)
{
    if (n < 1)
        return {};
    auto all = splitView(text, "\r\n");
    if (n > static_cast<long long>(all.size()))
        return {};
    return std::string(all[static_cast<std::size_t>(n - 1)]);
}

std::string replaceEach(std::string text, const std::vector<std::pair<std::string, std::string>>& pairs)
{
    for (const auto& [find, replacement] : pairs) {
        if (find.empty())
            continue;
        std::string out;
        std::size_t from = 0;
        while (true) {
            const long long at = findFromBoundary(text, find, from, true);
            if (at < 0)
                break;
            const auto index = static_cast<std::size_t>(at - 1);
            out.append(text, from, index - from);
            out += replacement;
            from = index + find.size();
        }
        out.append(text, from);
        text = std::move(out);
    }
    return text;
}

std::string replaceFirst(std::string text, std::string_view find, std::string_view replacement)
{
    if (find.empty())
        return text;
    const long long at = findText(text, find, 1, true);
    if (at > 0)
        text.replace(static_cast<std::size_t>(at - 1), find.size(), replacement);
    return text;
}

std::size_t gbkWidth(std::string_view text)
{
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size(); i += charLength(text, i))
        width += static_cast<unsigned char>(text[i]) < 0x80 ? 1 : 2;
    return width;
}

std::vector<std::string_view> words(std::string_view text)
{
    std::vector<std::string_view> out;
    // Item lists, the usual text, run about six bytes a word.
    out.reserve(text.size() / 6 + 1);
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSpace(text[i]))
            ++i;
        const std::size_t begin = i;
        while (i < text.size() && !isSpace(text[i]))
            ++i;
        if (i > begin)
            out.push_back(text.substr(begin, i - begin));
    }
    return out;
}

} // namespace shopkeeper::text
