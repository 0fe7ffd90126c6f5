#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace shopkeeper::text {

// One dictionary of the traditional/simplified conversion: "key<TAB>value" lines, UTF-8, the
// value being the form a key converts to. The text is kept; the entries point into it.
class ConversionDictionary
{
public:
    explicit ConversionDictionary(std::string text);
    ConversionDictionary(const ConversionDictionary&) = delete;
    ConversionDictionary& operator=(const ConversionDictionary&) = delete;

    struct Match
    {
        std::size_t length = 0; // bytes of the text the key covers
        std::string_view value;
    };
    // The longest key the text starts with.
    std::optional<Match> matchPrefix(std::string_view text) const;
    std::size_t size() const { return entries_.size(); }

private:
    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::string text_;
    std::unordered_map<std::string_view, std::string_view, Hash, std::equal_to<>> entries_;
    std::size_t longestKey_ = 0; // in characters
};

// Converts the way the traditional/simplified configurations of the Linux build do: the text is
// first cut into segments, each the longest phrase of the phrase dictionary that starts there
// (characters no phrase starts with are gathered into runs), then each segment is converted
// from left to right, at each place by the longest key of the first dictionary of the group
// that has one; a character no dictionary knows stays as it is. Text must be valid UTF-8.
class DictionaryConverter
{
public:
    DictionaryConverter(const ConversionDictionary& phrases, std::vector<const ConversionDictionary*> group);
    std::string convert(std::string_view utf8) const;

private:
    std::string convertSegment(std::string_view segment) const;

    const ConversionDictionary& phrases_;
    std::vector<const ConversionDictionary*> group_;
};

} // namespace shopkeeper::text
