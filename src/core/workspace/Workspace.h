#pragma once

#include "core/Result.h"
#include "core/io/FileSystem.h"
#include "core/text/StringTable.h"
#include "core/workspace/ShopIndex.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace shopkeeper::workspace {

namespace fs = std::filesystem;

// The folder that holds the extracted itemshop and npc folders, and the paths inside it.
// Every name inside the workspace is matched ASCII-case-insensitively.
class Workspace
{
public:
    explicit Workspace(fs::path root);

    const fs::path& root() const { return root_; }

    // The file or folder at relative (e.g. "itemshop/itemshop.lst") as it exists on disk,
    // or root/relative when it does not exist.
    fs::path locate(const fs::path& relative) const;

    fs::path shopStringTablePath() const { return locate("itemshop/itemshop.kor.str"); }
    fs::path shopIndexPath() const { return locate("itemshop/itemshop.lst"); }
    fs::path npcStringTablePath() const { return locate("npc/npc.kor.str"); }
    fs::path shopFolder() const { return locate("itemshop"); }
    fs::path npcFolder() const { return locate("npc"); }

    // Checks, in order, that the three required files exist. The error lists all three
    // paths, whichever is missing; when a folder on the way cannot be read, it names that
    // folder and the reason instead.
    Status checkRequiredFiles() const;
    std::string missingFilesMessage() const;

private:
    fs::path root_;
};

inline constexpr const char* kNoShopFilesMessage = "没有找到可修改的NPC商店文件！";
inline constexpr const char* kUnknownNpc = "未知NPC";
inline constexpr const char* kChooseNpcPrompt = "↓请选择一个NPC↓";

class NpcLinkReader;

// What a load keeps.
struct WorkspaceState
{
    std::vector<fs::path> shopFiles;
    std::vector<fs::path> npcFiles;
    // The NPC files' links, read on from the load; without it they are read when needed.
    std::shared_ptr<NpcLinkReader> npcLinks;
    ShopIndex shopIndex;
    text::StringTable npcNames;
    // Shop files that could not be read, each with its reason: they are not in shopFiles, and
    // the user is told once the list is built (unreadableShopsMessage).
    std::vector<io::ReadError> unreadableShops;
};

// One message naming every unreadable shop file and why; empty when there is none.
std::string unreadableShopsMessage(const WorkspaceState& state);

// Why a load failed.
struct LoadError
{
    enum class Kind
    {
        MissingFiles,   // one of the three required files is missing
        NoShopFiles,    // no NPC shop file in itemshop
        UnreadableFile, // a file or folder exists but cannot be read; file names it
    };
    Kind kind = Kind::MissingFiles;
    std::string message; // the user's message; for an unreadable file it names the file and why
    fs::path file;
};

// What keeps a workspace from being used at all, checked the same way before any work by the
// load and by every tool: a required file missing (a missing workspace or itemshop or npc
// folder too: MissingFiles); a folder on the way, itemshop or npc that exists but cannot be
// listed, or a required file that exists but cannot be read (no permission, a FIFO, a folder:
// UnreadableFile). Nothing when the workspace can be used.
std::optional<LoadError> workspaceProblem(const Workspace& workspace);

// Reads a workspace for editing: the required files, the shop files that are NPC shops, the
// NPC files, the shop index and the NPC-name table. Fails first as workspaceProblem says; a file
// or folder that exists but cannot be read fails the load with its name and the reason. A shop file that
// cannot be read is left out of the list and kept in unreadableShops; only when no shop file
// is left does it fail the load. NPC files that cannot be read name no shop.
std::expected<WorkspaceState, LoadError> loadWorkspace(const Workspace& workspace);

} // namespace shopkeeper::workspace
