#pragma once

#include "core/work/Work.h"
#include "core/workspace/Workspace.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
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

// True for the text of an NPC shop: it contains "[etc shop]" or "[weapon shop]".
bool isNpcShopText(std::string_view shopText);

// Keeps the shop files that are NPC shops (isNpcShopText). Plain item shops and files with
// neither tag are dropped. A shop file that cannot be read fails the whole filter with the
// reason: it must not vanish from the list.
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

// Lists an NPC folder and reads the links of its files as started work, from the moment it is
// made, so that a load does its other work meanwhile; whoever then asks for the links reads
// along with it. Made by loadWorkspace; buildNpcList takes the links from it.
class NpcLinkReader
{
public:
    explicit NpcLinkReader(fs::path folder);
    ~NpcLinkReader();
    NpcLinkReader(const NpcLinkReader&) = delete;
    NpcLinkReader& operator=(const NpcLinkReader&) = delete;

    // The folder's NPC files in list order, once listed.
    const std::vector<fs::path>& files();
    // The links of every file, in list order (a file that cannot be read has none), once all are
    // read. When cancel is set first, the files not read by then name nothing; a later call
    // reads them. One caller at a time.
    const std::vector<NpcFileLinks>& links(const std::atomic<bool>* cancel = nullptr);

private:
    void readLinks(const work::WorkContext& context);

    fs::path folder_;
    std::vector<fs::path> files_;
    std::vector<NpcFileLinks> links_;
    // A condition, not an atomic wait: GCC 12's atomic wait without a futex (MinGW-w64) can miss
    // the notification and wait for ever.
    std::mutex listedMutex_;
    std::condition_variable listedChanged_;
    bool listed_ = false;
    work::IndexQueue next_;
    std::atomic<bool> stop_{false};
    work::Started reading_; // last: started once everything else is made
};

// How a shop file got its name in the NPC list, and why it is "未知NPC" when it is.
struct NpcNaming
{
    enum class Outcome
    {
        Named,          // an NPC file opens the shop and its name key has a line in npc.kor.str
        NotInShopIndex, // itemshop.lst has no line for the shop file
        NoNpcFile,      // no NPC file opens the shop's number
        NoNameLink,     // NPC files open the shop, but none has a "<8::" name link
        KeyMissing,     // the first NPC file that names the shop has a key npc.kor.str lacks
    };
    Outcome outcome = Outcome::NotInShopIndex;
    std::string name; // the list's name: the NPC's, or kUnknownNpc
    std::optional<std::string> shopNumber;
    fs::path npcFile;    // the NPC file that decided (not for NotInShopIndex, NoNpcFile)
    std::string nameKey; // Named and KeyMissing
};

// Finds NPC names for shop numbers. Each NPC file is read once; a shop is named by the first
// NPC file, in list order, that opens it and has a "<8::" name link, even when that link's
// key is missing from the NPC-name table. An NPC file that cannot be read names no shop.
class NpcNameFinder
{
public:
    enum class Readers
    {
        One,
        Two
    };
    NpcNameFinder(const std::vector<fs::path>& npcFiles, const text::StringTable& npcNames,
                  const std::atomic<bool>* cancel = nullptr, Readers readers = Readers::Two);
    // From links already read: links[i] is what npcFiles[i] says.
    NpcNameFinder(const std::vector<fs::path>& npcFiles, const std::vector<NpcFileLinks>& links,
                  const text::StringTable& npcNames);

    // The NPC's name; nothing when no NPC file names the shop.
    std::optional<std::string> findNpcName(std::string_view shopNumber) const;

    // The naming of a shop file, by its number in index, the way the NPC list names it.
    NpcNaming nameShop(const ShopIndex& index, std::string_view shopFileName) const;

private:
    void nameShops(const std::vector<fs::path>& npcFiles, const std::vector<NpcFileLinks>& links,
                   const text::StringTable& npcNames);

    struct Naming
    {
        std::optional<std::string> name; // nothing when the key is missing from the table
        fs::path npcFile;
        std::string key;
    };
    std::unordered_map<std::string, Naming> nameOfShop_;
    // Shops opened only by NPC files without a name link: the first such file.
    std::unordered_map<std::string, fs::path> openedWithoutLink_;
};

// Names every shop file after its NPC ("未知NPC" when none is found), in shop-file order.
// onEntry, when given, is called for each entry as soon as it is known. Stops early, with the
// entries found so far, when cancel becomes true.
std::vector<NpcEntry> buildNpcList(const WorkspaceState& state,
                                   const std::function<void(const NpcEntry&)>& onEntry = {},
                                   const std::atomic<bool>* cancel = nullptr);

} // namespace shopkeeper::workspace
