#include "core/io/AtomicFile.h"

#include "core/io/FileSystem.h"
#include "core/io/SystemError.h"
#include "core/io/ReplaceFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace shopkeeper::io {

namespace {

constexpr std::string_view kTempMarker = ".shopkeeper-";
constexpr std::string_view kTempSuffix = ".tmp";

bool allDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

long long currentProcessId()
{
#ifdef _WIN32
    return static_cast<long long>(GetCurrentProcessId());
#else
    return static_cast<long long>(::getpid());
#endif
}

bool processIsRunning(long long pid)
{
    if (pid <= 0)
        return false;
#ifdef _WIN32
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    if (::kill(static_cast<pid_t>(pid), 0) == 0)
        return true;
    return errno == EPERM; // it runs, under another user
#endif
}

fs::path temporaryFileFor(const fs::path& target)
{
    // 64 random bits: nobody can plant links under every name a save may draw.
    std::random_device rd;
    const std::uint64_t random = (std::uint64_t{rd()} << 32) ^ rd();
    const auto name = "." + displayPath(target.filename()) + std::string(kTempMarker) +
                      std::to_string(currentProcessId()) + "-" + std::to_string(random) +
                      std::string(kTempSuffix);
    return target.parent_path() / pathFromUtf8(name);
}

std::optional<long long> temporaryFileWriter(std::string_view name)
{
    if (name.size() < 2 || name.front() != '.' || !name.ends_with(kTempSuffix))
        return std::nullopt;
    name.remove_suffix(kTempSuffix.size());
    const auto marker = name.rfind(kTempMarker);
    if (marker == std::string_view::npos || marker < 2)
        return std::nullopt;
    const auto ids = name.substr(marker + kTempMarker.size());
    const auto dash = ids.find('-');
    if (dash == std::string_view::npos || !allDigits(ids.substr(0, dash)) ||
        !allDigits(ids.substr(dash + 1)) || dash > 18 || ids.size() - dash - 1 > 20)
        return std::nullopt;
    return std::stoll(std::string(ids.substr(0, dash)));
}

std::vector<fs::path> temporaryFilesIn(const fs::path& folder)
{
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && temporaryFileWriter(displayPath(it->path().filename())))
            found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

int removeStaleTemporaryFiles(const fs::path& folder, bool withWritersLocked)
{
    int removed = 0;
    for (const auto& path : temporaryFilesIn(folder)) {
        if (!withWritersLocked && processIsRunning(*temporaryFileWriter(displayPath(path.filename()))))
            continue;
        std::error_code removeError;
        if (fs::remove(path, removeError))
            ++removed;
    }
    return removed;
}

namespace {

#ifndef _WIN32
// The permission bits a file this process creates gets: 0666 less the umask, read where it can
// be read without changing it (umask() itself would change it for every thread for a moment).
mode_t newFileMode()
{
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Umask:")) {
            mask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
            break;
        }
    }
    return 0666 & ~mask;
}
#endif

} // namespace

Result<TemporaryFile> TemporaryFile::createAt(const fs::path& path)
{
    bool taken = false;
    return create(path, taken);
}

Result<TemporaryFile> TemporaryFile::create(const fs::path& path, bool& taken)
{
    TemporaryFile file;
#ifdef _WIN32
    // CREATE_NEW fails on any name that exists, a link included; no other process may open the
    // file while it is written.
    HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        taken = GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS;
        return fail("无法创建临时文件：" + displayPath(path));
    }
    file.handle_ = handle;
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        taken = errno == EEXIST;
        return fail("无法创建临时文件：" + displayPath(path));
    }
    file.fd_ = fd;
#endif
    file.path_ = path;
    return file;
}

Result<TemporaryFile> TemporaryFile::createFor(const fs::path& target)
{
    // A name taken already (by chance, or by a link someone planted) is passed over.
    for (int attempt = 0; attempt < 100; ++attempt) {
        bool taken = false;
        if (auto file = create(temporaryFileFor(target), taken))
            return file;
        if (!taken)
            break;
    }
    const auto folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    return fail("无法在文件夹中创建临时文件：" + displayPath(folder));
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : path_(std::exchange(other.path_, {}))
#ifdef _WIN32
      ,
      handle_(std::exchange(other.handle_, nullptr))
#else
      ,
      fd_(std::exchange(other.fd_, -1))
#endif
{
}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept
{
    if (this != &other) {
        discard();
        path_ = std::exchange(other.path_, {});
#ifdef _WIN32
        handle_ = std::exchange(other.handle_, nullptr);
#else
        fd_ = std::exchange(other.fd_, -1);
#endif
    }
    return *this;
}

TemporaryFile::~TemporaryFile()
{
    discard();
}

void TemporaryFile::close()
{
#ifdef _WIN32
    if (handle_)
        CloseHandle(handle_);
    handle_ = nullptr;
#else
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
#endif
}

void TemporaryFile::discard()
{
    close();
    if (!path_.empty()) {
        std::error_code ignored;
        fs::remove(path_, ignored);
        path_.clear();
    }
}

Status TemporaryFile::write(std::string_view bytes)
{
#ifdef _WIN32
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!handle_ || !WriteFile(handle_, bytes.data(), chunk, &written, nullptr) || written == 0)
            return fail("写入文件失败（磁盘已满或无法写入）：" + displayPath(path_));
        bytes.remove_prefix(written);
    }
    if (!FlushFileBuffers(handle_))
        return fail("写入文件失败（磁盘已满或无法写入）：" + displayPath(path_));
#else
    while (!bytes.empty()) {
        const auto written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return fail("写入文件失败（磁盘已满或无法写入）：" + displayPath(path_));
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::fsync(fd_) != 0)
        return fail("写入文件失败（磁盘已满或无法写入）：" + displayPath(path_));
#endif
    return {};
}

void TemporaryFile::takeOwnerAndMode(const fs::path& like)
{
#ifdef _WIN32
    (void)like; // a new file inherits its folder's permissions, as the old one did
#else
    struct stat old
    {
    };
    if (fd_ < 0)
        return;
    if (::stat(like.c_str(), &old) != 0) {
        (void)::fchmod(fd_, newFileMode());
        return;
    }
    // The owner first (only a privileged process may give a file away; anyone may set a group
    // they belong to), then the mode, which a change of owner may clear bits of.
    if (::fchown(fd_, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd_, static_cast<uid_t>(-1), old.st_gid);
    (void)::fchmod(fd_, old.st_mode & 07777);
#endif
}

Status TemporaryFile::replace(const fs::path& target)
{
    close();
    if (auto replaced = replaceFile(path_, target); !replaced) {
        discard();
        return replaced;
    }
    path_.clear();
    return {};
}

namespace {

// Whether this user could write the file where it is (not only replace it through its folder).
bool writableInPlace(const fs::path& path)
{
#ifdef _WIN32
    (void)path;
    return true; // the read-only attribute is the owner-write bit std::filesystem reports
#else
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 || errno == ENOENT;
#endif
}

} // namespace

Status AtomicFileWriter::write(const fs::path& link, std::string_view bytes)
{
    if (link.empty())
        return fail("没有指定要写入的文件。");
    // Through symbolic links: the file at the end of the chain is replaced in its own folder,
    // and the links stay as they are.
    const auto resolved = resolveLinks(link);
    if (!resolved)
        return fail("无法写入文件：" + displayPath(link) + "（" + resolved.error().message + "）");
    const fs::path& path = *resolved;
    const auto shown = displayPath(path);
    std::error_code ec;
    const auto folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    if (!fs::is_directory(folder, ec))
        return fail("文件夹不存在：" + displayPath(folder));
    if (fs::is_directory(path, ec))
        return fail("无法写入文件（这是一个文件夹）：" + shown);
    // A FIFO or device in the file's place is no file the editor wrote; it is not replaced.
    if (const auto type = fs::status(path, ec).type();
        !ec && type != fs::file_type::regular && type != fs::file_type::not_found)
        return fail("无法写入文件（这不是普通文件）：" + shown);
    if (isReadOnlyFile(path))
        return fail("文件是只读的，无法写入：" + shown);
    // Replacing goes through the folder's permissions; a file the user may not write stays theirs
    // not to change, whoever may write the folder.
    if (!writableInPlace(path))
        return fail("没有写入该文件的权限：" + shown);

    removeStaleTemporaryFiles(folder);
    auto temp = TemporaryFile::createFor(path);
    if (!temp)
        return std::unexpected(temp.error());
    if (auto ok = temp->write(bytes); !ok)
        return fail("写入文件失败（磁盘已满或无法写入）：" + shown);
    temp->takeOwnerAndMode(path);
    return temp->replace(path);
}

} // namespace shopkeeper::io
