#pragma once

// The format of the two built-in item texts, checked before they are compiled in: header-only
// and free of any other dependency, so the configure step can build its checker from it alone.
#include <cstddef>
#include <string>
#include <string_view>

namespace shopkeeper::itemdata {

inline constexpr std::size_t kMaxItemNameBytes = 65;

namespace detail {

inline std::string entryLabel(std::size_t index)
{
    return "line " + std::to_string(index + 1);
}

// Splits at CR LF, calling check(entry, index) for each entry; the text's own framing faults
// (empty text, CR LF at the end, a lone CR or LF) are reported first. Returns "" or the fault.
template <typename Check> std::string forEachEntry(std::string_view text, std::size_t& count, Check check)
{
    count = 0;
    if (text.empty())
        return "the file is empty";
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        return "the file starts with a UTF-8 byte-order mark; the list must be GBK without one";
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        return "the file ends with CR LF; there must be none after the last entry";
    std::size_t begin = 0;
    while (true) {
        std::size_t end = begin;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n' && text[end] != '\0')
            ++end;
        if (end < text.size() && text[end] == '\0')
            return entryLabel(count) + " holds a zero byte";
        if (end < text.size() && (text[end] == '\n' || end + 1 >= text.size() || text[end + 1] != '\n'))
            return entryLabel(count) + " ends with a lone " + (text[end] == '\n' ? "LF" : "CR") +
                   "; entries are separated by CR LF";
        const std::string_view entry = text.substr(begin, end - begin);
        if (entry.empty())
            return entryLabel(count) + " is empty";
        if (std::string fault = check(entry, count); !fault.empty())
            return entryLabel(count) + " " + fault;
        ++count;
        if (end >= text.size())
            return "";
        begin = end + 2;
    }
}

// Lead byte 0x81-0xFE, trail byte 0x40-0xFE without 0x7F: the byte structure of code page 936.
inline bool isGbk(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80)
            continue;
        if (c == 0x80 || c == 0xFF || i + 1 >= text.size())
            return false;
        const auto t = static_cast<unsigned char>(text[++i]);
        if (t < 0x40 || t == 0x7F || t == 0xFF)
            return false;
    }
    return true;
}

// True when the text holds non-ASCII characters and all of it is well-formed UTF-8: then it is
// almost surely a UTF-8 file, which real GBK text of any length practically never is.
inline bool looksLikeUtf8(std::string_view text)
{
    bool multibyte = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80             ? 1
                             : (c & 0xE0) == 0xC0 ? 2
                             : (c & 0xF0) == 0xE0 ? 3
                             : (c & 0xF8) == 0xF0 ? 4
                                                  : 0;
        if (length == 0 || (length == 2 && c < 0xC2) || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        multibyte = multibyte || length > 1;
        i += length;
    }
    return multibyte;
}

// Orders decimal texts without leading zeros by value, at any length.
inline bool decimalLess(std::string_view a, std::string_view b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

} // namespace detail

// "" when names is a valid name text, else what is wrong; count gets the number of entries.
inline std::string checkItemNames(std::string_view names, std::size_t& count)
{
    if (names.substr(0, 3) == "\xEF\xBB\xBF")
        return detail::forEachEntry(names, count, [](std::string_view, std::size_t) { return std::string(); });
    if (detail::looksLikeUtf8(names))
        return "the file is UTF-8; the list must be GBK (code page 936)";
    return detail::forEachEntry(names, count, [](std::string_view entry, std::size_t) -> std::string {
        if (entry.size() > kMaxItemNameBytes)
            return "is " + std::to_string(entry.size()) + " bytes long; a name has at most " +
                   std::to_string(kMaxItemNameBytes);
        if (!detail::isGbk(entry))
            return "is not valid GBK";
        return "";
    });
}

// "" when ids is a valid ID text (decimal, no sign, no leading zero, ascending), else the fault.
inline std::string checkItemIds(std::string_view ids, std::size_t& count)
{
    std::string_view previous;
    return detail::forEachEntry(ids, count, [&](std::string_view entry, std::size_t index) -> std::string {
        for (char c : entry) {
            if (c < '0' || c > '9')
                return "(\"" + std::string(entry.substr(0, 20)) + "\") is not a decimal number without sign";
        }
        if (entry.size() > 1 && entry[0] == '0')
            return "(\"" + std::string(entry) + "\") has a leading zero";
        if (index > 0 && detail::decimalLess(entry, previous))
            return "(" + std::string(entry) + ") is smaller than the ID before it (" + std::string(previous) +
                   "); IDs must ascend";
        previous = entry;
        return "";
    });
}

// "" when the two texts make a built-in item list, else the fault, naming the text it is in.
inline std::string checkItemLists(std::string_view names, std::string_view ids)
{
    std::size_t nameCount = 0;
    std::size_t idCount = 0;
    if (std::string fault = checkItemNames(names, nameCount); !fault.empty())
        return "item names: " + fault;
    if (std::string fault = checkItemIds(ids, idCount); !fault.empty())
        return "item IDs: " + fault;
    if (nameCount != idCount)
        return "the name list has " + std::to_string(nameCount) + " entries and the ID list " +
               std::to_string(idCount) + "; each name needs its ID";
    return "";
}

} // namespace shopkeeper::itemdata
