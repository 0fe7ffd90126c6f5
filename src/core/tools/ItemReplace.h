#pragma once

#include "core/Result.h"
#include "core/history/History.h"
#include "core/io/AtomicFile.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopDocument.h"
#include "core/tools/WhereUsed.h"
#include "core/tools/WorkspaceScan.h"

#include <chrono>
#include <expected>
#include <filesystem>
#include <string>
#include <vector>

namespace shopkeeper::tools {

// A shop whose new bytes are ready to be written.
struct PlannedShop
{
    std::size_t index = 0;
    std::filesystem::path path;
    std::string fileName;
    std::string npcName;
    io::FileFingerprint fingerprint; // of the bytes the plan was made from
    std::string bytes;               // what goes into the file
};

// A shop whose change was refused because the new file would not read back as intended.
struct RefusedShop
{
    std::size_t index = 0;
    std::filesystem::path path;
    std::string fileName;
    std::string message;
};

// Everything a replace will do, worked out before anything is written.
struct ReplacePlan
{
    std::string from;
    std::string to;
    std::vector<ItemUse> changes; // the cells that change, id = from, in where-used order
    std::vector<PlannedShop> shops;
    std::vector<UnreadableShop> unreadable;
    std::vector<RefusedShop> refused;
    std::size_t shopCount = 0;
    bool cancelled = false;
};

struct ReplaceOptions
{
    // Write the readable shops even when other NPC shops cannot be read.
    bool skipUnreadable = false;
    // How long the batch waits for another save of the workspace to finish.
    std::chrono::milliseconds lockWait{5000};
    // Where the batch first records what it replaces, as one entry; with it, a batch that fails
    // midway puts back the shops it wrote.
    history::History* history = nullptr;
};

// What apply did. Nothing was written unless kind is Written or WriteFailed.
struct ReplaceOutcome
{
    enum class Kind
    {
        Written,       // every planned shop was written (none, when nothing changes)
        Unreadable,    // NPC shops could not be read and skipUnreadable was not given
        Refused,       // a shop's change would not read back as intended
        Cancelled,     // the plan was cancelled before it was complete
        Busy,          // another save of the workspace kept the lock too long
        ChangedOnDisk, // a planned shop changed on disk after it was read
        WriteFailed,   // a write failed; written and notWritten say where it stopped
    };
    Kind kind = Kind::Written;
    std::string message;
    std::vector<std::filesystem::path> written;
    std::vector<std::filesystem::path> notWritten;
};

// Replaces one item by another in every NPC shop of a workspace.
//
// Each changed shop is written the way a save writes it (under the workspace's save lock, each
// file replaced atomically, read back before anything is written), but only its item list
// changes: every byte outside the "[sell item]" block stays, the tab-name block and the
// page-name table are not touched, so no page name or key changes.
class ItemReplace
{
public:
    // from is an item ID in parseItemId's form; to is one too, or "-1" to empty the slots.
    static std::expected<ReplacePlan, workspace::LoadError> plan(const workspace::Workspace& workspace,
                                                                 const std::string& from,
                                                                 const std::string& to,
                                                                 const ToolControl& control = {});

    // Writes a plan: all or nothing up to the writes themselves. Nothing is written when the
    // plan is cancelled or refused a shop, or when NPC shops were unreadable without
    // skipUnreadable. Under one lock for the whole batch, every planned shop must still be what
    // was read before the first write; then the shops are written in list order and a failed
    // write stops the batch.
    static ReplaceOutcome apply(const ReplacePlan& plan, const std::filesystem::path& tablePath,
                                io::FileWriter& writer, const ReplaceOptions& options = {});

    // The bytes of document's file with only its item list replaced by pages, checked by reading
    // them back: the same pages, page names and repair flag, or an error that says what differs.
    static Result<std::string> withItemList(const shop::ShopDocument& document, shop::ShopPages pages);
};

} // namespace shopkeeper::tools
