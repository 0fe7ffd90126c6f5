#pragma once

#include "core/history/History.h"
#include "core/io/AtomicFile.h"
#include "core/io/FileLock.h"
#include "core/shop/SaveChange.h"
#include "core/shop/ShopDocument.h"

#include <chrono>
#include <expected>
#include <filesystem>
#include <random>
#include <string>

namespace shopkeeper::shop {

inline constexpr const char* kChangedOnDiskMessage = "文件已被其他程序修改，是否覆盖？";

// Why a save did not happen. Nothing was written unless the kind is WriteFailed, and even then
// both files are as they were (see ShopWriter::save).
struct SaveError
{
    enum class Kind
    {
        NotBound,           // no shop file is open
        BadPageName,        // a changed page name holds CR, LF, ">" or NUL
        BadCell,            // a cell holds what is no item ID, or what would be written as "-2"
        CannotEncode,       // a page name BIG5 cannot hold
        NoFreeKey,          // no new tab key can be found in the table
        WouldChangeMeaning, // the saved file would not read back as the shop being saved
        Busy,               // another save of the workspace kept the lock too long
        TableUnreadable,    // itemshop.kor.str exists but cannot be read
        ShopUnreadable,     // the shop file exists but can no longer be read
        ChangedOnDisk,      // the shop file is no longer what was read; save with overwriteChanged
        WriteFailed,        // writing a file failed
    };
    Kind kind = Kind::WriteFailed;
    std::string message;
};

template <typename T> using SaveResult = std::expected<T, SaveError>;

struct SaveOptions
{
    // Write even when the shop file was changed by another program since it was read.
    bool overwriteChanged = false;
    // How long a save waits for another save of the same workspace to finish.
    std::chrono::milliseconds lockWait{5000};
    // Where the save first records what it replaces; none records nothing.
    history::History* history = nullptr;
};

// The bytes a save writes, computed before anything touches the disk.
struct SavePlan
{
    std::string shopBytes;  // what goes into the .shp file
    std::string tableBytes; // what goes into itemshop.kor.str
    bool tableChanged = false;
    ShopPages pages;         // the pages as written: no empty rows, "-1" in empty cells
    text::StringTable table; // the table as written
    ShopDocument readBack;   // shopBytes read back with table: the proof, and the shop after a save
};

// Writes a shop back. Only three places of the shop file change: the sell-item block, the
// shop kind and the tab-name block; every other byte is written as it was read. In the string
// table only added or changed lines are encoded.
class ShopWriter
{
public:
    // Uses its own random keys unless given a generator (tests give a seeded one).
    explicit ShopWriter(std::mt19937* random = nullptr);

    // Builds the new texts from the document against table, the page-name table as it is on
    // disk now. Only the names of pages that are written and that the user changed are checked
    // and encoded; an unchanged name keeps its line's bytes, and a name another program gave an
    // own key since the shop was read stays. The plan is read back before it is returned:
    // when the result would not be the shop being saved (the same pages with their names and
    // the repair flag), it is refused. The document is not changed.
    // With PlanUse::ProofOnly the plan is built and read back just the same, but the table's
    // bytes are not made (tableBytes stays empty): for the check of a shop as it is opened,
    // where document is what ShopReader::parse made of its text with table. When the plan
    // leaves that text and the table as they are, the document stands for its own read-back;
    // readBack always stays empty.
    enum class PlanUse
    {
        Save,
        ProofOnly
    };
    SaveResult<SavePlan> plan(const ShopDocument& document, const text::StringTable& table,
                              PlanUse use = PlanUse::Save);
    SaveResult<SavePlan> plan(const ShopDocument& document)
    {
        return plan(document, document.source().table);
    }

    // Saves the document. The input is checked first (checkInput), so bad input never waits for
    // the lock. Under the workspace's save lock (on the folder that
    // holds the table, see lockFileFor): reads
    // the table again, makes sure the shop file is still what was read (or overwriteChanged),
    // plans against that table, then writes the table and the shop file, each replaced
    // atomically. When the shop file cannot be written the old table is put back, so either
    // both files are new or both are as they were. On success the document becomes the shop
    // as written; on failure it is unchanged.
    SaveResult<void> save(ShopDocument& document, const std::filesystem::path& tablePath,
                          io::FileWriter& writer, const SaveOptions& options = {});

    // What the user put into the document, checked before anything on disk is looked at: cells
    // the writer would not keep as they are (BadCell), and the changed names of written pages
    // the table cannot hold (BadPageName, CannotEncode). save runs it before it waits for the
    // lock; a caller with checks of its own against the disk runs it first, so that bad input is
    // told as such at once, whatever the disk holds.
    static SaveResult<void> checkInput(const ShopDocument& document);

    // A "tab_name_" key, 100..99999, that occurs nowhere in the table. Gives up after a bounded
    // number of draws.
    Result<std::string> newKey(const text::StringTable& table);

    // What the save lock of the table at tablePath is taken on: the folder the table is written
    // in (after following links). Nothing is created there: the workspace's folders keep
    // exactly the files the user put there.
    static std::filesystem::path lockFileFor(const std::filesystem::path& tablePath);

    // Takes the save lock of the table at tablePath, waiting up to wait. While it is held no
    // other writer runs, so what killed writers left in the locked folder goes first: their
    // temporary files, and the empty lock file beside the table that earlier versions made.
    // What saving the document would change, worked out as save works it out (the same checks
    // but the lock, the same plan) and written nowhere: the cells, names and repair flag from
    // asRead, the shop as it was opened, to the shop as the save would write it, and the table's
    // lines. Fails as the save would fail.
    SaveResult<ShopChange> dryRun(const ShopDocument& document, const ShopDocument& asRead,
                                  const std::filesystem::path& tablePath, const SaveOptions& options = {});

    // With a history, the operations that were killed before they finished are rolled back then.
    static Result<io::FileLock> lockForSave(const std::filesystem::path& tablePath,
                                            std::chrono::milliseconds wait,
                                            history::History* history = nullptr);

private:
    // What a save reads and plans before it writes: the table and the shop file as they are now
    // (nothing for a missing file), and the plan against that table.
    struct Prepared
    {
        std::optional<std::string> oldTable;
        std::optional<std::string> shopNow;
        SavePlan plan;
        text::StringTable onDisk;
    };
    SaveResult<Prepared> prepare(const ShopDocument& document, const std::filesystem::path& tablePath,
                                 const SaveOptions& options);

    std::mt19937* random_;
    std::mt19937 ownRandom_;
};

} // namespace shopkeeper::shop
