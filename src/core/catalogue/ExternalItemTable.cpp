#include "catalogue/ExternalItemTable.h"

#include "io/FileSystem.h"
#include "text/GbkCodec.h"
#include "text/ScriptText.h"

namespace shopkeeper::catalogue {

namespace {

std::unexpected<ExternalTableError> failure(ExternalTableError::Kind kind)
{
    return std::unexpected(ExternalTableError{kind, kind == ExternalTableError::Kind::Missing
                                                        ? kExternalTableMissingMessage
                                                        : kExternalTableFormatMessage});
}

} // namespace

std::expected<ExternalItemTable, ExternalTableError>
ExternalItemTable::load(const std::filesystem::path& path)
{
    auto bytes = io::readFileBytes(path);
    if (!bytes)
        return failure(ExternalTableError::Kind::Missing);
    return fromBytes(*bytes);
}

std::expected<ExternalItemTable, ExternalTableError> ExternalItemTable::fromBytes(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    std::string text;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        text = std::string(bytes.substr(3));
    else if (text::GbkCodec::isValidUtf8(bytes))
        text = std::string(bytes);
    else
        text = text::GbkCodec::toUtf8(bytes);
    if (text.find('\t') == std::string::npos)
        return failure(ExternalTableError::Kind::NoTab);

    ExternalItemTable table;
    // Lines end in CR LF as the tools write them; a bare LF from another editor ends one too.
    for (auto line : text::splitView(text, "\n")) {
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        table.lines_.emplace_back(line);
    }
    return table;
}

std::optional<std::string> ExternalItemTable::nameOf(std::string_view id) const
{
    for (const auto& line : lines_) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos || text::trimmed(std::string_view(line).substr(0, tab)) != id)
            continue;
        const auto rest = std::string_view(line).substr(tab + 1);
        return std::string(rest.substr(0, rest.find('\t')));
    }
    return std::nullopt;
}

} // namespace shopkeeper::catalogue
