#pragma once

#include "core/Result.h"

#include <chrono>
#include <filesystem>
#include <string>

namespace shopkeeper::io {

// An advisory lock that leaves nothing on disk: on POSIX an flock on an existing file or folder,
// opened read-only (never created); on Windows a named mutex of the session, named after the
// path. Every save of a workspace locks the folder that holds its string table, so two saves
// (two windows, the window and the command-line tool) never interleave their reads and writes
// of the shared table, and no lock file ever lands in a folder that is packed into the game.
// The lock goes with the process: a killed saver never leaves a held lock. On Windows the lock
// is released by the thread that took it; as with flock, a second take in the same process waits
// too, though a mutex would let its own thread in at once.
class FileLock
{
public:
    FileLock() = default;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Waits up to timeout for the lock on target, a file or folder that must exist. Fails with a
    // message naming it when another process keeps the lock for longer, or when it cannot be
    // opened.
    static Result<FileLock> acquire(const std::filesystem::path& target, std::chrono::milliseconds timeout);

    void release();

private:
#ifdef _WIN32
    void* handle_ = nullptr;
    std::wstring name_;
#else
    int fd_ = -1;
#endif
};

} // namespace shopkeeper::io
