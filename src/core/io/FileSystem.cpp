#include "core/io/FileSystem.h"

#include "core/io/SystemError.h"
#include "core/text/ScriptText.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <system_error>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace shopkeeper::io {

std::string displayPath(const fs::path& path)
{
    const auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

fs::path pathFromUtf8(std::string_view text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

namespace {

ReadError unreadable(const fs::path& path, const std::string& reason)
{
    return ReadError{ReadError::Kind::Unreadable, "无法读取文件：" + displayPath(path) + "（" + reason + "）",
                     path};
}

#ifndef _WIN32
// A regular file read with one open, one fstat, its reads and a close, the least the system
// allows. It opens without blocking, so a FIFO in the file's place cannot make it wait. Anything
// else (no such file, not a regular file, an error, a file over the cap) gives nothing, and the
// careful read below finds and names the reason.
std::optional<std::string> readRegularFile(const fs::path& path, std::uintmax_t maxBytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    // Read straight into the string, one byte more than the file's size so that the end is seen
    // at once; a file that grows meanwhile is read on in larger steps.
    std::string bytes;
    std::size_t used = 0;
    bool ok = true;
    std::size_t capacity = info.st_size > 0 ? static_cast<std::size_t>(std::min<std::uintmax_t>(
                                                  static_cast<std::uintmax_t>(info.st_size), maxBytes)) +
                                                  1
                                            : 64 * 1024;
    while (true) {
        if (used == bytes.size())
            bytes.resize_and_overwrite(used == 0 ? capacity : used * 2,
                                       [](char*, std::size_t n) { return n; });
        const auto n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        used += static_cast<std::size_t>(n);
        if (used > maxBytes) {
            ok = false;
            break;
        }
    }
    bytes.resize(used);
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return bytes;
}
#endif
std::string notRegularReason(fs::file_type type)
{
    switch (type) {
    case fs::file_type::fifo:
        return "这不是普通文件，而是一个管道（FIFO），读取它会一直等待";
    case fs::file_type::socket:
        return "这不是普通文件，而是一个套接字";
    case fs::file_type::block:
    case fs::file_type::character:
        return "这不是普通文件，而是一个设备";
    default:
        return "这不是普通文件";
    }
}

} // namespace

ReadResult<void> checkReadable(const fs::path& path)
{
    const auto missing = [&] {
        return std::unexpected(ReadError{ReadError::Kind::Missing, "文件不存在：" + displayPath(path), path});
    };
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec == std::errc::no_such_file_or_directory || (!ec && !fs::exists(status)))
        return missing();
    if (ec)
        return std::unexpected(unreadable(path, ec.message()));
    if (fs::is_directory(status))
        return std::unexpected(unreadable(path, "这是一个文件夹"));
    if (!fs::is_regular_file(status))
        return std::unexpected(unreadable(path, notRegularReason(status.type())));
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return std::unexpected(unreadable(path, systemErrorText(errno)));
    std::fclose(file);
#else
    // As readFileBytes opens it: a FIFO put in its place meanwhile is not waited for.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return missing();
        return std::unexpected(unreadable(path, systemErrorText(error)));
    }
    struct stat info
    {
    };
    const bool statted = ::fstat(fd, &info) == 0;
    const int error = errno;
    ::close(fd);
    if (!statted || !S_ISREG(info.st_mode))
        return std::unexpected(unreadable(path, statted ? "这不是普通文件" : systemErrorText(error)));
#endif
    return {};
}

ReadResult<std::string> readFileBytes(const fs::path& path, std::uintmax_t maxBytes)
{
#ifndef _WIN32
    if (auto bytes = readRegularFile(path, maxBytes))
        return std::move(*bytes);
#endif
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (!ec && !fs::exists(status))
        return std::unexpected(ReadError{ReadError::Kind::Missing, "文件不存在：" + displayPath(path), path});
    if (ec && ec != std::errc::no_such_file_or_directory)
        return std::unexpected(unreadable(path, systemErrorText(ec)));
    if (ec)
        return std::unexpected(ReadError{ReadError::Kind::Missing, "文件不存在：" + displayPath(path), path});
    if (fs::is_directory(status))
        return std::unexpected(unreadable(path, "这是一个文件夹"));
    // A FIFO, socket or device would block a read or never end: only regular files are read.
    if (!fs::is_regular_file(status))
        return std::unexpected(unreadable(path, notRegularReason(status.type())));

    errno = 0;
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"rb");
#else
    // Opened without blocking and checked again on the open file: the name may have been
    // replaced by a FIFO since the check above, and opening a FIFO for reading waits for a writer.
    std::FILE* file = nullptr;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) {
        struct stat info
        {
        };
        const bool statted = ::fstat(fd, &info) == 0;
        const int error = errno;
        if (!statted || !S_ISREG(info.st_mode)) {
            ::close(fd);
            return std::unexpected(unreadable(path, statted ? "这不是普通文件" : systemErrorText(error)));
        }
        // Reads of a regular file never block; the flag goes so that nothing reads it as "try again".
        (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        file = ::fdopen(fd, "rb");
        if (!file)
            ::close(fd);
    }
#endif
    if (!file) {
        const int error = errno;
        if (error == ENOENT)
            return std::unexpected(
                ReadError{ReadError::Kind::Missing, "文件不存在：" + displayPath(path), path});
        return std::unexpected(unreadable(path, error ? systemErrorText(error) : "无法打开"));
    }
    std::string bytes;
    const auto size = fs::file_size(path, ec);
    if (!ec && size > maxBytes) {
        std::fclose(file);
        return std::unexpected(unreadable(path, "文件太大"));
    }
    if (!ec)
        bytes.reserve(static_cast<std::size_t>(size));
    char buffer[64 * 1024];
    while (true) {
        const auto got = std::fread(buffer, 1, sizeof buffer, file);
        bytes.append(buffer, got);
        if (bytes.size() > maxBytes) {
            std::fclose(file);
            return std::unexpected(unreadable(path, "文件太大"));
        }
        if (got < sizeof buffer)
            break;
    }
    const int error = std::ferror(file) ? errno : 0;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return std::unexpected(unreadable(path, error ? systemErrorText(error) : "读取时出错"));
    return bytes;
}

std::uint64_t fnv1a64(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

FileFingerprint fingerprintOf(const fs::path& path, std::string_view bytes)
{
    FileFingerprint print;
    print.known = true;
    print.exists = true;
    print.size = bytes.size();
    print.hash = fnv1a64(bytes);
    std::error_code ec;
    print.modified = fs::last_write_time(path, ec);
    return print;
}

FileFingerprint missingFileFingerprint()
{
    FileFingerprint print;
    print.known = true;
    return print;
}

std::optional<fs::path> resolvePath(const fs::path& base, const fs::path& relative)
{
    fs::path current = base;
    std::error_code ec;
    for (const auto& component : relative) {
        const auto name = displayPath(component);
        if (name.empty() || name == "/" || name == "\\" || name == ".")
            continue;
        const auto exact = current / component;
        if (fs::exists(fs::symlink_status(exact, ec))) {
            current = exact;
            continue;
        }
        std::optional<fs::path> found;
        for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
            if (text::equalsIgnoreCase(displayPath(it->path().filename()), name)) {
                found = it->path();
                break;
            }
        }
        if (!found)
            return std::nullopt;
        current = *found;
    }
    return current;
}

bool pathExists(const fs::path& base, const fs::path& relative)
{
    return resolvePath(base, relative).has_value();
}

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    // Iterative matcher with one backtrack point for the last "*".
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || text::asciiLower(pattern[p]) == text::asciiLower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<fs::path> listFiles(const fs::path& folder, std::string_view pattern)
{
    struct Entry
    {
        std::string key;
        std::string name;
        fs::path path; // where the system gives paths, not names
    };
    std::vector<Entry> entries;
#ifndef _WIN32
    // The entries' names as the system gives them; the paths are made once the names are in
    // order, from one string each: a path joined with "/" parses both of its halves again.
    std::string base = folder.native();
    if (!base.empty() && base.back() != '/')
        base += '/';
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name == "." || name == ".." || !wildcardMatch(pattern, name))
                continue;
            bool isDirectory = entry->d_type == DT_DIR;
            if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
                std::error_code typeError;
                isDirectory = fs::is_directory(fs::path(base + std::string(name)), typeError);
            }
            if (!isDirectory)
                entries.push_back({text::asciiLowered(name), std::string(name), {}});
        }
        ::closedir(dir);
    }
#else
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        const auto name = displayPath(it->path().filename());
        if (wildcardMatch(pattern, name))
            entries.push_back({text::asciiLowered(name), name, it->path()});
    }
#endif
    // The entries stay where they are: their places are sorted, each pair compared once.
    std::vector<std::uint32_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t i, std::uint32_t j) {
        const int byKey = entries[i].key.compare(entries[j].key);
        return byKey != 0 ? byKey < 0 : entries[i].name < entries[j].name;
    });
    std::vector<fs::path> out;
    out.reserve(entries.size());
    for (const auto k : order) {
        auto& e = entries[k];
#ifndef _WIN32
        out.emplace_back(base + e.name);
#else
        out.push_back(std::move(e.path));
#endif
    }
    return out;
}

Result<fs::path> resolveLinks(const fs::path& path)
{
    constexpr int kMaxLinks = 40; // as the system's own limit on a chain of links
    fs::path current = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec)))
            return current;
        const auto target = fs::read_symlink(current, ec);
        if (ec)
            return fail("无法读取链接：" + displayPath(current) + "（" + systemErrorText(ec) + "）");
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return fail("链接层数太多（可能是循环链接）：" + displayPath(path));
}

bool isEmptyRegularFile(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(path, ec)))
        return false;
    return fs::file_size(path, ec) == 0 && !ec;
}

bool isReadOnlyFile(const fs::path& path)
{
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        return false;
    return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

} // namespace shopkeeper::io
