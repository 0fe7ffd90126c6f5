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

// The line after the first line that contains needle (case folded), or the first line when
// none does: getLine(text, findLineContaining(text, needle) + 1) without splitting the whole
// text. A needle without CR LF is found in the text exactly where it is found in its line.
std::string_view lineAfterFirstContaining(std::string_view text, std::string_view needle)
{
    std::size_t begin = 0;
    if (const long long at = text::findText(text, needle); at > 0) {
        const auto end = text.find("\r\n", static_cast<std::size_t>(at - 1));
        if (end == std::string_view::npos)
            return {};
        begin = end + 2;
    }
    const auto end = text.find("\r\n", begin);
    return text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
}

} // namespace

bool isNpcShopText(std::string_view shopText)
{
    return text::contains(shopText, "[etc shop]") || text::contains(shopText, "[weapon shop]");
}

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
        if (isNpcShopText(file->text))
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
    const auto line = lineAfterFirstContaining(npcText, "[name]");
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
                             const std::atomic<bool>* cancel, Readers readers)
{
    // The files are read on two threads unless the caller keeps the other core busy; the links
    // are then taken in list order, so the first NPC file that opens a shop still names it.
    std::vector<NpcFileLinks> links(npcFiles.size());
    work::parallelFor(
        npcFiles.size(), readers == Readers::One ? 1 : 2,
        [&](std::size_t i) {
            if (const auto read = text::ScriptTextFile::read(npcFiles[i]))
                links[i] = readNpcLinks(read->text);
        },
        work::WorkContext{{}, cancel});
    if (!cancelled(cancel))
        nameShops(npcFiles, links, npcNames);
}

NpcNameFinder::NpcNameFinder(const std::vector<fs::path>& npcFiles, const std::vector<NpcFileLinks>& links,
                             const text::StringTable& npcNames)
{
    nameShops(npcFiles, links, npcNames);
}

void NpcNameFinder::nameShops(const std::vector<fs::path>& npcFiles, const std::vector<NpcFileLinks>& links,
                              const text::StringTable& npcNames)
{
    // Each shop's first NPC file with a name key, then all names at once. A file that opens a
    // shop without a name link is remembered to say why that shop has no name.
    std::vector<std::string> keys;
    std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> keyOfShop; // key, file
    for (std::size_t i = 0; i < links.size(); ++i) {
        const auto& link = links[i];
        for (const auto& number : link.shopNumbers) {
            auto shop = text::asciiLowered(number);
            if (!link.nameKey)
                openedWithoutLink_.try_emplace(std::move(shop), npcFiles[i]);
            else if (keyOfShop.try_emplace(std::move(shop), std::pair{keys.size(), i}).second)
                keys.push_back(*link.nameKey);
        }
    }
    auto names = npcNames.lookupAll(keys);
    for (auto& [shop, at] : keyOfShop)
        nameOfShop_.emplace(shop, Naming{std::move(names[at.first]), npcFiles[at.second], keys[at.first]});
}

NpcLinkReader::NpcLinkReader(fs::path folder) : folder_(std::move(folder))
{
    reading_ = work::Started([this] {
        files_ = io::listFiles(folder_, "*.npc");
        links_.resize(files_.size());
        next_.reset(files_.size());
        {
            const std::lock_guard lock(listedMutex_);
            listed_ = true;
        }
        listedChanged_.notify_all();
        readLinks(work::WorkContext{{}, &stop_});
    });
}

NpcLinkReader::~NpcLinkReader()
{
    stop_ = true;
    reading_.wait();
}

const std::vector<fs::path>& NpcLinkReader::files()
{
    std::unique_lock lock(listedMutex_);
    listedChanged_.wait(lock, [this] { return listed_; });
    return files_;
}

void NpcLinkReader::readLinks(const work::WorkContext& context)
{
    for (std::size_t i; !context.cancelled() && next_.take(i, context);) {
        if (const auto read = text::ScriptTextFile::read(files_[i]))
            links_[i] = readNpcLinks(read->text);
    }
}

const std::vector<NpcFileLinks>& NpcLinkReader::links(const std::atomic<bool>* cancel)
{
    files();
    readLinks(work::WorkContext{{}, cancel});
    if (cancelled(cancel))
        stop_ = true;
    // The reader's own files are done once it ends; it reads nothing after a stop.
    reading_.wait();
    return links_;
}

std::optional<std::string> NpcNameFinder::findNpcName(std::string_view shopNumber) const
{
    const auto it = nameOfShop_.find(text::asciiLowered(shopNumber));
    if (it == nameOfShop_.end())
        return std::nullopt;
    return it->second.name;
}

NpcNaming NpcNameFinder::nameShop(const ShopIndex& index, std::string_view shopFileName) const
{
    NpcNaming naming;
    naming.name = kUnknownNpc;
    naming.shopNumber = index.shopNumberOf(shopFileName);
    if (!naming.shopNumber)
        return naming;
    const auto key = text::asciiLowered(*naming.shopNumber);
    if (const auto it = nameOfShop_.find(key); it != nameOfShop_.end()) {
        naming.npcFile = it->second.npcFile;
        naming.nameKey = it->second.key;
        naming.outcome = it->second.name ? NpcNaming::Outcome::Named : NpcNaming::Outcome::KeyMissing;
        if (it->second.name)
            naming.name = *it->second.name;
        return naming;
    }
    if (const auto it = openedWithoutLink_.find(key); it != openedWithoutLink_.end()) {
        naming.outcome = NpcNaming::Outcome::NoNameLink;
        naming.npcFile = it->second;
        return naming;
    }
    naming.outcome = NpcNaming::Outcome::NoNpcFile;
    return naming;
}

std::vector<NpcEntry> buildNpcList(const WorkspaceState& state,
                                   const std::function<void(const NpcEntry&)>& onEntry,
                                   const std::atomic<bool>* cancel)
{
    std::vector<NpcEntry> entries;
    const NpcNameFinder finder =
        state.npcLinks ? NpcNameFinder(state.npcFiles, state.npcLinks->links(cancel), state.npcNames)
                       : NpcNameFinder(state.npcFiles, state.npcNames, cancel);
    for (const auto& shopFile : state.shopFiles) {
        if (cancelled(cancel))
            break;
        auto naming = finder.nameShop(state.shopIndex, io::displayPath(shopFile.filename()));
        entries.push_back({shopFile, std::move(naming.name)});
        if (onEntry)
            onEntry(entries.back());
    }
    return entries;
}

} // namespace shopkeeper::workspace
