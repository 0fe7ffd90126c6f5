#include "core/io/FileLock.h"

#include "core/io/FileSystem.h"

#include <cerrno>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace shopkeeper::io {

namespace {

constexpr std::chrono::milliseconds kPollInterval{15};

std::string busyMessage(const std::filesystem::path& lockFile)
{
    return "另一个程序正在保存这个工作区的商店，请稍后再试。（锁文件：" + displayPath(lockFile) + "）";
}

} // namespace

FileLock::FileLock(FileLock&& other) noexcept
{
    *this = std::move(other);
}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        release();
#ifdef _WIN32
        handle_ = other.handle_;
        other.handle_ = nullptr;
#else
        fd_ = other.fd_;
        other.fd_ = -1;
#endif
    }
    return *this;
}

FileLock::~FileLock()
{
    release();
}

#ifdef _WIN32

bool FileLock::isHeld() const
{
    return handle_ != nullptr;
}

void FileLock::release()
{
    if (!handle_)
        return;
    OVERLAPPED overlapped{};
    UnlockFileEx(handle_, 0, MAXDWORD, MAXDWORD, &overlapped);
    CloseHandle(handle_);
    handle_ = nullptr;
}

Result<FileLock> FileLock::acquire(const std::filesystem::path& lockFile, std::chrono::milliseconds timeout)
{
    HANDLE handle = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return fail("无法打开锁文件：" + displayPath(lockFile) + "（" +
                    std::system_category().message(static_cast<int>(GetLastError())) + "）");
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        OVERLAPPED overlapped{};
        if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                       &overlapped)) {
            FileLock lock;
            lock.handle_ = handle;
            return lock;
        }
        if (GetLastError() != ERROR_LOCK_VIOLATION || std::chrono::steady_clock::now() >= deadline) {
            CloseHandle(handle);
            return fail(busyMessage(lockFile));
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

#else

bool FileLock::isHeld() const
{
    return fd_ >= 0;
}

void FileLock::release()
{
    if (fd_ < 0)
        return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

Result<FileLock> FileLock::acquire(const std::filesystem::path& lockFile, std::chrono::milliseconds timeout)
{
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail("无法打开锁文件：" + displayPath(lockFile) + "（" +
                    std::error_code(errno, std::generic_category()).message() + "）");
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            FileLock lock;
            lock.fd_ = fd;
            return lock;
        }
        const int error = errno;
        if ((error != EWOULDBLOCK && error != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            if (error != EWOULDBLOCK && error != EINTR)
                return fail("无法锁定锁文件：" + displayPath(lockFile) + "（" +
                            std::error_code(error, std::generic_category()).message() + "）");
            return fail(busyMessage(lockFile));
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

#endif

} // namespace shopkeeper::io
