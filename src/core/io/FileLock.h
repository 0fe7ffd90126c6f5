#pragma once

#include "core/Result.h"

#include <chrono>
#include <filesystem>

namespace shopkeeper::io {

// An advisory lock on a lock file: flock on POSIX, LockFileEx on Windows. Every save of a
// workspace takes the lock beside its string table, so two saves (two windows, the window and
// the command-line tool) never interleave their reads and writes of the shared table. The lock
// goes with the process: a killed saver leaves the file behind but never a held lock.
class FileLock
{
public:
    FileLock() = default;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Waits up to timeout for the lock, creating the lock file when it is missing. Fails with a
    // message naming the file when another process keeps the lock for longer, or when the file
    // cannot be opened.
    static Result<FileLock> acquire(const std::filesystem::path& lockFile, std::chrono::milliseconds timeout);

    bool isHeld() const;
    void release();

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

} // namespace shopkeeper::io
