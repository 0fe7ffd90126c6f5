#pragma once

#include "core/Result.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace shopkeeper::io {

// Writes whole files. The save path goes through this interface so that tests can make a
// write fail (a full disk, say) at a chosen moment.
class FileWriter
{
public:
    virtual ~FileWriter() = default;
    virtual Status write(const std::filesystem::path& path, std::string_view bytes) = 0;
};

// Replaces a file atomically: the bytes go to a temporary file in the same folder, which is
// flushed and then renamed over the target, so a reader sees either the old or the new file.
// The new file keeps the old one's owner, group and mode where this process may set them.
// A target this user could not write in place is refused, and so is one without write
// permission for its owner, as a read-only file would be on Windows.
// Before writing, the temporary files that killed writers left in that folder are removed.
// A path that is a symbolic link is written through: the file the link points at is replaced
// in its own folder and the link is kept. A target that is no regular file is refused.
class AtomicFileWriter : public FileWriter
{
public:
    Status write(const std::filesystem::path& path, std::string_view bytes) override;
};

// A new file beside the file it is to replace, which nobody else can have prepared: it is created
// exclusively (never through a link, never over a file that is there already), readable and
// writable by its owner only until it takes the target's place. The file is removed when the
// object goes, unless it replaced its target.
class TemporaryFile
{
public:
    // Creates the file in target's folder under a fresh name of temporaryFileFor's form; when a
    // file of that name is there already, another name is drawn.
    static Result<TemporaryFile> createFor(const std::filesystem::path& target);
    // The same at one exact path; fails when anything, a link included, has that name.
    static Result<TemporaryFile> createAt(const std::filesystem::path& path);

    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&& other) noexcept;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    const std::filesystem::path& path() const { return path_; }

    // Writes all of bytes and flushes them to the disk.
    Status write(std::string_view bytes);
    // Gives the file the owner, group and mode of the file at like, as far as this process may;
    // when there is no such file, the mode a new file of this process gets.
    void takeOwnerAndMode(const std::filesystem::path& like);
    // Closes the file and renames it over target, which it then is.
    Status replace(const std::filesystem::path& target);

private:
    TemporaryFile() = default;
    static Result<TemporaryFile> create(const std::filesystem::path& path, bool& taken);
    void close();
    void discard();

    std::filesystem::path path_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// The temporary file a write to target goes through: "." + target's name + ".shopkeeper-" +
// the writer's process id + "-" + a random number + ".tmp", in target's folder. The process id
// lets a later save tell a file whose writer was killed from one being written right now.
std::filesystem::path temporaryFileFor(const std::filesystem::path& target);

// The process id in a name of that form, or nothing when the name is not one of ours.
std::optional<long long> temporaryFileWriter(std::string_view fileName);

// Removes the files of folder named like temporaryFileFor whose writing process no longer
// runs; any other file, and ours of a running process, is left alone. Returns how many went.
// Under the save lock no other writer runs at all: withWritersLocked removes every one of ours.
int removeStaleTemporaryFiles(const std::filesystem::path& folder, bool withWritersLocked = false);

// The files of folder named like temporaryFileFor, in name order: what killed writers left.
std::vector<std::filesystem::path> temporaryFilesIn(const std::filesystem::path& folder);

long long currentProcessId();
bool processIsRunning(long long pid);

} // namespace shopkeeper::io
