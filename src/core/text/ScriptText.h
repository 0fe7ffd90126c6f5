#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Primitives over script text held as UTF-8 bytes exactly as read from disk.
// Positions are byte offsets counted from 1; a search steps over whole characters,
// so a match never starts inside a multi-byte character; case folding is ASCII-only.
namespace shopkeeper::text {

// Length of the character that starts at byte i: 1 for ASCII and for any byte that does
// not begin a valid UTF-8 sequence (invalid bytes are kept and stepped over one by one).
std::size_t charLength(std::string_view s, std::size_t i);

char asciiLower(char c);
std::string asciiLowered(std::string_view s);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
// s without the white space at either end. Inline: a table's read trims the key of every line.
inline std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// 1-based position of the first match of needle at or after start, or -1.
// An empty needle matches at position 1 of a non-empty text and nowhere in an empty one.
long long findText(std::string_view text, std::string_view needle, long long start = 1, bool foldCase = true);
bool contains(std::string_view text, std::string_view needle, bool foldCase = true);

// Pieces between separators; empty pieces are kept before and between separators, an empty
// remainder is dropped, an empty text gives no pieces, an empty separator gives the whole text.
std::vector<std::string> splitText(std::string_view text, std::string_view separator);
std::vector<std::string_view> splitView(std::string_view text, std::string_view separator);

// The lines of a text (split at CR LF).
std::vector<std::string> lines(std::string_view text);
// 1-based number of the first line containing needle (case folded), 0 if none.
std::size_t findLineContaining(std::string_view text, std::string_view needle);
// Line n (1-based); empty for n < 1 or past the last line.
std::string getLine(std::string_view text, long long n);

// Every occurrence of each find text (case folded) replaced, pairs applied in order.
std::string replaceEach(std::string text, const std::vector<std::pair<std::string, std::string>>& pairs);
// The first occurrence of find (case folded) replaced; the text unchanged when there is none.
std::string replaceFirst(std::string text, std::string_view find, std::string_view replacement);

// Display width the way a GBK file would count it: 1 for ASCII, 2 for any other character.
std::size_t gbkWidth(std::string_view text);

// Whitespace-separated words: runs of TAB, space, CR and LF separate.
std::vector<std::string_view> words(std::string_view text);

} // namespace shopkeeper::text
