#include "core/workspace/ShopIndex.h"

#include "core/text/ScriptText.h"
#include "core/text/ScriptTextFile.h"

namespace shopkeeper::workspace {

using namespace text;

namespace {

// The file token after the number's TAB: the first back-quoted text, or without back-quotes
// the first word; only its last path component counts.
std::string_view fileToken(std::string_view rest)
{
    std::string_view token;
    const auto quote = rest.find('`');
    if (quote != std::string_view::npos) {
        token = rest.substr(quote + 1);
        token = token.substr(0, token.find('`'));
    } else {
        const auto all = words(rest);
        if (!all.empty())
            token = all.front();
    }
    token = trimmed(token);
    const auto slash = token.find_last_of("/\\");
    if (slash != std::string_view::npos)
        token = token.substr(slash + 1);
    return token;
}

} // namespace

ShopIndex ShopIndex::fromText(std::string_view text)
{
    ShopIndex index;
    // Split at LF alone so that an index saved with bare LF line ends still reads; the CR of
    // a CR LF end is white space and is trimmed away with the rest.
    for (auto line : splitView(text, "\n")) {
        const auto tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        const auto token = fileToken(line.substr(tab + 1));
        if (token.empty())
            continue;
        index.numberOfFile_.try_emplace(asciiLowered(token), std::string(trimmed(line.substr(0, tab))));
    }
    return index;
}

io::ReadResult<ShopIndex> ShopIndex::read(const std::filesystem::path& path)
{
    auto file = ScriptTextFile::read(path);
    if (!file)
        return std::unexpected(file.error());
    return fromText(file->text);
}

std::optional<std::string> ShopIndex::shopNumberOf(std::string_view name) const
{
    const auto it = numberOfFile_.find(asciiLowered(trimmed(name)));
    if (it == numberOfFile_.end())
        return std::nullopt;
    return it->second;
}

} // namespace shopkeeper::workspace
