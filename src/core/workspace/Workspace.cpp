#include "core/workspace/Workspace.h"

#include "core/io/FileSystem.h"
#include "core/workspace/NpcDiscovery.h"

namespace shopkeeper::workspace {

Workspace::Workspace(fs::path root) : root_(std::move(root))
{
    // Paths are the folder without a trailing separator.
    if (root_.has_filename() == false && root_.has_parent_path() && root_ != root_.root_path())
        root_ = root_.parent_path();
}

fs::path Workspace::locate(const fs::path& relative) const
{
    if (auto found = io::resolvePath(root_, relative))
        return *found;
    return root_ / relative;
}

std::string Workspace::missingFilesMessage() const
{
    const auto show = [this](const char* relative) {
        return io::displayPath((root_ / fs::path(relative)).make_preferred());
    };
    return "缺少必要的文件！请确认以下文件的完整性：\r\n" + show("itemshop/itemshop.kor.str") + "\r\n" +
           show("itemshop/itemshop.lst") + "\r\n" + show("npc/npc.kor.str");
}

Status Workspace::checkRequiredFiles() const
{
    for (const char* relative : {"itemshop/itemshop.kor.str", "itemshop/itemshop.lst", "npc/npc.kor.str"}) {
        if (!io::pathExists(root_, relative))
            return fail(missingFilesMessage());
    }
    return {};
}

namespace {

std::unexpected<LoadError> unreadable(const io::ReadError& error, const fs::path& file)
{
    return std::unexpected(LoadError{LoadError::Kind::UnreadableFile, error.message, file});
}

} // namespace

std::expected<WorkspaceState, LoadError> loadWorkspace(const Workspace& workspace)
{
    if (auto ok = workspace.checkRequiredFiles(); !ok)
        return std::unexpected(LoadError{LoadError::Kind::MissingFiles, ok.error().message, {}});
    WorkspaceState state;
    auto shops = filterShopFiles(io::listFiles(workspace.shopFolder(), "*.shp"));
    if (!shops)
        return unreadable(shops.error(), shops.error().path);
    state.shopFiles = std::move(*shops);
    if (state.shopFiles.empty())
        return std::unexpected(LoadError{LoadError::Kind::NoShopFiles, kNoShopFilesMessage, {}});
    state.npcFiles = io::listFiles(workspace.npcFolder(), "*.npc");
    auto index = ShopIndex::read(workspace.shopIndexPath());
    if (!index)
        return unreadable(index.error(), workspace.shopIndexPath());
    state.shopIndex = std::move(*index);
    auto names = text::StringTable::read(workspace.npcStringTablePath());
    if (!names)
        return unreadable(names.error(), workspace.npcStringTablePath());
    state.npcNames = std::move(*names);
    return state;
}

} // namespace shopkeeper::workspace
