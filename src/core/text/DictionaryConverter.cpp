#include "core/text/DictionaryConverter.h"

namespace shopkeeper::text {

namespace {

// The length of the UTF-8 sequence a lead byte starts; a stray byte counts as one.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return 4;
}

std::size_t nextCharacterLength(std::string_view text)
{
    const auto n = sequenceLength(static_cast<unsigned char>(text.front()));
    return n < text.size() ? n : text.size();
}

} // namespace

ConversionDictionary::ConversionDictionary(std::string text) : text_(std::move(text))
{
    std::string_view rest = text_;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const auto tab = line.find('\t');
        if (tab == 0 || tab == std::string_view::npos)
            continue;
        const auto key = line.substr(0, tab);
        entries_.emplace(key, line.substr(tab + 1));
        std::size_t characters = 0;
        for (std::size_t i = 0; i < key.size(); i += nextCharacterLength(key.substr(i)))
            ++characters;
        if (characters > longestKey_)
            longestKey_ = characters;
    }
}

std::optional<ConversionDictionary::Match> ConversionDictionary::matchPrefix(std::string_view text) const
{
    // The ends of the first characters, longest candidate first.
    std::size_t ends[64];
    std::size_t count = 0;
    const std::size_t most = longestKey_ < 64 ? longestKey_ : 64;
    for (std::size_t at = 0; count < most && at < text.size();) {
        at += nextCharacterLength(text.substr(at));
        ends[count++] = at;
    }
    while (count > 0) {
        const auto length = ends[--count];
        if (const auto it = entries_.find(text.substr(0, length)); it != entries_.end())
            return Match{length, it->second};
    }
    return std::nullopt;
}

DictionaryConverter::DictionaryConverter(const ConversionDictionary& phrases,
                                         std::vector<const ConversionDictionary*> group)
    : phrases_(phrases), group_(std::move(group))
{
}

std::string DictionaryConverter::convert(std::string_view utf8) const
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t runStart = 0;
    std::size_t at = 0;
    while (at < utf8.size()) {
        if (const auto phrase = phrases_.matchPrefix(utf8.substr(at))) {
            if (at > runStart)
                out += convertSegment(utf8.substr(runStart, at - runStart));
            out += convertSegment(utf8.substr(at, phrase->length));
            at += phrase->length;
            runStart = at;
        } else {
            at += nextCharacterLength(utf8.substr(at));
        }
    }
    if (at > runStart)
        out += convertSegment(utf8.substr(runStart, at - runStart));
    return out;
}

std::string DictionaryConverter::convertSegment(std::string_view segment) const
{
    std::string out;
    for (std::size_t at = 0; at < segment.size();) {
        const auto rest = segment.substr(at);
        std::optional<ConversionDictionary::Match> match;
        for (const auto* dictionary : group_) {
            if ((match = dictionary->matchPrefix(rest)))
                break;
        }
        if (match) {
            out += match->value;
            at += match->length;
        } else {
            const auto n = nextCharacterLength(rest);
            out += rest.substr(0, n);
            at += n;
        }
    }
    return out;
}

} // namespace shopkeeper::text
