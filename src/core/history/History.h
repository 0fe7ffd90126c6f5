#pragma once

#include "core/Result.h"
#include "core/io/AtomicFile.h"

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The history of a workspace's saves, kept outside the workspace. Each operation that replaces
// files (a save, a replace, a restore) first records the bytes it is about to replace; the entry
// is the operation's journal too: it is complete only after the last file was replaced, and an
// entry left unfinished by a killed operation is rolled back by the next one that takes the save
// lock, so the files of one operation are either all old or all new.
namespace shopkeeper::history {

namespace fs = std::filesystem;

// A file an operation replaces: the bytes it has (none when there is no such file) and will have.
struct FileChange
{
    fs::path path;
    std::optional<std::string> before;
    std::string after;
};

// What an entry knows of one file.
struct EntryFile
{
    fs::path path;
    bool existed = false; // before the operation
    std::uint64_t beforeSize = 0;
    std::uint64_t beforeHash = 0;
    std::uint64_t afterSize = 0;
    std::uint64_t afterHash = 0;
};

struct Entry
{
    std::string id;   // names the entry; a newer entry's id sorts after an older one's
    std::string time; // local time, "2026-12-10 07:15:00"
    std::string program;
    std::string summary;
    bool complete = false;
    std::vector<EntryFile> files;
    fs::path folder; // empty for an operation that changed nothing and so has no entry

    bool recorded() const { return !folder.empty(); }
    // The bytes file i had before the operation; nothing when it did not exist.
    Result<std::optional<std::string>> before(std::size_t i) const;
};

// Why a restore was not done.
struct RestoreError
{
    enum class Kind
    {
        NoSuchEntry,
        ChangedSince, // a file is no longer what the entry left; force restores all the same
        Failed,       // reading the entry or writing a file failed
    };
    Kind kind = Kind::Failed;
    std::string message;
};

class History
{
public:
    static constexpr std::size_t kDefaultLimit = 100;

    // The history of the workspace at workspaceRoot, in storeRoot, keeping the newest limit entries.
    explicit History(const fs::path& workspaceRoot, std::string program,
                     fs::path storeRoot = defaultStoreRoot(), std::size_t limit = defaultLimit());

    // $XDG_DATA_HOME/Shopkeeper/history (~/.local/share/… without it); %LOCALAPPDATA%\Shopkeeper\history
    // on Windows.
    static fs::path defaultStoreRoot();
    // SHOPKEEPER_HISTORY_LIMIT when it is a whole number from 1, else kDefaultLimit.
    static std::size_t defaultLimit();
    // The workspace's own folder in the store: one per absolute workspace path.
    const fs::path& folder() const { return folder_; }

    // Records the files' present bytes, synced to the disk, before the first of them is replaced.
    // Files whose bytes stay as they are are left out; when none changes, nothing is recorded.
    Result<Entry> begin(const std::string& summary, const std::vector<FileChange>& changes);
    // After the last file was replaced: the entry is complete, and the oldest beyond the limit go.
    Status finish(Entry& entry);
    // Puts back what the entry's files had, where they still are as the operation left them, and
    // drops the entry: the operation did not happen. For an operation that failed midway.
    Status rollBack(const Entry& entry);
    // Rolls back every unfinished entry: operations killed midway. Call under the save lock.
    // Returns a sentence for the user per entry, which notes() keeps too.
    std::vector<std::string> recover();
    const std::vector<std::string>& notes() const { return notes_; }

    // Complete entries, newest first.
    std::vector<Entry> list() const;
    std::optional<Entry> find(const std::string& id) const;

    // Puts the files of entry id back as they were before it, recorded as an entry of its own.
    // Under the save lock. A file changed since the entry was made is refused unless force.
    std::expected<Entry, RestoreError> restore(const std::string& id, bool force);

private:
    std::optional<Entry> readEntry(const fs::path& folder) const;
    std::vector<Entry> entries(bool completeOnly) const;
    void prune();

    std::string program_;
    fs::path folder_;
    std::vector<std::string> notes_;
    std::size_t limit_;
};

} // namespace shopkeeper::history
