#include "core/workspace/NpcDiscovery.h"

#include "core/io/FileSystem.h"
#include "core/text/ScriptText.h"
#include "core/text/ScriptTextFile.h"

namespace shopkeeper::workspace {

namespace {

bool cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

} // namespace

std::vector<fs::path> filterShopFiles(const std::vector<fs::path>& shopFiles,
                                      std::vector<io::ReadError>& unreadable)
{
    std::vector<fs::path> kept;
    for (const auto& path : shopFiles) {
        auto file = text::ScriptTextFile::read(path);
        if (!file) {
            unreadable.push_back(std::move(file.error()));
            continue;
        }
        const auto& text = file->text;
        if (text::contains(text, "[etc shop]") || text::contains(text, "[weapon shop]"))
            kept.push_back(path);
    }
    return kept;
}

io::ReadResult<std::vector<fs::path>> filterShopFiles(const std::vector<fs::path>& shopFiles)
{
    std::vector<io::ReadError> unreadable;
    auto kept = filterShopFiles(shopFiles, unreadable);
    if (!unreadable.empty())
        return std::unexpected(std::move(unreadable.front()));
    return kept;
}

NpcFileLinks readNpcLinks(std::string_view npcText)
{
    static constexpr std::string_view shopLink = "`[item shop]`";
    NpcFileLinks links;
    long long from = 1;
    while (true) {
        const long long at = text::findText(npcText, shopLink, from, true);
        if (at < 0)
            break;
        auto i = static_cast<std::size_t>(at - 1) + shopLink.size();
        while (i < npcText.size() && text::isSpace(npcText[i]))
            ++i;
        const std::size_t begin = i;
        while (i < npcText.size() && !text::isSpace(npcText[i]))
            ++i;
        if (i > begin)
            links.shopNumbers.emplace_back(npcText.substr(begin, i - begin));
        from = static_cast<long long>(i) + 1;
    }

    // The name line follows the first "[name]" line; without one, the first line is used.
    const auto nameLine = text::findLineContaining(npcText, "[name]");
    const auto line = text::getLine(npcText, static_cast<long long>(nameLine) + 1);
    if (!text::contains(line, "<8::", false))
        return links;
    const auto pieces = text::splitText(line, "`");
    if (pieces.empty())
        return links;
    // Script lines are often indented: the key is trimmed so that it can be found.
    links.nameKey = std::string(text::trimmed(text::replaceEach(pieces.front(), {{"<8::", ""}})));
    return links;
}

NpcNameFinder::NpcNameFinder(const std::vector<fs::path>& npcFiles, const text::StringTable& npcNames,
                             const std::atomic<bool>* cancel)
{
    for (const auto& file : npcFiles) {
        if (cancelled(cancel))
            return;
        const auto read = text::ScriptTextFile::read(file);
        if (!read)
            continue;
        const auto links = readNpcLinks(read->text);
        if (!links.nameKey)
            continue;
        for (const auto& number : links.shopNumbers)
            nameOfShop_.try_emplace(text::asciiLowered(number), npcNames.lookup(*links.nameKey));
    }
}

std::optional<std::string> NpcNameFinder::findNpcName(std::string_view shopNumber) const
{
    const auto it = nameOfShop_.find(text::asciiLowered(shopNumber));
    if (it == nameOfShop_.end())
        return std::nullopt;
    return it->second;
}

std::vector<NpcEntry> buildNpcList(const WorkspaceState& state,
                                   const std::function<void(const NpcEntry&)>& onEntry,
                                   const std::atomic<bool>* cancel)
{
    std::vector<NpcEntry> entries;
    const NpcNameFinder finder(state.npcFiles, state.npcNames, cancel);
    for (const auto& shopFile : state.shopFiles) {
        if (cancelled(cancel))
            break;
        const auto number = state.shopIndex.shopNumberOf(io::displayPath(shopFile.filename()));
        auto name = number ? finder.findNpcName(*number) : std::nullopt;
        entries.push_back({shopFile, name.value_or(kUnknownNpc)});
        if (onEntry)
            onEntry(entries.back());
    }
    return entries;
}

} // namespace shopkeeper::workspace
