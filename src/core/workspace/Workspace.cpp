#include "workspace/Workspace.h"

#include "io/FileSystem.h"
#include "workspace/NpcDiscovery.h"

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

Result<WorkspaceState> loadWorkspace(const Workspace& workspace)
{
    if (auto ok = workspace.checkRequiredFiles(); !ok)
        return std::unexpected(ok.error());
    WorkspaceState state;
    state.shopFiles = filterShopFiles(io::listFiles(workspace.shopFolder(), "*.shp"));
    if (state.shopFiles.empty())
        return fail(kNoShopFilesMessage);
    state.npcFiles = io::listFiles(workspace.npcFolder(), "*.npc");
    state.shopIndex = ShopIndex::read(workspace.shopIndexPath());
    state.npcNames = text::StringTable::read(workspace.npcStringTablePath());
    return state;
}

} // namespace shopkeeper::workspace
