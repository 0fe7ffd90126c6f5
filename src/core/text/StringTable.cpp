#include "core/text/StringTable.h"

#include "core/io/FileSystem.h"
#include "core/text/ScriptText.h"
#include "core/text/StringTableCodec.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <unordered_map>

namespace shopkeeper::text {

namespace {

bool isAscii(std::string_view bytes)
{
    unsigned char all = 0;
    for (const char c : bytes)
        all |= static_cast<unsigned char>(c);
    return all < 0x80;
}

// A hash of the key's length and its first and last eight bytes, each byte with its 0x20 bit
// set, so that keys equal but for ASCII case hash alike; never 0, which marks a line without a
// key. It costs the same for every key, and a match is always checked on the key itself.
inline std::uint32_t keyHash(std::string_view key)
{
    constexpr std::uint64_t caseBits = 0x2020202020202020ull;
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    const std::size_t n = std::min<std::size_t>(key.size(), 8);
    if (n > 0) {
        std::memcpy(&head, key.data(), n);
        std::memcpy(&tail, key.data() + key.size() - n, n);
    }
    std::uint64_t hash = ((head | caseBits) * 0x9E3779B97F4A7C15ull) ^ (tail | caseBits) ^ key.size();
    hash ^= hash >> 31;
    hash *= 0xBF58476D1CE4E5B9ull;
    hash ^= hash >> 29;
    const auto folded = static_cast<std::uint32_t>(hash ^ (hash >> 32));
    return folded == 0 ? 1 : folded;
}

std::string_view keyPart(std::string_view line, std::size_t gt)
{
    return trimmed(line.substr(0, gt));
}

// One raw line decoded: ASCII lines need no conversion.
std::string decodeLine(std::string_view raw)
{
    return isAscii(raw) ? std::string(raw) : StringTableCodec::decode(raw);
}

// Many raw lines decoded: each with ICU, then the traditional -> simplified step once over the
// joined lines that need it; line by line if that ever changed the line structure.
std::vector<std::string> decodeLines(const std::vector<std::string_view>& raw)
{
    std::vector<std::string> decoded;
    decoded.reserve(raw.size());
    std::vector<std::size_t> wide;
    std::string joined;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const bool ascii = isAscii(raw[i]);
        decoded.push_back(ascii ? std::string(raw[i]) : StringTableCodec::big5ToUtf8(raw[i]));
        if (ascii)
            continue;
        if (!wide.empty())
            joined += "\r\n";
        joined += decoded.back();
        wide.push_back(i);
    }
    if (wide.empty())
        return decoded;
    auto simplified = splitText(StringTableCodec::toSimplified(joined), "\r\n");
    const bool aligned = simplified.size() == wide.size();
    for (std::size_t w = 0; w < wide.size(); ++w) {
        auto& line = decoded[wide[w]];
        line = aligned ? std::move(simplified[w]) : StringTableCodec::toSimplified(line);
    }
    return decoded;
}

// Needles that decoding can neither make nor break: letters, digits and "_" come only from the
// same raw bytes, so a raw match is needed for a decoded one.
bool isPlainWord(std::string_view needle)
{
    return std::all_of(needle.begin(), needle.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// The text of a decoded line that has a key: between the first and the second ">", or to the
// end of the line; nothing when it is empty.
std::optional<std::string> textOf(std::string_view line)
{
    const auto rest = line.substr(line.find('>') + 1);
    if (rest.empty())
        return std::nullopt;
    return std::string(rest.substr(0, rest.find('>')));
}

} // namespace

StringTable StringTable::fromBytes(std::string_view bytes)
{
    return fromOwnBytes(std::string(bytes));
}

StringTable StringTable::fromOwnBytes(std::string bytes)
{
    StringTable table;
    const auto nul = bytes.find('\0');
    if (nul != std::string::npos) {
        table.tail_ = bytes.substr(nul);
        bytes.resize(nul);
    }
    table.endsWithLineBreak_ = bytes.ends_with("\r\n");
    table.bytes_ = std::make_shared<const std::string>(std::move(bytes));
    const std::string_view all = *table.bytes_;

    // CR LF separated lines with the same rules as for script text: empty lines kept, an empty
    // remainder after the last CR LF dropped. An ASCII key is hashed here, as it is on its bytes.
    std::vector<std::size_t> wideKeys;
    const auto lineBreaks = static_cast<std::size_t>(std::count(all.begin(), all.end(), '\n'));
    table.lines_.reserve(lineBreaks + 1);
    table.keyHashes_.reserve(lineBreaks + 1);
    std::size_t cut = 0;
    while (cut < all.size()) {
        // The next LF that follows a CR.
        std::size_t at = cut;
        while (true) {
            const void* lf = std::memchr(all.data() + at, '\n', all.size() - at);
            at = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - all.data()) : all.size();
            if (at == all.size() || (at > cut && all[at - 1] == '\r'))
                break;
            ++at;
        }
        if (at < all.size())
            --at; // the CR
        const auto raw = all.substr(cut, at - cut);
        std::uint32_t hash = 0;
        if (const auto gt = raw.find('>'); gt != std::string_view::npos) {
            const auto key = raw.substr(0, gt);
            if (isAscii(key))
                hash = keyHash(trimmed(key));
            else
                wideKeys.push_back(table.lines_.size());
        }
        table.lines_.push_back({static_cast<std::uint32_t>(cut), static_cast<std::uint32_t>(at - cut), -1});
        table.keyHashes_.push_back(hash);
        cut = at + 2;
    }
    table.readLines_ = table.lines_.size();

    // A key with other than ASCII bytes is known only once its line is decoded.
    std::vector<std::string_view> raw;
    raw.reserve(wideKeys.size());
    for (const auto i : wideKeys)
        raw.push_back(table.rawOf(table.lines_[i]));
    auto decoded = decodeLines(raw);
    for (std::size_t w = 0; w < wideKeys.size(); ++w) {
        table.makeOwn(wideKeys[w]).decoded = std::move(decoded[w]);
        table.index(wideKeys[w]);
    }
    return table;
}

io::ReadResult<StringTable> StringTable::read(const std::filesystem::path& path)
{
    auto bytes = io::readFileBytes(path);
    if (!bytes)
        return std::unexpected(bytes.error());
    return fromOwnBytes(std::move(*bytes));
}

io::ReadResult<StringTable> StringTable::readOrEmpty(const std::filesystem::path& path)
{
    auto table = read(path);
    if (!table && table.error().isMissing())
        return StringTable{};
    return table;
}

std::string_view StringTable::rawOf(const Line& line) const
{
    return std::string_view(*bytes_).substr(line.begin, line.size);
}

const StringTable::Own* StringTable::ownOf(std::size_t i) const
{
    const auto own = lines_.at(i).own;
    return own < 0 ? nullptr : &owns_[static_cast<std::size_t>(own)];
}

StringTable::Own& StringTable::makeOwn(std::size_t i)
{
    if (lines_[i].own < 0) {
        lines_[i].own = static_cast<std::int32_t>(owns_.size());
        owns_.emplace_back();
    }
    return owns_[static_cast<std::size_t>(lines_[i].own)];
}

// Written as the bytes of its slice.
bool StringTable::keepsBytes(std::size_t i) const
{
    const Own* own = ownOf(i);
    return !own || (!own->changed && own->rawPrefix.empty());
}

std::optional<std::string_view> StringTable::keyOf(std::size_t i) const
{
    // A line without an Own entry has an ASCII key, which decoding leaves as it is.
    const Own* own = ownOf(i);
    const std::string_view line = own ? std::string_view(own->decoded) : rawOf(lines_[i]);
    const auto gt = line.find('>');
    if (gt == std::string_view::npos)
        return std::nullopt;
    return keyPart(line, gt);
}

// The first line whose key is key: a scan of the key hashes in file order, the keys compared
// only where the hashes agree. A shop looks up a few keys; building a hash map of a table of a
// hundred thousand lines on every read would cost more than all its scans.
std::optional<std::size_t> StringTable::lineOfKey(std::string_view key) const
{
    key = trimmed(key);
    const auto hash = keyHash(key);
    for (auto it = keyHashes_.begin(); (it = std::find(it, keyHashes_.end(), hash)) != keyHashes_.end();
         ++it) {
        const auto i = static_cast<std::size_t>(it - keyHashes_.begin());
        if (equalsIgnoreCase(*keyOf(i), key))
            return i;
    }
    return std::nullopt;
}

void StringTable::index(std::size_t i)
{
    const auto key = keyOf(i);
    keyHashes_.resize(std::max(keyHashes_.size(), i + 1), 0);
    keyHashes_[i] = key ? keyHash(*key) : 0;
}

void StringTable::addLine(Own own, std::uint32_t begin, std::uint32_t size)
{
    lines_.push_back({begin, size, static_cast<std::int32_t>(owns_.size())});
    owns_.push_back(std::move(own));
    index(lines_.size() - 1);
}

std::string StringTable::decodedLine(std::size_t i) const
{
    const Own* own = ownOf(i);
    return own ? own->decoded : decodeLine(rawOf(lines_[i]));
}

std::optional<std::string> StringTable::lookup(std::string_view key) const
{
    const auto i = lineOfKey(key);
    if (!i)
        return std::nullopt;
    return textOf(decodedLine(*i));
}

std::vector<std::optional<std::string>> StringTable::lookupAll(const std::vector<std::string>& keys) const
{
    // One pass over the lines finds the first line of every key.
    std::unordered_multimap<std::uint32_t, std::size_t> wanted;
    for (std::size_t k = 0; k < keys.size(); ++k)
        wanted.emplace(keyHash(trimmed(keys[k])), k);
    std::vector<std::optional<std::size_t>> lineOf(keys.size());
    std::size_t found = 0;
    for (std::size_t i = 0; i < keyHashes_.size() && found < keys.size(); ++i) {
        if (keyHashes_[i] == 0)
            continue;
        const auto [from, to] = wanted.equal_range(keyHashes_[i]);
        for (auto it = from; it != to; ++it) {
            if (!lineOf[it->second] && equalsIgnoreCase(*keyOf(i), trimmed(keys[it->second]))) {
                lineOf[it->second] = i;
                ++found;
            }
        }
    }

    // The lines they need, decoded together.
    std::vector<std::string_view> raw;
    std::unordered_map<std::size_t, std::size_t> rawOfLine;
    for (const auto& i : lineOf) {
        if (i && !ownOf(*i) && rawOfLine.try_emplace(*i, raw.size()).second)
            raw.push_back(rawOf(lines_[*i]));
    }
    const auto decoded = decodeLines(raw);
    std::vector<std::optional<std::string>> out;
    out.reserve(keys.size());
    for (const auto& i : lineOf) {
        if (!i) {
            out.emplace_back();
            continue;
        }
        const Own* own = ownOf(*i);
        out.push_back(textOf(own ? own->decoded : decoded[rawOfLine.at(*i)]));
    }
    return out;
}

bool StringTable::appendLineCopyingText(std::string_view newKey, std::string_view fromKey)
{
    const auto i = lineOfKey(fromKey);
    if (!i)
        return false;
    const auto name = lookup(fromKey);
    if (!name)
        return false;
    Own own;
    own.decoded = std::string(newKey) + ">" + *name;
    const Own* source = ownOf(*i);
    Line slice = lines_[*i];
    if (source && source->changed) {
        // Not read from the file: there are no bytes to copy, the name is encoded like any other.
        own.changed = true;
        slice = {};
    } else if (!source || source->rawPrefix.empty()) {
        // ">" (0x3E) is never a byte of a two-byte BIG5 character, so the first one ends the key.
        // A copied line's slice holds its text alone.
        const auto raw = rawOf(slice);
        const auto rest = raw.substr(raw.find('>') + 1);
        slice.begin += static_cast<std::uint32_t>(raw.size() - rest.size());
        slice.size = static_cast<std::uint32_t>(rest.substr(0, rest.find('>')).size());
    }
    if (!own.changed)
        own.rawPrefix = std::string(newKey) + ">";
    addLine(std::move(own), slice.begin, slice.size);
    return true;
}

bool StringTable::hasKey(std::string_view key) const
{
    return lineOfKey(key).has_value();
}

bool StringTable::containsText(std::string_view needle) const
{
    const std::string folded = asciiLowered(needle);
    if (needle.empty() || !isPlainWord(needle))
        return asciiLowered(text()).find(folded) != std::string::npos;

    // Decoded lines are searched as they are; a raw line only where its bytes match, and then
    // decoded to make sure the match is not made of bytes of two-byte characters.
    for (const auto& own : owns_) {
        if (asciiLowered(own.decoded).find(folded) != std::string::npos)
            return true;
    }
    const std::string_view all = *bytes_;
    const std::boyer_moore_horspool_searcher searcher(
        folded.begin(), folded.end(), [](char c) { return std::hash<char>{}(asciiLower(c)); },
        [](char a, char b) { return asciiLower(a) == asciiLower(b); });
    for (auto from = all.begin();;) {
        const auto hit = std::search(from, all.end(), searcher);
        if (hit == all.end())
            return false;
        const auto at = static_cast<std::uint32_t>(hit - all.begin());
        const auto read = lines_.begin() + static_cast<std::ptrdiff_t>(readLines_);
        const auto line = std::upper_bound(lines_.begin(), read, at,
                                           [](std::uint32_t pos, const Line& l) { return pos < l.begin; });
        const auto i = static_cast<std::size_t>(line - lines_.begin()) - 1;
        if (!ownOf(i) && asciiLowered(decodeLine(rawOf(lines_[i]))).find(folded) != std::string::npos)
            return true;
        from = hit + 1;
    }
}

void StringTable::setLine(std::string_view key, std::string_view name)
{
    const auto i = lineOfKey(key);
    if (!i) {
        appendLine(std::string(key) + ">" + std::string(name));
        return;
    }
    if (lookup(key) == std::optional<std::string>(std::string(name)))
        return;
    Own& own = makeOwn(*i);
    own.decoded = std::string(key) + ">" + std::string(name);
    own.changed = true;
    index(*i);
}

void StringTable::appendLine(std::string_view text)
{
    Own own;
    own.decoded = std::string(text);
    own.changed = true;
    addLine(std::move(own));
}

bool StringTable::isModified() const
{
    return std::any_of(owns_.begin(), owns_.end(),
                       [](const Own& own) { return own.changed || !own.rawPrefix.empty(); });
}

std::string StringTable::text() const
{
    std::vector<std::string_view> raw;
    std::vector<std::size_t> rawLines;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!ownOf(i)) {
            raw.push_back(rawOf(lines_[i]));
            rawLines.push_back(i);
        }
    }
    auto decoded = decodeLines(raw);
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0)
            out += "\r\n";
        const Own* own = ownOf(i);
        out += own ? own->decoded : decoded[next++];
    }
    return out;
}

Result<std::string> StringTable::encoded() const
{
    std::string out;
    out.reserve(bytes_->size() + tail_.size() + 2);
    for (std::size_t i = 0; i < lines_.size();) {
        if (i > 0)
            out += "\r\n";
        if (keepsBytes(i)) {
            // Untouched lines that followed each other in the file go out as one run of bytes.
            std::size_t j = i;
            while (j + 1 < lines_.size() && keepsBytes(j + 1) &&
                   lines_[j + 1].begin == lines_[j].begin + lines_[j].size + 2)
                ++j;
            out.append(*bytes_, lines_[i].begin, lines_[j].begin + lines_[j].size - lines_[i].begin);
            i = j + 1;
            continue;
        }
        const Own& own = *ownOf(i);
        if (!own.changed) {
            // The prefix of a copied line is its new key, ASCII like every key we make.
            auto prefix = StringTableCodec::encode(own.rawPrefix);
            if (!prefix)
                return fail("字符串表的行“" + own.decoded + "”：" + prefix.error().message);
            out += *prefix;
            out += rawOf(lines_[i]);
        } else {
            auto bytes = StringTableCodec::encode(own.decoded);
            if (!bytes)
                return fail("字符串表的行“" + own.decoded + "”：" + bytes.error().message);
            out += *bytes;
        }
        ++i;
    }
    if (endsWithLineBreak_ && !lines_.empty())
        out += "\r\n";
    out += tail_;
    return out;
}

} // namespace shopkeeper::text
