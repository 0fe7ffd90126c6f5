#pragma once

#include "core/Result.h"

#include <filesystem>
#include <optional>
#include <string_view>

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
// A target without write permission is refused, as a read-only file would be on Windows.
// Before writing, the temporary files that killed writers left in that folder are removed.
// A path that is a symbolic link is written through: the file the link points at is replaced
// in its own folder and the link is kept. A target that is no regular file is refused.
class AtomicFileWriter : public FileWriter
{
public:
    Status write(const std::filesystem::path& path, std::string_view bytes) override;
};

// The temporary file a write to target goes through: "." + target's name + ".shopkeeper-" +
// the writer's process id + "-" + a random number + ".tmp", in target's folder. The process id
// lets a later save tell a file whose writer was killed from one being written right now.
std::filesystem::path temporaryFileFor(const std::filesystem::path& target);

// The process id in a name of that form, or nothing when the name is not one of ours.
std::optional<long long> temporaryFileWriter(std::string_view fileName);

// Removes the files of folder named like temporaryFileFor whose writing process no longer
// runs; any other file, and ours of a running process, is left alone. Returns how many went.
int removeStaleTemporaryFiles(const std::filesystem::path& folder);

long long currentProcessId();
bool processIsRunning(long long pid);

} // namespace shopkeeper::io
