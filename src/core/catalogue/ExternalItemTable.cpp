#include "core/catalogue/ExternalItemTable.h"

#include "core/catalogue/GbkText.h"
#include "core/io/FileSystem.h"
#include "core/text/ScriptText.h"

#include <algorithm>
#include <functional>

namespace shopkeeper::catalogue {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A generous cap: a table of every item ever made is a few megabytes.
constexpr std::uintmax_t kMaxTableBytes = 64u * 1024u * 1024u;

// Broken sequences in a file that says it is UTF-8 become U+FFFD, as broken GBK pairs do.
std::string repairedUtf8(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t n = text::charLength(bytes, i);
        const auto piece = bytes.substr(i, n);
        if (n == 1 && static_cast<unsigned char>(piece[0]) >= 0x80)
            out += "\xEF\xBF\xBD";
        else
            out += piece;
        i += n;
    }
    return out;
}

} // namespace

std::string tableFolderLine(const std::filesystem::path& file)
{
    return kTableFolderLabel + io::displayPath(file.parent_path().lexically_normal().make_preferred());
}

std::expected<ExternalItemTable, ExternalTableError>
ExternalItemTable::read(const std::filesystem::path& file)
{
    std::error_code ec;
    // The user learns where the file is looked for: the workspace, which need not hold the program.
    if (!std::filesystem::exists(file, ec))
        return std::unexpected(
            ExternalTableError{ExternalTableError::Reason::Missing, kLoadFailedTitle,
                               std::string(kMissingTableMessage) + "\n" + tableFolderLine(file)});
    auto bytes = io::readFileBytes(file, kMaxTableBytes);
    if (!bytes)
        return std::unexpected(ExternalTableError{ExternalTableError::Reason::Unreadable, kLoadFailedTitle,
                                                  bytes.error().message});
    std::expected<ExternalItemTable, ExternalTableError> table = std::unexpected(ExternalTableError{});
    // A file that is UTF-8 as it stands becomes the table's text without a copy.
    if (const std::string_view whole(*bytes);
        !whole.starts_with(kUtf8Bom) && isValidUtf8(whole.substr(0, whole.find('\0')))) {
        bytes->resize(std::min(bytes->size(), bytes->find('\0')));
        table = fromText(std::move(*bytes), Encoding::Utf8);
    } else {
        table = fromBytes(*bytes);
    }
    if (!table && table.error().reason == ExternalTableError::Reason::Unsupported)
        table.error().message += "\n" + tableFolderLine(file);
    return table;
}

std::expected<ExternalItemTable, ExternalTableError> ExternalItemTable::fromBytes(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    if (bytes.starts_with(kUtf8Bom))
        return fromText(repairedUtf8(bytes.substr(kUtf8Bom.size())), Encoding::Utf8);
    if (isValidUtf8(bytes))
        return fromText(std::string(bytes), Encoding::Utf8);
    return fromText(gbkToUtf8(bytes), Encoding::Gbk);
}

std::expected<ExternalItemTable, ExternalTableError> ExternalItemTable::fromText(std::string text,
                                                                                 Encoding encoding)
{
    if (text.find('\t') == std::string::npos)
        return std::unexpected(ExternalTableError{ExternalTableError::Reason::Unsupported, kLoadFailedTitle,
                                                  kUnsupportedTableMessage});
    ExternalItemTable table;
    table.encoding_ = encoding;
    table.text_ = std::move(text);
    table.lowered_ = text::asciiLowered(table.text_);
    const std::string_view all(table.text_);
    // Lines split at LF, each without the CR before it; an empty rest after the last LF is no
    // line. A text without any LF is one line, as it stands.
    if (all.find('\n') == std::string_view::npos) {
        table.spans_.push_back({0, static_cast<std::uint32_t>(all.size())});
    } else {
        std::size_t begin = 0;
        while (begin < all.size()) {
            auto end = all.find('\n', begin);
            const bool last = end == std::string_view::npos;
            if (last)
                end = all.size();
            auto size = end - begin;
            if (size > 0 && all[begin + size - 1] == '\r')
                --size;
            table.spans_.push_back({static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(size)});
            begin = last ? all.size() : end + 1;
        }
    }
    table.ids_.reserve(table.spans_.size());
    for (std::size_t i = 0; i < table.spans_.size(); ++i) {
        if (const auto id = table.idFieldOf(i))
            table.ids_.emplace_back(std::hash<std::string_view>{}(*id), static_cast<std::uint32_t>(i));
    }
    std::sort(table.ids_.begin(), table.ids_.end());
    return table;
}

std::optional<std::string_view> ExternalItemTable::idFieldOf(std::size_t i) const
{
    const auto lowered = loweredLine(i);
    const auto tab = lowered.find('\t');
    if (tab == std::string_view::npos)
        return std::nullopt; // kept, never matched
    return text::trimmed(lowered.substr(0, tab));
}

std::vector<std::string> ExternalItemTable::lines() const
{
    std::vector<std::string> out;
    out.reserve(spans_.size());
    for (std::size_t i = 0; i < spans_.size(); ++i)
        out.emplace_back(line(i));
    return out;
}

std::optional<std::pair<std::string_view, std::string_view>>
ExternalItemTable::idAndName(std::string_view line)
{
    const auto tab = line.find('\t');
    // Splitting drops an empty remainder, so "ID" TAB with nothing after it is one piece.
    if (tab == std::string_view::npos || tab + 1 == line.size())
        return std::nullopt;
    const auto rest = line.substr(tab + 1);
    return std::pair{line.substr(0, tab), rest.substr(0, rest.find('\t'))};
}

std::optional<std::string> ExternalItemTable::nameOf(std::string_view id) const
{
    const std::string key = text::asciiLowered(id);
    const auto hash = std::hash<std::string_view>{}(key);
    auto it = std::lower_bound(ids_.begin(), ids_.end(), std::pair<std::size_t, std::uint32_t>{hash, 0});
    while (it != ids_.end() && it->first == hash && idFieldOf(it->second) != std::string_view(key))
        ++it;
    if (it == ids_.end() || it->first != hash)
        return std::nullopt;
    const auto pieces = idAndName(line(it->second));
    if (!pieces)
        return std::string(kUnknownItemName);
    return std::string(pieces->second);
}

} // namespace shopkeeper::catalogue
