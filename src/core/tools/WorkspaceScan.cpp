#include "core/tools/WorkspaceScan.h"

#include "core/io/FileSystem.h"
#include "core/text/StringTable.h"

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

UnreadableShop unreadableShop(const ScannedShop& shop)
{
    return {shop.index, shop.path, shop.fileName, shop.naming.name, shop.document.error()};
}

std::expected<WorkspaceScan::Outcome, workspace::LoadError>
WorkspaceScan::run(const workspace::Workspace& ws, const std::function<void(ScannedShop&)>& visit,
                   const ToolControl& control)
{
    using Kind = workspace::LoadError::Kind;
    if (auto ok = ws.checkRequiredFiles(); !ok)
        return loadError(Kind::MissingFiles, ok.error().message);

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
    auto npcNames = text::StringTable::read(ws.npcStringTablePath());
    if (!npcNames)
        return loadError(Kind::UnreadableFile, npcNames.error().message, ws.npcStringTablePath());
    auto table = text::StringTable::readOrEmpty(ws.shopStringTablePath());
    std::optional<shop::ShopReadError> tableError;
    if (!table)
        tableError = shop::ShopReadError{
            shop::ShopReadError::Kind::TableUnreadable,
            "无法读取商店的页名称表，商店没有打开（否则保存会丢失其他商店的页名称）：\r\n" +
                table.error().message,
            {},
            false};

    Outcome outcome;
    const workspace::NpcNameFinder finder(io::listFiles(ws.npcFolder(), "*.npc"), *npcNames, control.cancel);
    if (control.cancelled()) {
        outcome.cancelled = true;
        return outcome;
    }
    outcome.shopCount = shops.size();
    if (control.progress)
        control.progress(0, shops.size());
    for (std::size_t k = 0; k < shops.size(); ++k) {
        if (control.cancelled()) {
            outcome.cancelled = true;
            break;
        }
        auto& listed = shops[k];
        const std::string fileName = io::displayPath(listed.path.filename());
        ScannedShop scanned{k, listed.path, fileName, finder.nameShop(*index, fileName),
                            std::unexpected(shop::ShopReadError{})};
        if (tableError) {
            scanned.document = std::unexpected(*tableError);
        } else if (!listed.bytes) {
            const auto kind = listed.bytes.error().isMissing() ? shop::ShopReadError::Kind::Missing
                                                               : shop::ShopReadError::Kind::Unreadable;
            scanned.document =
                std::unexpected(shop::ShopReadError{kind, listed.bytes.error().message, {}, false});
        } else {
            const auto fingerprint = io::fingerprintOf(listed.path, *listed.bytes);
            scanned.document = shop::ShopReader::fromBytes(std::move(*listed.bytes), *table);
            if (scanned.document) {
                scanned.document->path = listed.path;
                scanned.document->fingerprint = fingerprint;
            }
        }
        visit(scanned);
        if (control.progress)
            control.progress(k + 1, shops.size());
    }
    return outcome;
}

} // namespace shopkeeper::tools
