#include "core/io/AtomicFile.h"

#include "core/io/FileSystem.h"
#include "core/io/ReplaceFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace shopkeeper::io {

namespace {

bool flushToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

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
    std::random_device rd;
    const auto name = "." + displayPath(target.filename()) + std::string(kTempMarker) +
                      std::to_string(currentProcessId()) + "-" + std::to_string(rd() % 1000000u) +
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
        !allDigits(ids.substr(dash + 1)) || dash > 18)
        return std::nullopt;
    return std::stoll(std::string(ids.substr(0, dash)));
}

int removeStaleTemporaryFiles(const fs::path& folder)
{
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        const auto pid = temporaryFileWriter(displayPath(it->path().filename()));
        if (!pid || processIsRunning(*pid))
            continue;
        std::error_code removeError;
        if (fs::remove(it->path(), removeError))
            ++removed;
    }
    return removed;
}

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

    removeStaleTemporaryFiles(folder);
    const auto temp = temporaryFileFor(path);
#ifdef _WIN32
    std::FILE* file = _wfopen(temp.c_str(), L"wb");
#else
    std::FILE* file = std::fopen(temp.c_str(), "wb");
#endif
    if (!file)
        return fail("无法在文件夹中创建临时文件：" + displayPath(folder));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool flushed = written && flushToDisk(file);
    const bool closed = std::fclose(file) == 0;
    if (!written || !flushed || !closed) {
        fs::remove(temp, ec);
        return fail("写入文件失败（磁盘已满或无法写入）：" + shown);
    }
    // Keep the permissions the old file had.
    const auto old = fs::status(path, ec);
    if (!ec && fs::exists(old))
        fs::permissions(temp, old.permissions(), ec);
    if (auto replaced = replaceFile(temp, path); !replaced) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return replaced;
    }
    return {};
}

} // namespace shopkeeper::io
