#include "core/catalogue/ExternalItemTable.h"

#include "core/catalogue/GbkText.h"
#include "core/io/FileSystem.h"
#include "core/text/ScriptText.h"

namespace shopkeeper::catalogue {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A generous cap: a table of every item ever made is a few megabytes.
constexpr std::uintmax_t kMaxTableBytes = 64u * 1024u * 1024u;

std::vector<std::string> splitLines(std::string_view text)
{
    if (text.find('\n') == std::string_view::npos)
        return {std::string(text)};
    auto lines = text::splitText(text, "\n");
    for (auto& line : lines) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    }
    return lines;
}

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
    auto table = fromBytes(*bytes);
    if (!table && table.error().reason == ExternalTableError::Reason::Unsupported)
        table.error().message += "\n" + tableFolderLine(file);
    return table;
}

std::expected<ExternalItemTable, ExternalTableError> ExternalItemTable::fromBytes(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    ExternalItemTable table;
    std::string text;
    if (bytes.starts_with(kUtf8Bom)) {
        bytes.remove_prefix(kUtf8Bom.size());
        table.encoding_ = Encoding::Utf8;
        text = repairedUtf8(bytes);
    } else if (isValidUtf8(bytes)) {
        table.encoding_ = Encoding::Utf8;
        text = std::string(bytes);
    } else {
        table.encoding_ = Encoding::Gbk;
        text = gbkToUtf8(bytes);
    }
    if (text.find('\t') == std::string::npos)
        return std::unexpected(ExternalTableError{ExternalTableError::Reason::Unsupported, kLoadFailedTitle,
                                                  kUnsupportedTableMessage});

    table.lines_ = splitLines(text);
    table.lowered_.reserve(table.lines_.size());
    for (std::size_t i = 0; i < table.lines_.size(); ++i) {
        const std::string& line = table.lines_[i];
        table.lowered_.push_back(text::asciiLowered(line));
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            continue; // kept, never matched
        const auto id = text::trimmed(std::string_view(table.lowered_.back()).substr(0, tab));
        table.firstLineOfId_.try_emplace(std::string(id), i);
    }
    return table;
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
    const auto it = firstLineOfId_.find(text::asciiLowered(id));
    if (it == firstLineOfId_.end())
        return std::nullopt;
    const auto pieces = idAndName(lines_[it->second]);
    if (!pieces)
        return std::string(kUnknownItemName);
    return std::string(pieces->second);
}

} // namespace shopkeeper::catalogue
