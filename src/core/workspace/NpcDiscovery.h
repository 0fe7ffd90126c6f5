#pragma once

#include "core/workspace/Workspace.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace shopkeeper::workspace {

// One entry of the NPC list: a shop file and the name of the NPC that opens it.
struct NpcEntry
{
    fs::path shopFile;
    std::string npcName;
};

// Keeps the shop files that are NPC shops: those whose text contains "[etc shop]" or
// "[weapon shop]". Plain item shops and files with neither tag are dropped. A shop file that
// cannot be read fails the whole filter with the reason: it must not vanish from the list.
io::ReadResult<std::vector<fs::path>> filterShopFiles(const std::vector<fs::path>& shopFiles);
// The same, but a file that cannot be read is put into unreadable, with its reason, and the
// others are still filtered.
std::vector<fs::path> filterShopFiles(const std::vector<fs::path>& shopFiles,
                                      std::vector<io::ReadError>& unreadable);

// What one NPC file says about shops: the numbers of the shops it opens and the key of its
// name link. A shop link is "`[item shop]`" followed, after any white space, by the shop
// number as a whole word; the name is the "<8::" link on the line after the first "[name]".
struct NpcFileLinks
{
    std::vector<std::string> shopNumbers;
    std::optional<std::string> nameKey;
};
NpcFileLinks readNpcLinks(std::string_view npcText);

// Finds NPC names for shop numbers. Each NPC file is read once; a shop is named by the first
// NPC file, in list order, that opens it and has a "<8::" name link, even when that link's
// key is missing from the NPC-name table. An NPC file that cannot be read names no shop.
class NpcNameFinder
{
public:
    NpcNameFinder(const std::vector<fs::path>& npcFiles, const text::StringTable& npcNames,
                  const std::atomic<bool>* cancel = nullptr);

    // The NPC's name; nothing when no NPC file names the shop.
    std::optional<std::string> findNpcName(std::string_view shopNumber) const;

private:
    // Nothing for a shop whose first NPC's name key is missing from the table.
    std::unordered_map<std::string, std::optional<std::string>> nameOfShop_;
};

// Names every shop file after its NPC ("未知NPC" when none is found), in shop-file order.
// onEntry, when given, is called for each entry as soon as it is known. Stops early, with the
// entries found so far, when cancel becomes true.
std::vector<NpcEntry> buildNpcList(const WorkspaceState& state,
                                   const std::function<void(const NpcEntry&)>& onEntry = {},
                                   const std::atomic<bool>* cancel = nullptr);

} // namespace shopkeeper::workspace
