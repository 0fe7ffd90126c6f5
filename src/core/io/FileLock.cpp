#include "core/io/FileLock.h"

#include "core/io/FileSystem.h"
#include "core/io/SystemError.h"
#include "core/text/ScriptText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <mutex>
#include <set>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace shopkeeper::io {

namespace {

constexpr std::chrono::milliseconds kPollInterval{15};

std::string busyMessage(const std::filesystem::path& target)
{
    return "另一个程序正在保存这个工作区的商店，请稍后再试。（锁定的是：" + displayPath(target) + "）";
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
        name_ = std::move(other.name_);
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

namespace {

// The names this process holds, on any thread: a thread that holds a mutex would take it again at
// once, so a take in the same process waits for the name here first.
std::mutex heldMutex;
std::set<std::wstring> heldNames;

bool takeName(const std::wstring& name, std::chrono::steady_clock::time_point deadline)
{
    while (true) {
        {
            const std::lock_guard lock(heldMutex);
            if (heldNames.insert(name).second)
                return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

void giveName(const std::wstring& name)
{
    const std::lock_guard lock(heldMutex);
    heldNames.erase(name);
}

} // namespace

void FileLock::release()
{
    if (!handle_)
        return;
    ReleaseMutex(handle_);
    CloseHandle(handle_);
    handle_ = nullptr;
    giveName(name_);
}

Result<FileLock> FileLock::acquire(const std::filesystem::path& target, std::chrono::milliseconds timeout)
{
    // One mutex name per folder: its absolute path, case folded as Windows compares names.
    std::error_code ec;
    auto absolute = std::filesystem::absolute(target, ec);
    if (ec)
        absolute = target;
    const auto key = text::asciiLowered(displayPath(absolute.lexically_normal()));
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(fnv1a64(key)));
    std::wstring name = L"Local\\shopkeeper-save-";
    for (const char* c = hex; *c; ++c)
        name.push_back(static_cast<wchar_t>(*c));
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    if (!takeName(name, deadline))
        return fail(busyMessage(target));
    HANDLE handle = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!handle) {
        giveName(name);
        return fail(
            "无法建立保存锁：" + displayPath(target) + "（" +
            systemErrorText(std::error_code(static_cast<int>(GetLastError()), std::system_category())) +
            "）");
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    const auto wait = static_cast<DWORD>(std::clamp<long long>(left.count(), 0, 0x7fffffff));
    const DWORD result = WaitForSingleObject(handle, wait);
    // An abandoned mutex belonged to a process that ended while holding it: ours now.
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
        FileLock lock;
        lock.handle_ = handle;
        lock.name_ = name;
        return lock;
    }
    CloseHandle(handle);
    giveName(name);
    return fail(busyMessage(target));
}

#else

void FileLock::release()
{
    if (fd_ < 0)
        return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

Result<FileLock> FileLock::acquire(const std::filesystem::path& target, std::chrono::milliseconds timeout)
{
    // Read-only and without blocking: a folder opens so, and nothing is created.
    const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return fail("无法打开要锁定的文件夹：" + displayPath(target) + "（" + systemErrorText(errno) + "）");
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
                return fail("无法锁定：" + displayPath(target) + "（" + systemErrorText(error) + "）");
            return fail(busyMessage(target));
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

#endif

} // namespace shopkeeper::io
