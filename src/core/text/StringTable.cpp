#include "core/text/StringTable.h"

#include "core/io/FileSystem.h"
#include "core/text/ScriptText.h"
#include "core/text/StringTableCodec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace shopkeeper::text {

namespace {

// Eight bytes at a time: a table's read asks this of the key of every line.
bool isAscii(std::string_view bytes)
{
    std::uint64_t all = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, 8);
        all |= word;
    }
    for (; i < bytes.size(); ++i)
        all |= static_cast<unsigned char>(bytes[i]);
    return (all & 0x8080808080808080ull) == 0;
}

// A hash of the key's length and its first and last eight bytes, each byte with its 0x20 bit
// set, so that keys equal but for ASCII case hash alike; never 0, which marks a line without a
// key. It costs the same for every key, and a match is always checked on the key itself.
inline std::uint32_t keyHash(std::string_view key)
{
    constexpr std::uint64_t caseBits = 0x2020202020202020ull;
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    if (key.size() >= 8) {
        std::memcpy(&head, key.data(), 8);
        std::memcpy(&tail, key.data() + key.size() - 8, 8);
    } else if (!key.empty()) {
        std::memcpy(&head, key.data(), key.size());
        tail = head;
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

// Where a raw line stops being ASCII: the key before that is kept as it is. Decoding leaves
// ASCII alone, and the traditional -> simplified dictionaries hold no ASCII in their phrases, so
// no phrase spans the cut; a key is most of a line, and the conversion costs by the character.
std::size_t asciiPrefix(std::string_view raw)
{
    std::size_t i = 0;
    while (i < raw.size() && static_cast<unsigned char>(raw[i]) < 0x80)
        ++i;
    return i;
}

// One raw line decoded.
std::string decodeLine(std::string_view raw)
{
    const auto cut = asciiPrefix(raw);
    if (cut == raw.size())
        return std::string(raw);
    return std::string(raw.substr(0, cut)) + StringTableCodec::decode(raw.substr(cut));
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
        const auto cut = asciiPrefix(raw[i]);
        decoded.emplace_back(raw[i].substr(0, cut));
        if (cut == raw[i].size())
            continue;
        if (!wide.empty())
            joined += "\r\n";
        joined += StringTableCodec::big5ToUtf8(raw[i].substr(cut));
        wide.push_back(i);
    }
    if (wide.empty())
        return decoded;
    auto simplified = splitText(StringTableCodec::toSimplified(joined), "\r\n");
    if (simplified.size() != wide.size()) {
        for (const auto i : wide)
            decoded[i] = decodeLine(raw[i]);
        return decoded;
    }
    for (std::size_t w = 0; w < wide.size(); ++w)
        decoded[wide[w]] += simplified[w];
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

struct StringTable::Read : std::enable_shared_from_this<StringTable::Read>
{
    std::string bytes;
    std::vector<Span> lines;
    std::vector<std::uint32_t> keyHashes;                   // of each line's key, 0 for none
    std::unordered_map<std::size_t, std::string> wideKeyed; // lines with a key that is not ASCII, decoded
    bool endsWithLineBreak = false;
    std::string tail;

    // Made when first needed, by whichever copy of the table needs them first.
    mutable std::once_flag loweredOnce;
    mutable std::string lowered; // bytes with ASCII letters lowered, for searches
    mutable std::mutex decodedMutex;
    mutable std::unordered_map<std::size_t, std::string> decoded;
    // Whether a lowered plain word occurs in the read lines with an ASCII key: a save draws new
    // keys from one sequence, so every shop checked against one table asks the same words.
    mutable std::mutex searchedMutex;
    mutable std::unordered_map<std::string, bool> searched;

    const std::string* cached(std::size_t i) const
    {
        const std::lock_guard lock(decodedMutex);
        const auto it = decoded.find(i);
        return it == decoded.end() ? nullptr : &it->second; // entries are never removed or changed
    }
    const std::string& cache(std::size_t i, std::string line) const
    {
        const std::lock_guard lock(decodedMutex);
        return decoded.try_emplace(i, std::move(line)).first->second;
    }
};

StringTable::StringTable()
{
    static const auto empty = std::make_shared<const Read>();
    read_ = empty;
}

StringTable StringTable::fromBytes(std::string_view bytes)
{
    return fromOwnBytes(std::string(bytes));
}

StringTable StringTable::fromOwnBytes(std::string bytes, bool useKept)
{
    StringTable table;
    if (useKept) {
        if (auto kept = recall(bytes, nullptr, nullptr)) {
            table.read_ = std::move(kept);
            return table;
        }
    }
    auto read = std::make_shared<Read>();
    const auto nul = bytes.find('\0');
    if (nul != std::string::npos) {
        read->tail = bytes.substr(nul);
        bytes.resize(nul);
    }
    read->endsWithLineBreak = bytes.ends_with("\r\n");
    read->bytes = std::move(bytes);
    const std::string_view all = read->bytes;

    // CR LF separated lines with the same rules as for script text: empty lines kept, an empty
    // remainder after the last CR LF dropped. An ASCII key is hashed here, as it is on its bytes.
    // Lines are seldom shorter than eight bytes; pages reserved and not used are never touched.
    std::vector<std::size_t> wideKeys;
    read->lines.reserve(all.size() / 8 + 1);
    read->keyHashes.reserve(all.size() / 8 + 1);
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
        addLineOf(*read, cut, at - cut, wideKeys);
        cut = at + 2;
    }
    keyWideLines(*read, wideKeys);
    if (useKept)
        remember(read);
    table.read_ = std::move(read);
    return table;
}

// A line of read's bytes: its span and the hash of its key when that is ASCII; a key with other
// bytes is known only once its line is decoded, and its line goes to wideKeys.
void StringTable::addLineOf(Read& read, std::size_t begin, std::size_t size,
                            std::vector<std::size_t>& wideKeys)
{
    const auto raw = std::string_view(read.bytes).substr(begin, size);
    std::uint32_t hash = 0;
    if (const void* gt = std::memchr(raw.data(), '>', raw.size())) {
        const auto key = raw.substr(0, static_cast<std::size_t>(static_cast<const char*>(gt) - raw.data()));
        if (isAscii(key))
            hash = keyHash(trimmed(key));
        else
            wideKeys.push_back(read.lines.size());
    }
    read.lines.push_back({static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(size)});
    read.keyHashes.push_back(hash);
}

void StringTable::keyWideLines(Read& read, const std::vector<std::size_t>& wideKeys)
{
    std::vector<std::string_view> raw;
    raw.reserve(wideKeys.size());
    for (const auto i : wideKeys)
        raw.push_back(std::string_view(read.bytes).substr(read.lines[i].begin, read.lines[i].size));
    auto decoded = decodeLines(raw);
    for (std::size_t w = 0; w < wideKeys.size(); ++w) {
        const auto& line = read.wideKeyed.emplace(wideKeys[w], std::move(decoded[w])).first->second;
        const auto gt = line.find('>');
        read.keyHashes[wideKeys[w]] = gt == std::string::npos ? 0 : keyHash(keyPart(line, gt));
    }
}

// The tables read or written last, kept with their lines and keys: opening a shop reads the
// table again, and when its bytes are the same, the work of finding its lines and keys is not
// done again. Two, for the page-name table and the NPC-name table.
std::shared_ptr<const StringTable::Read> StringTable::recall(std::string_view bytes, const Read* remembered,
                                                             const Read* replaced)
{
    static std::mutex mutex;
    static std::array<std::shared_ptr<const Read>, 2> kept;
    const std::lock_guard lock(mutex);
    if (!remembered && bytes.data() == nullptr) {
        kept = {};
        return nullptr;
    }
    if (remembered) {
        // The newest first; a table written over the one it was read from takes its place.
        auto slot = std::find_if(kept.begin(), kept.end(), [&](const auto& read) {
            return read.get() == remembered || (replaced && read.get() == replaced);
        });
        if (slot == kept.end())
            slot = kept.end() - 1;
        std::rotate(kept.begin(), slot, slot + 1);
        kept.front() = remembered->shared_from_this();
        return nullptr;
    }
    for (auto& read : kept) {
        if (read && read->bytes.size() + read->tail.size() == bytes.size() &&
            bytes.substr(0, read->bytes.size()) == read->bytes &&
            bytes.substr(read->bytes.size()) == read->tail)
            return read;
    }
    return nullptr;
}

void StringTable::forgetKept()
{
    (void)recall(std::string_view(), nullptr, nullptr);
}

void StringTable::remember(const std::shared_ptr<const Read>& read, const Read* replaced)
{
    (void)recall({}, read.get(), replaced);
}

bool StringTable::sameIndexAs(const StringTable& other) const
{
    const Read& a = *read_;
    const Read& b = *other.read_;
    auto spans = [](const Read& r) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
        for (const auto& span : r.lines)
            out.emplace_back(span.begin, span.size);
        return out;
    };
    return a.bytes == b.bytes && a.tail == b.tail && a.endsWithLineBreak == b.endsWithLineBreak &&
           spans(a) == spans(b) && a.keyHashes == b.keyHashes && a.wideKeyed == b.wideKeyed;
}

StringTable StringTable::indexed(std::string_view bytes)
{
    return fromOwnBytes(std::string(bytes), false);
}

void StringTable::rememberWritten(std::string written) const
{
    if (!isModified())
        return;
    const Read& old = *read_;
    const auto nul = written.find('\0');
    auto read = std::make_shared<Read>();
    if (nul != std::string::npos) {
        read->tail = written.substr(nul);
        written.resize(nul);
    }
    read->bytes = std::move(written);
    read->endsWithLineBreak = read->bytes.ends_with("\r\n");
    if (read->tail != old.tail)
        return;

    // The lines as encoded() put them: untouched lines with the bytes, lines and keys they were
    // read with, and this table's own lines, each its encoding. An own line that holds a line
    // break or a NUL would be more than one line to a reader: such a table is not kept.
    std::vector<std::size_t> changed;
    changed.reserve(changed_.size());
    for (const auto& entry : changed_)
        changed.push_back(entry.first);
    std::sort(changed.begin(), changed.end());
    read->lines.reserve(lineCount());
    read->keyHashes.reserve(lineCount());
    std::vector<std::size_t> wideKeys;
    std::size_t at = 0;
    auto addOwn = [&](const Own& own) {
        auto bytes = StringTableCodec::encode(own.changed ? own.decoded : own.rawPrefix);
        if (!bytes)
            return false;
        if (!own.changed)
            *bytes += rawOf(own.slice);
        if (bytes->find_first_of(std::string_view("\n\0", 2)) != std::string::npos ||
            at + bytes->size() > read->bytes.size())
            return false;
        addLineOf(*read, at, bytes->size(), wideKeys);
        at += bytes->size();
        return true;
    };
    auto next = changed.begin();
    for (std::size_t i = 0; i < lineCount(); ++i) {
        if (i > 0)
            at += 2;
        if (i >= readCount() || (next != changed.end() && *next == i)) {
            if (!addOwn(i >= readCount() ? added_[i - readCount()] : changed_.at(i)))
                return;
            if (i < readCount())
                ++next;
            continue;
        }
        const Span span = old.lines[i];
        read->lines.push_back({static_cast<std::uint32_t>(at), span.size});
        read->keyHashes.push_back(old.keyHashes[i]);
        at += span.size;
    }
    for (const auto& [i, line] : old.wideKeyed) {
        if (!changed_.contains(i))
            read->wideKeyed.emplace(i, line);
    }
    if (read->endsWithLineBreak && lineCount() > 0)
        at += 2;
    if (at != read->bytes.size())
        return;
    keyWideLines(*read, wideKeys);
    remember(read, &old);
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

std::size_t StringTable::lineCount() const
{
    return read_->lines.size() + added_.size();
}

std::size_t StringTable::readCount() const
{
    return read_->lines.size();
}

std::string_view StringTable::rawOf(Span span) const
{
    return std::string_view(read_->bytes).substr(span.begin, span.size);
}

std::string_view StringTable::rawOf(std::size_t i) const
{
    return rawOf(read_->lines[i]);
}

const StringTable::Own* StringTable::ownOf(std::size_t i) const
{
    if (i >= readCount())
        return &added_.at(i - readCount());
    const auto it = changed_.find(i);
    return it == changed_.end() ? nullptr : &it->second;
}

const std::string* StringTable::knownDecoded(std::size_t i) const
{
    if (const Own* own = ownOf(i))
        return &own->decoded;
    const auto it = read_->wideKeyed.find(i);
    return it == read_->wideKeyed.end() ? nullptr : &it->second;
}

// A read line decoded, once for all copies of the table.
std::string StringTable::decodedReadLine(std::size_t i) const
{
    if (const auto* line = read_->cached(i))
        return *line;
    return read_->cache(i, decodeLine(rawOf(i)));
}

std::optional<std::string_view> StringTable::keyOf(std::size_t i) const
{
    // A line not decoded yet has an ASCII key, which decoding leaves as it is.
    const auto* decoded = knownDecoded(i);
    const std::string_view line = decoded ? std::string_view(*decoded) : rawOf(i);
    const auto gt = line.find('>');
    if (gt == std::string_view::npos)
        return std::nullopt;
    return keyPart(line, gt);
}

// The first line whose key is key: a scan of the key hashes in file order, the keys compared
// only where the hashes agree. A shop looks up a few keys; building a hash map of a table of a
// hundred thousand lines on every read would cost more than all its scans. A changed read line
// keeps its key (setLine changes only the text), so the read hashes stay true.
std::optional<std::size_t> StringTable::lineOfKey(std::string_view key) const
{
    key = trimmed(key);
    const auto hash = keyHash(key);
    const auto& hashes = read_->keyHashes;
    for (auto it = hashes.begin(); (it = std::find(it, hashes.end(), hash)) != hashes.end(); ++it) {
        const auto i = static_cast<std::size_t>(it - hashes.begin());
        if (equalsIgnoreCase(*keyOf(i), key))
            return i;
    }
    for (std::size_t a = 0; a < addedHashes_.size(); ++a) {
        if (addedHashes_[a] == hash && equalsIgnoreCase(*keyOf(readCount() + a), key))
            return readCount() + a;
    }
    return std::nullopt;
}

void StringTable::addLine(Own own)
{
    added_.push_back(std::move(own));
    const auto key = keyOf(lineCount() - 1);
    addedHashes_.push_back(key ? keyHash(*key) : 0);
}

std::string StringTable::decodedLine(std::size_t i) const
{
    if (const auto* decoded = knownDecoded(i))
        return *decoded;
    return decodedReadLine(i);
}

std::optional<std::string> StringTable::lookup(std::string_view key) const
{
    const auto i = lineOfKey(key);
    if (!i)
        return std::nullopt;
    if (const auto* decoded = knownDecoded(*i))
        return textOf(*decoded);
    return textOf(decodedReadLine(*i));
}

void StringTable::decodeAll() const
{
    std::vector<std::string_view> raw;
    std::vector<std::size_t> rawLines;
    for (std::size_t i = 0; i < readCount(); ++i) {
        if (!knownDecoded(i) && !read_->cached(i)) {
            raw.push_back(rawOf(i));
            rawLines.push_back(i);
        }
    }
    auto decoded = decodeLines(raw);
    for (std::size_t r = 0; r < rawLines.size(); ++r)
        read_->cache(rawLines[r], std::move(decoded[r]));
}

std::vector<std::optional<std::string>> StringTable::lookupAll(const std::vector<std::string>& keys) const
{
    // A shop has a few keys: a scan of the hashes for each costs less than a map of them. Many
    // keys are found in one pass over the lines.
    std::vector<std::optional<std::size_t>> lineOf(keys.size());
    if (keys.size() <= 8) {
        for (std::size_t k = 0; k < keys.size(); ++k)
            lineOf[k] = lineOfKey(keys[k]);
    } else {
        std::unordered_multimap<std::uint32_t, std::size_t> wanted;
        for (std::size_t k = 0; k < keys.size(); ++k)
            wanted.emplace(keyHash(trimmed(keys[k])), k);
        std::size_t found = 0;
        for (std::size_t i = 0; i < lineCount() && found < keys.size(); ++i) {
            const auto hash = i < readCount() ? read_->keyHashes[i] : addedHashes_[i - readCount()];
            if (hash == 0)
                continue;
            const auto [from, to] = wanted.equal_range(hash);
            for (auto it = from; it != to; ++it) {
                if (!lineOf[it->second] && equalsIgnoreCase(*keyOf(i), trimmed(keys[it->second]))) {
                    lineOf[it->second] = i;
                    ++found;
                }
            }
        }
    }

    // The lines they need that are not decoded yet, decoded together.
    std::vector<std::string_view> raw;
    std::vector<std::size_t> rawLines;
    std::unordered_set<std::size_t> pending;
    for (const auto& i : lineOf) {
        if (i && !knownDecoded(*i) && !read_->cached(*i) && pending.insert(*i).second) {
            raw.push_back(rawOf(*i));
            rawLines.push_back(*i);
        }
    }
    auto decoded = decodeLines(raw);
    for (std::size_t r = 0; r < rawLines.size(); ++r)
        read_->cache(rawLines[r], std::move(decoded[r]));
    std::vector<std::optional<std::string>> out;
    out.reserve(keys.size());
    for (const auto& i : lineOf) {
        if (!i) {
            out.emplace_back();
            continue;
        }
        const auto* known = knownDecoded(*i);
        out.push_back(textOf(known ? *known : *read_->cached(*i)));
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
    if (source && source->changed) {
        // Not read from the file: there are no bytes to copy, the name is encoded like any other.
        own.changed = true;
    } else if (source) {
        // A copied line: its slice already holds the text alone.
        own.slice = source->slice;
    } else {
        // ">" (0x3E) is never a byte of a two-byte BIG5 character, so the first one ends the key.
        // A copied line's slice holds its text alone.
        const Span line = read_->lines[*i];
        const auto raw = rawOf(line);
        const auto rest = raw.substr(raw.find('>') + 1);
        own.slice.begin = line.begin + static_cast<std::uint32_t>(raw.size() - rest.size());
        own.slice.size = static_cast<std::uint32_t>(rest.substr(0, rest.find('>')).size());
    }
    if (!own.changed)
        own.rawPrefix = std::string(newKey) + ">";
    addLine(std::move(own));
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
    auto holds = [&](const std::string& line) {
        return asciiLowered(line).find(folded) != std::string::npos;
    };
    if (std::any_of(added_.begin(), added_.end(), [&](const Own& own) { return holds(own.decoded); }) ||
        std::any_of(changed_.begin(), changed_.end(),
                    [&](const auto& own) { return holds(own.second.decoded); }) ||
        std::any_of(read_->wideKeyed.begin(), read_->wideKeyed.end(),
                    [&](const auto& line) { return !changed_.contains(line.first) && holds(line.second); }))
        return true;
    // The read lines' answer does not depend on this copy unless it changed some of them.
    if (changed_.empty()) {
        const std::lock_guard lock(read_->searchedMutex);
        if (const auto it = read_->searched.find(folded); it != read_->searched.end())
            return it->second;
    }
    const bool found = readLinesHold(folded);
    if (changed_.empty()) {
        const std::lock_guard lock(read_->searchedMutex);
        if (read_->searched.size() >= 4096)
            read_->searched.clear();
        read_->searched.emplace(folded, found);
    }
    return found;
}

bool StringTable::readLinesHold(const std::string& folded) const
{
    std::call_once(read_->loweredOnce, [&] { read_->lowered = asciiLowered(read_->bytes); });
    const std::string_view all = read_->lowered;
    const auto& lines = read_->lines;
    // Horspool over a byte table: keys share long prefixes ("tab_name_"), which a search for the
    // first byte followed by a compare would try at every line.
    const std::boyer_moore_horspool_searcher searcher(folded.begin(), folded.end());
    for (auto from = all.begin();;) {
        const auto hit = std::search(from, all.end(), searcher);
        if (hit == all.end())
            return false;
        from = hit + 1;
        const auto at = static_cast<std::size_t>(hit - all.begin());
        const auto line = std::upper_bound(lines.begin(), lines.end(), at,
                                           [](std::size_t pos, const Span& l) { return pos < l.begin; });
        const auto i = static_cast<std::size_t>(line - lines.begin()) - 1;
        if (!knownDecoded(i) && asciiLowered(decodedReadLine(i)).find(folded) != std::string::npos)
            return true;
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
    Own& own = *i < readCount() ? changed_[*i] : added_[*i - readCount()];
    own.decoded = std::string(key) + ">" + std::string(name);
    own.changed = true;
    if (*i >= readCount()) {
        const auto newKey = keyOf(*i);
        addedHashes_[*i - readCount()] = newKey ? keyHash(*newKey) : 0;
    }
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
    return !changed_.empty() || !added_.empty();
}

bool StringTable::isReadFrom(std::string_view bytes) const
{
    if (isModified() || bytes.size() != read_->bytes.size() + read_->tail.size())
        return false;
    return bytes.substr(0, read_->bytes.size()) == read_->bytes &&
           bytes.substr(read_->bytes.size()) == read_->tail;
}

std::string StringTable::text() const
{
    std::vector<std::string_view> raw;
    for (std::size_t i = 0; i < lineCount(); ++i) {
        if (!knownDecoded(i))
            raw.push_back(rawOf(i));
    }
    auto decoded = decodeLines(raw);
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < lineCount(); ++i) {
        if (i > 0)
            out += "\r\n";
        const auto* known = knownDecoded(i);
        out += known ? *known : decoded[next++];
    }
    return out;
}

Result<std::string> StringTable::encoded() const
{
    const auto& lines = read_->lines;
    std::vector<std::size_t> changed;
    changed.reserve(changed_.size());
    for (const auto& entry : changed_)
        changed.push_back(entry.first);
    std::sort(changed.begin(), changed.end());

    std::string out;
    out.reserve(read_->bytes.size() + read_->tail.size() + 2);
    auto encodeOwn = [&](const Own& own) -> Status {
        if (!own.changed) {
            // The prefix of a copied line is its new key, ASCII like every key we make.
            auto prefix = StringTableCodec::encode(own.rawPrefix);
            if (!prefix)
                return fail("字符串表的行“" + own.decoded + "”：" + prefix.error().message);
            out += *prefix;
            out += rawOf(own.slice);
            return {};
        }
        auto bytes = StringTableCodec::encode(own.decoded);
        if (!bytes)
            return fail("字符串表的行“" + own.decoded + "”：" + bytes.error().message);
        out += *bytes;
        return {};
    };
    // Untouched read lines follow each other in the file and go out as runs of bytes.
    std::size_t i = 0;
    auto next = changed.begin();
    while (i < lines.size()) {
        if (i > 0)
            out += "\r\n";
        if (next != changed.end() && *next == i) {
            if (auto ok = encodeOwn(changed_.at(i)); !ok)
                return std::unexpected(ok.error());
            ++next;
            ++i;
            continue;
        }
        const std::size_t end = next == changed.end() ? lines.size() : *next;
        out.append(read_->bytes, lines[i].begin, lines[end - 1].begin + lines[end - 1].size - lines[i].begin);
        i = end;
    }
    for (const auto& own : added_) {
        if (i++ > 0)
            out += "\r\n";
        if (auto ok = encodeOwn(own); !ok)
            return std::unexpected(ok.error());
    }
    if (read_->endsWithLineBreak && lineCount() > 0)
        out += "\r\n";
    out += read_->tail;
    return out;
}

} // namespace shopkeeper::text
