#include "core/workspace/Workspace.h"

#include "core/io/FileSystem.h"
#include "core/io/SystemError.h"
#include "core/workspace/NpcDiscovery.h"

#include <optional>
#include <vector>

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

namespace {

constexpr const char* kRequiredFiles[] = {"itemshop/itemshop.kor.str", "itemshop/itemshop.lst",
                                          "npc/npc.kor.str"};

// Why folder cannot be listed; nothing when it can, or when it does not exist (what is missing is
// told as a missing required file).
std::optional<LoadError> unreadableFolder(const fs::path& folder)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (!ec || ec == std::errc::no_such_file_or_directory)
        return std::nullopt;
    return LoadError{LoadError::Kind::UnreadableFile,
                     "无法读取文件夹：" + io::displayPath(folder) + "（" + io::systemErrorText(ec) + "）",
                     folder};
}

// Why relative cannot be found under root when a folder on the way cannot be read; nothing
// when the name is simply not there.
std::optional<LoadError> unreadableOnTheWay(const fs::path& root, const fs::path& relative)
{
    fs::path current = root;
    for (const auto& component : relative) {
        if (auto problem = unreadableFolder(current))
            return problem;
        auto next = io::resolvePath(current, component);
        if (!next)
            return std::nullopt;
        current = *next;
    }
    return std::nullopt;
}

// The first required file that is missing, or a folder on its way that cannot be read.
std::optional<LoadError> requiredFilesProblem(const Workspace& workspace)
{
    for (const char* relative : kRequiredFiles) {
        if (io::pathExists(workspace.root(), relative))
            continue;
        if (auto problem = unreadableOnTheWay(workspace.root(), relative))
            return problem;
        return LoadError{LoadError::Kind::MissingFiles, workspace.missingFilesMessage(), {}};
    }
    return std::nullopt;
}

std::unexpected<LoadError> unreadable(const io::ReadError& error, const fs::path& file)
{
    return std::unexpected(LoadError{LoadError::Kind::UnreadableFile, error.message, file});
}

} // namespace

std::optional<LoadError> workspaceProblem(const Workspace& workspace)
{
    if (auto problem = requiredFilesProblem(workspace))
        return problem;
    // A folder that cannot be listed would look empty: that is said, not taken for no files.
    for (const auto& folder : {workspace.shopFolder(), workspace.npcFolder()}) {
        if (auto problem = unreadableFolder(folder))
            return problem;
    }
    // Every command reads the required files sooner or later: one that cannot be read (no
    // permission, a FIFO, a folder) is told the same way by all of them, before any work.
    for (const auto& file :
         {workspace.shopStringTablePath(), workspace.shopIndexPath(), workspace.npcStringTablePath()}) {
        if (auto ok = io::checkReadable(file); !ok)
            return LoadError{
                ok.error().isMissing() ? LoadError::Kind::MissingFiles : LoadError::Kind::UnreadableFile,
                ok.error().isMissing() ? workspace.missingFilesMessage() : ok.error().message, file};
    }
    return std::nullopt;
}

Status Workspace::checkRequiredFiles() const
{
    if (auto problem = requiredFilesProblem(*this))
        return fail(problem->message);
    return {};
}

std::string unreadableShopsMessage(const WorkspaceState& state)
{
    std::string message;
    if (state.unreadableShops.empty())
        return message;
    message = "以下商店文件无法读取，没有列入NPC列表：";
    for (const auto& error : state.unreadableShops)
        message += "\r\n" + error.message;
    return message;
}

std::expected<WorkspaceState, LoadError> loadWorkspace(const Workspace& workspace)
{
    if (auto problem = workspaceProblem(workspace))
        return std::unexpected(std::move(*problem));
    WorkspaceState state;
    // The NPC folder is listed and its files read while the shop files are read.
    state.npcLinks = std::make_shared<NpcLinkReader>(workspace.npcFolder());
    state.shopFiles = filterShopFiles(io::listFiles(workspace.shopFolder(), "*.shp"), state.unreadableShops);
    if (state.shopFiles.empty() && !state.unreadableShops.empty()) {
        const auto& first = state.unreadableShops.front();
        return std::unexpected(
            LoadError{LoadError::Kind::UnreadableFile, unreadableShopsMessage(state), first.path});
    }
    if (state.shopFiles.empty())
        return std::unexpected(LoadError{LoadError::Kind::NoShopFiles, kNoShopFilesMessage, {}});
    state.npcFiles = state.npcLinks->files();
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
