#include "core/tools/WorkspaceScan.h"

#include "core/io/FileSystem.h"
#include "core/text/StringTable.h"

#include <atomic>
#include <optional>
#include <vector>

namespace shopkeeper::tools {

namespace {

std::unexpected<workspace::LoadError> loadError(workspace::LoadError::Kind kind, std::string message,
                                                std::filesystem::path file = {})
{
    return std::unexpected(workspace::LoadError{kind, std::move(message), std::move(file)});
}

// A shop file as listed: its bytes, or why they could not be read.
struct ListedShop
{
    std::filesystem::path path;
    io::ReadResult<std::string> bytes;
};

} // namespace

UnreadableShop unreadableShop(const ShopPlace& place, const shop::ShopReadError& error)
{
    return {place.index, place.path, place.fileName, place.naming.name, error};
}

std::expected<WorkspaceScan::Outcome, workspace::LoadError>
WorkspaceScan::run(const workspace::Workspace& ws, const std::function<void(ScannedShop&)>& visit,
                   const ToolControl& control)
{
    std::vector<ShopRead> reads;
    return scan(
        ws, [&](std::size_t count) { reads.resize(count); },
        [&](std::size_t k, ShopRead& read) { reads[k] = std::move(read); },
        [&](const ShopPlace& place) {
            ScannedShop shop{place, std::move(reads[place.index])};
            visit(shop);
        },
        control);
}

std::expected<WorkspaceScan::Outcome, workspace::LoadError>
WorkspaceScan::scan(const workspace::Workspace& ws, const std::function<void(std::size_t count)>& listed,
                    const std::function<void(std::size_t k, ShopRead& read)>& examine,
                    const std::function<void(const ShopPlace&)>& visit, const ToolControl& control)
{
    using Kind = workspace::LoadError::Kind;
    if (auto problem = workspace::workspaceProblem(ws))
        return std::unexpected(std::move(*problem));

    // The NPC folder is listed and its files read on a thread of their own from now on, while
    // this one reads the shops.
    workspace::NpcLinkReader npcLinks(ws.npcFolder());

    // The NPC shops, read once: the bytes serve the filter and the reader alike.
    std::vector<ListedShop> shops;
    for (auto& path : io::listFiles(ws.shopFolder(), "*.shp")) {
        if (control.cancelled())
            return Outcome{0, true};
        auto bytes = io::readFileBytes(path);
        if (bytes) {
            const auto nul = bytes->find('\0');
            if (!workspace::isNpcShopText(std::string_view(*bytes).substr(0, nul)))
                continue;
        }
        shops.push_back({std::move(path), std::move(bytes)});
    }
    if (shops.empty())
        return loadError(Kind::NoShopFiles, workspace::kNoShopFilesMessage);
    auto index = workspace::ShopIndex::read(ws.shopIndexPath());
    if (!index)
        return loadError(Kind::UnreadableFile, index.error().message, ws.shopIndexPath());
    auto table = text::StringTable::readOrEmpty(ws.shopStringTablePath());
    if (!table)
        return loadError(Kind::UnreadableFile, table.error().message, ws.shopStringTablePath());

    Outcome outcome;
    outcome.shopCount = shops.size();
    if (control.progress)
        control.progress(0, shops.size());

    // Each shop read as choosing its NPC reads it, and examined at once. The shops are taken in
    // turn by this thread and by the one that names them, once it is done.
    listed(shops.size());
    work::IndexQueue next(shops.size());
    std::atomic<std::size_t> done{0};
    // Every step up to the shops done by now, those of the other thread included, until a
    // cancel; the last step waits for the visits, which follow once the shops are named. Only
    // the calling thread reports.
    std::size_t reported = 0;
    auto reportUpTo = [&](std::size_t count) {
        while (control.progress && reported < count && reported + 1 < shops.size() && !control.cancelled())
            control.progress(++reported, shops.size());
    };
    auto readShops = [&](bool reportProgress) {
        for (std::size_t k; next.take(k, control);) {
            auto& shopFile = shops[k];
            ShopRead read = std::unexpected(shop::ShopReadError{});
            if (!shopFile.bytes) {
                const auto kind = shopFile.bytes.error().isMissing() ? shop::ShopReadError::Kind::Missing
                                                                     : shop::ShopReadError::Kind::Unreadable;
                read = std::unexpected(shop::ShopReadError{kind, shopFile.bytes.error().message, {}, false});
            } else {
                const auto fingerprint = io::fingerprintOf(shopFile.path, *shopFile.bytes);
                read = shop::ShopReader::fromBytes(std::move(*shopFile.bytes), *table);
                if (read) {
                    read->source().path = shopFile.path;
                    read->source().fingerprint = fingerprint;
                }
            }
            examine(k, read);
            const auto count = done.fetch_add(1) + 1;
            if (reportProgress)
                reportUpTo(count);
        }
    };

    // Another thread reads the NPC files that are left along with the NPC folder's own and names
    // the shops, while this one reads the shops; the two halves share nothing until the visits.
    io::ReadResult<text::StringTable> npcNames = text::StringTable{};
    std::optional<workspace::NpcNameFinder> finder;
    work::runBeside(
        [&] {
            npcNames = text::StringTable::read(ws.npcStringTablePath());
            const auto& links = npcLinks.links(control.cancel);
            if (npcNames && !control.cancelled())
                finder.emplace(npcLinks.files(), links, *npcNames);
            readShops(false);
        },
        [&] { readShops(true); });
    reportUpTo(shops.size()); // the steps of the shops the other thread read last
    if (!npcNames)
        return loadError(Kind::UnreadableFile, npcNames.error().message, ws.npcStringTablePath());
    if (control.cancelled() || !finder) {
        outcome.cancelled = true;
        return outcome;
    }

    for (std::size_t k = 0; k < shops.size(); ++k) {
        const std::string fileName = io::displayPath(shops[k].path.filename());
        visit(ShopPlace{k, shops[k].path, fileName, finder->nameShop(*index, fileName)});
    }
    if (control.progress)
        control.progress(shops.size(), shops.size());
    return outcome;
}

} // namespace shopkeeper::tools
