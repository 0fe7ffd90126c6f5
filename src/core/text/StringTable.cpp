#include "core/text/StringTable.h"

#include "core/io/FileSystem.h"
#include "core/text/ScriptText.h"
#include "core/text/StringTableCodec.h"

#include <algorithm>

namespace shopkeeper::text {

namespace {

std::string keyOf(std::string_view decodedLine)
{
    const auto gt = decodedLine.find('>');
    if (gt == std::string_view::npos)
        return {};
    return asciiLowered(trimmed(decodedLine.substr(0, gt)));
}

// CR LF separated byte lines, with the same rules as for script text: empty lines kept,
// an empty remainder after the last CR LF dropped.
std::vector<std::string_view> byteLines(std::string_view bytes)
{
    std::vector<std::string_view> out;
    std::size_t cut = 0;
    while (true) {
        const auto at = bytes.find("\r\n", cut);
        if (at == std::string_view::npos)
            break;
        out.push_back(bytes.substr(cut, at - cut));
        cut = at + 2;
    }
    if (cut < bytes.size())
        out.push_back(bytes.substr(cut));
    return out;
}

} // namespace

StringTable StringTable::fromBytes(std::string_view bytes)
{
    StringTable table;
    const auto nul = bytes.find('\0');
    if (nul != std::string_view::npos) {
        table.tail_ = std::string(bytes.substr(nul));
        bytes = bytes.substr(0, nul);
    }
    table.endsWithLineBreak_ = bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n";
    const auto raw = byteLines(bytes);

    // Decode every line with ICU, then run the traditional -> simplified step once over the
    // joined lines that need it (ASCII lines need none); fall back to line by line if that
    // ever changed the line structure.
    std::vector<std::string> decoded;
    decoded.reserve(raw.size());
    std::vector<std::size_t> wide;
    std::string joined;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const bool ascii = std::all_of(raw[i].begin(), raw[i].end(), [](char c) { return (c & 0x80) == 0; });
        decoded.push_back(ascii ? std::string(raw[i]) : StringTableCodec::big5ToUtf8(raw[i]));
        if (ascii)
            continue;
        if (!wide.empty())
            joined += "\r\n";
        joined += decoded.back();
        wide.push_back(i);
    }
    auto simplified = splitText(StringTableCodec::toSimplified(joined), "\r\n");
    const bool aligned = simplified.size() == wide.size();
    for (std::size_t w = 0; w < wide.size(); ++w) {
        auto& line = decoded[wide[w]];
        line = aligned ? std::move(simplified[w]) : StringTableCodec::toSimplified(line);
    }

    table.lines_.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        Line line;
        line.raw = std::string(raw[i]);
        line.decoded = std::move(decoded[i]);
        table.lines_.push_back(std::move(line));
        table.indexLine(i);
    }
    return table;
}

io::ReadResult<StringTable> StringTable::read(const std::filesystem::path& path)
{
    auto bytes = io::readFileBytes(path);
    if (!bytes)
        return std::unexpected(bytes.error());
    return fromBytes(*bytes);
}

io::ReadResult<StringTable> StringTable::readOrEmpty(const std::filesystem::path& path)
{
    auto table = read(path);
    if (!table && table.error().isMissing())
        return StringTable{};
    return table;
}

void StringTable::indexLine(std::size_t i)
{
    auto key = keyOf(lines_[i].decoded);
    if (lines_[i].decoded.find('>') != std::string::npos)
        firstLineOfKey_.try_emplace(std::move(key), i);
}

std::optional<std::string> StringTable::lookup(std::string_view key) const
{
    const auto it = firstLineOfKey_.find(asciiLowered(trimmed(key)));
    if (it == firstLineOfKey_.end())
        return std::nullopt;
    const std::string& line = lines_[it->second].decoded;
    const auto first = line.find('>');
    const auto rest = std::string_view(line).substr(first + 1);
    if (rest.empty())
        return std::nullopt;
    return std::string(rest.substr(0, rest.find('>')));
}

bool StringTable::appendLineCopyingText(std::string_view newKey, std::string_view fromKey)
{
    const auto it = firstLineOfKey_.find(asciiLowered(trimmed(fromKey)));
    if (it == firstLineOfKey_.end())
        return false;
    const auto name = lookup(fromKey);
    if (!name)
        return false;
    const Line& source = lines_[it->second];
    Line line;
    line.decoded = std::string(newKey) + ">" + *name;
    if (source.changed) {
        // Not read from the file: there are no bytes to copy, the name is encoded like any other.
        line.changed = true;
    } else {
        // ">" (0x3E) is never a byte of a two-byte BIG5 character, so the first one ends the key.
        const auto rest = std::string_view(source.raw).substr(source.raw.find('>') + 1);
        line.rawPrefix = std::string(newKey) + ">";
        line.raw = std::string(rest.substr(0, rest.find('>')));
    }
    lines_.push_back(std::move(line));
    indexLine(lines_.size() - 1);
    foldedTextValid_ = false;
    return true;
}

bool StringTable::hasKey(std::string_view key) const
{
    return firstLineOfKey_.contains(asciiLowered(trimmed(key)));
}

bool StringTable::containsText(std::string_view needle) const
{
    if (!foldedTextValid_) {
        foldedText_ = asciiLowered(text());
        foldedTextValid_ = true;
    }
    return foldedText_.find(asciiLowered(needle)) != std::string::npos;
}

void StringTable::setLine(std::string_view key, std::string_view name)
{
    const auto it = firstLineOfKey_.find(asciiLowered(trimmed(key)));
    if (it == firstLineOfKey_.end()) {
        appendLine(std::string(key) + ">" + std::string(name));
        return;
    }
    if (lookup(key) == std::optional<std::string>(std::string(name)))
        return;
    Line& line = lines_[it->second];
    line.decoded = std::string(key) + ">" + std::string(name);
    line.changed = true;
    foldedTextValid_ = false;
}

void StringTable::appendLine(std::string_view text)
{
    Line line;
    line.decoded = std::string(text);
    line.changed = true;
    lines_.push_back(std::move(line));
    indexLine(lines_.size() - 1);
    foldedTextValid_ = false;
}

bool StringTable::isModified() const
{
    for (const auto& line : lines_) {
        if (line.changed || !line.rawPrefix.empty())
            return true;
    }
    return false;
}

std::string StringTable::text() const
{
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0)
            out += "\r\n";
        out += lines_[i].decoded;
    }
    return out;
}

Result<std::string> StringTable::encoded() const
{
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0)
            out += "\r\n";
        if (!lines_[i].changed) {
            // The prefix of a copied line is its new key, ASCII like every key we make.
            if (!lines_[i].rawPrefix.empty()) {
                auto prefix = StringTableCodec::encode(lines_[i].rawPrefix);
                if (!prefix)
                    return fail("字符串表的行“" + lines_[i].decoded + "”：" + prefix.error().message);
                out += *prefix;
            }
            out += lines_[i].raw;
            continue;
        }
        auto bytes = StringTableCodec::encode(lines_[i].decoded);
        if (!bytes)
            return fail("字符串表的行“" + lines_[i].decoded + "”：" + bytes.error().message);
        out += *bytes;
    }
    if (endsWithLineBreak_ && !lines_.empty())
        out += "\r\n";
    out += tail_;
    return out;
}

} // namespace shopkeeper::text
