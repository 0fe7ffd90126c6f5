#include "core/history/History.h"

#include "core/io/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace shopkeeper::history {

namespace {

constexpr std::string_view kMagic = "shopkeeper history 1";
constexpr const char* kManifest = "entry.txt";
constexpr const char* kDone = "complete";

std::string hex(std::uint64_t value)
{
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(value));
    return buffer;
}

std::uint64_t fromHex(const std::string& text)
{
    return std::strtoull(text.c_str(), nullptr, 16);
}

std::string oldBytesName(std::size_t i)
{
    return std::to_string(i) + ".old";
}

// The folder's own entry is synced too, so that a file just renamed into it survives a crash.
void syncFolder(const fs::path& folder)
{
#ifdef _WIN32
    (void)folder;
#else
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
#endif
}

std::tm localTime(std::time_t t)
{
    std::tm out{};
#ifdef _WIN32
    localtime_s(&out, &t);
#else
    localtime_r(&t, &out);
#endif
    return out;
}

std::vector<std::string> splitTabs(const std::string& line, std::size_t fields)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (out.size() + 1 < fields) {
        const auto tab = line.find('\t', start);
        if (tab == std::string::npos)
            break;
        out.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    out.push_back(line.substr(start));
    return out;
}

std::string oneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return text;
}

// What a file is now: its bytes' size and hash, or nothing when it does not exist. A file that
// cannot be read is an error.
Result<std::optional<std::pair<std::uint64_t, std::uint64_t>>> stateOf(const fs::path& path)
{
    auto bytes = io::readFileBytes(path);
    if (!bytes) {
        if (bytes.error().isMissing())
            return std::nullopt;
        return fail(bytes.error().message);
    }
    return std::pair{static_cast<std::uint64_t>(bytes->size()), io::fnv1a64(*bytes)};
}

bool isAfter(const std::optional<std::pair<std::uint64_t, std::uint64_t>>& now, const EntryFile& file)
{
    return now && now->first == file.afterSize && now->second == file.afterHash;
}

bool isBefore(const std::optional<std::pair<std::uint64_t, std::uint64_t>>& now, const EntryFile& file)
{
    if (!file.existed)
        return !now;
    return now && now->first == file.beforeSize && now->second == file.beforeHash;
}

// Gives a file the bytes it had before: writes them, or removes a file that did not exist.
Status putBack(const Entry& entry, std::size_t i)
{
    auto before = entry.before(i);
    if (!before)
        return std::unexpected(before.error());
    const auto& path = entry.files[i].path;
    if (!*before) {
        std::error_code ec;
        fs::remove(path, ec);
        if (ec)
            return fail("无法删除文件：" + io::displayPath(path));
        return {};
    }
    io::AtomicFileWriter writer;
    return writer.write(path, **before);
}

} // namespace

Result<std::optional<std::string>> Entry::before(std::size_t i) const
{
    if (i >= files.size() || !files[i].existed)
        return std::nullopt;
    auto bytes = io::readFileBytes(folder / oldBytesName(i), std::uintmax_t{1} << 40);
    if (!bytes)
        return fail("无法读取历史记录：" + bytes.error().message);
    if (bytes->size() != files[i].beforeSize || io::fnv1a64(*bytes) != files[i].beforeHash)
        return fail("历史记录已损坏：" + io::displayPath(folder / oldBytesName(i)));
    return std::optional<std::string>(std::move(*bytes));
}

History::History(const fs::path& workspaceRoot, std::string program, fs::path storeRoot, std::size_t limit)
    : program_(std::move(program)), limit_(std::max<std::size_t>(limit, 1))
{
    std::error_code ec;
    auto absolute = fs::absolute(workspaceRoot, ec).lexically_normal();
    if (!absolute.has_filename())
        absolute = absolute.parent_path();
    const auto text = io::displayPath(absolute);
    folder_ = storeRoot / (hex(io::fnv1a64(text)) + "-" + io::displayPath(absolute.filename()));
}

fs::path History::defaultStoreRoot()
{
#ifdef _WIN32
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        return fs::path(local) / "Shopkeeper" / "history";
    return fs::temp_directory_path() / "Shopkeeper" / "history";
#else
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return fs::path(data) / "Shopkeeper" / "history";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "Shopkeeper" / "history";
#endif
}

std::size_t History::defaultLimit()
{
    if (const char* text = std::getenv("SHOPKEEPER_HISTORY_LIMIT")) {
        char* end = nullptr;
        const auto value = std::strtoull(text, &end, 10);
        if (end && *end == '\0' && value >= 1)
            return static_cast<std::size_t>(value);
    }
    return kDefaultLimit;
}

Result<Entry> History::begin(const std::string& summary, const std::vector<FileChange>& changes)
{
    Entry entry;
    entry.program = program_;
    entry.summary = oneLine(summary);
    std::vector<const FileChange*> changed;
    for (const auto& change : changes)
        if (!change.before || *change.before != change.after)
            changed.push_back(&change);
    if (changed.empty())
        return entry; // nothing to record, nothing to undo

    const auto now = std::chrono::system_clock::now();
    const auto seconds = std::chrono::system_clock::to_time_t(now);
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000;
    const std::tm local = localTime(seconds);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    char shown[32];
    std::strftime(shown, sizeof shown, "%Y-%m-%d %H:%M:%S", &local);
    entry.time = shown;

    std::error_code ec;
    fs::create_directories(folder_, ec);
    // The id: the time to the microsecond and the process, and a count should both repeat.
    char micro[8];
    std::snprintf(micro, sizeof micro, "%06lld", static_cast<long long>(micros));
    const std::string base = std::string(stamp) + "-" + micro + "-" + std::to_string(io::currentProcessId());
    for (int n = 0; n < 100 && entry.folder.empty(); ++n) {
        const auto id = n == 0 ? base : base + "-" + std::to_string(n);
        if (fs::create_directory(folder_ / id, ec)) {
            entry.id = id;
            entry.folder = folder_ / id;
        } else if (ec) {
            break;
        }
    }
    if (entry.folder.empty())
        return fail("无法在 " + io::displayPath(folder_) + " 中写入历史记录。");

    auto failed = [&](const std::string& why) {
        std::error_code ignored;
        fs::remove_all(entry.folder, ignored);
        return fail("无法写入历史记录，没有保存任何文件：" + why);
    };
    io::AtomicFileWriter writer;
    std::ostringstream manifest;
    manifest << kMagic << "\ntime\t" << entry.time << "\nprogram\t" << oneLine(program_) << "\nsummary\t"
             << entry.summary << "\n";
    for (std::size_t i = 0; i < changed.size(); ++i) {
        const auto& change = *changed[i];
        EntryFile file;
        file.path = fs::absolute(change.path, ec);
        file.existed = change.before.has_value();
        if (file.existed) {
            file.beforeSize = change.before->size();
            file.beforeHash = io::fnv1a64(*change.before);
            if (auto ok = writer.write(entry.folder / oldBytesName(i), *change.before); !ok)
                return failed(ok.error().message);
        }
        file.afterSize = change.after.size();
        file.afterHash = io::fnv1a64(change.after);
        manifest << "file\t" << (file.existed ? 1 : 0) << '\t' << file.beforeSize << '\t'
                 << hex(file.beforeHash) << '\t' << file.afterSize << '\t' << hex(file.afterHash) << '\t'
                 << io::displayPath(file.path) << "\n";
        entry.files.push_back(std::move(file));
    }
    // The manifest last: an entry without one recorded nothing that any file depends on.
    if (auto ok = writer.write(entry.folder / kManifest, manifest.str()); !ok)
        return failed(ok.error().message);
    syncFolder(entry.folder);
    syncFolder(folder_);
    return entry;
}

Status History::finish(Entry& entry)
{
    if (!entry.recorded())
        return {};
    io::AtomicFileWriter writer;
    if (auto ok = writer.write(entry.folder / kDone, ""); !ok)
        return ok;
    syncFolder(entry.folder);
    entry.complete = true;
    prune();
    return {};
}

Status History::rollBack(const Entry& entry)
{
    if (!entry.recorded())
        return {};
    std::string problems;
    for (std::size_t i = 0; i < entry.files.size(); ++i) {
        const auto& file = entry.files[i];
        auto now = stateOf(file.path);
        if (!now) {
            problems += "\n" + now.error().message;
            continue;
        }
        if (isBefore(*now, file))
            continue;
        if (!isAfter(*now, file)) {
            problems += "\n" + io::displayPath(file.path) + " 已被其他程序修改，没有恢复。";
            continue;
        }
        if (auto ok = putBack(entry, i); !ok)
            problems += "\n" + ok.error().message;
    }
    if (!problems.empty())
        return fail("无法恢复中断的操作（" + entry.summary + "）的文件：" + problems);
    std::error_code ignored;
    fs::remove_all(entry.folder, ignored);
    return {};
}

std::vector<std::string> History::recover()
{
    std::vector<std::string> notes;
    for (const auto& entry : entries(false)) {
        if (entry.complete)
            continue;
        if (auto ok = rollBack(entry); !ok)
            notes.push_back(ok.error().message);
        else
            notes.push_back("上次的操作（" + entry.summary + "，" + entry.time + "，" + entry.program +
                            "）没有完成：它改动的 " + std::to_string(entry.files.size()) +
                            " 个文件已恢复原样。");
    }
    notes_.insert(notes_.end(), notes.begin(), notes.end());
    return notes;
}

std::optional<Entry> History::readEntry(const fs::path& folder) const
{
    auto text = io::readFileBytes(folder / kManifest);
    if (!text)
        return std::nullopt;
    std::istringstream in(*text);
    std::string line;
    if (!std::getline(in, line) || line != kMagic)
        return std::nullopt;
    Entry entry;
    entry.folder = folder;
    entry.id = io::displayPath(folder.filename());
    while (std::getline(in, line)) {
        const auto fields = splitTabs(line, 7);
        if (fields[0] == "time" && fields.size() == 2)
            entry.time = fields[1];
        else if (fields[0] == "program" && fields.size() == 2)
            entry.program = fields[1];
        else if (fields[0] == "summary" && fields.size() == 2)
            entry.summary = fields[1];
        else if (fields[0] == "file" && fields.size() == 7)
            entry.files.push_back({io::pathFromUtf8(fields[6]), fields[1] == "1",
                                   std::strtoull(fields[2].c_str(), nullptr, 10), fromHex(fields[3]),
                                   std::strtoull(fields[4].c_str(), nullptr, 10), fromHex(fields[5])});
    }
    std::error_code ec;
    entry.complete = fs::exists(folder / kDone, ec);
    return entry;
}

std::vector<Entry> History::entries(bool completeOnly) const
{
    std::vector<Entry> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError))
            continue;
        auto entry = readEntry(it->path());
        if (!entry) {
            // A begin that was killed before its manifest: no file was replaced after it.
            if (!fs::exists(it->path() / kManifest, typeError)) {
                std::error_code ignored;
                fs::remove_all(it->path(), ignored);
            }
            continue;
        }
        if (!completeOnly || entry->complete)
            out.push_back(std::move(*entry));
    }
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.id > b.id; });
    return out;
}

std::vector<Entry> History::list() const
{
    return entries(true);
}

std::optional<Entry> History::find(const std::string& id) const
{
    if (id.empty() || id.find_first_of("/\\") != std::string::npos || id == "." || id == "..")
        return std::nullopt;
    auto entry = readEntry(folder_ / io::pathFromUtf8(id));
    if (!entry || !entry->complete)
        return std::nullopt;
    return entry;
}

void History::prune()
{
    const auto all = entries(true);
    for (std::size_t i = limit_; i < all.size(); ++i) {
        std::error_code ignored;
        fs::remove_all(all[i].folder, ignored);
    }
}

std::expected<Entry, RestoreError> History::restore(const std::string& id, bool force)
{
    using Kind = RestoreError::Kind;
    const auto entry = find(id);
    if (!entry)
        return std::unexpected(RestoreError{Kind::NoSuchEntry, "没有这条历史记录：" + id});
    std::vector<FileChange> changes;
    for (std::size_t i = 0; i < entry->files.size(); ++i) {
        const auto& file = entry->files[i];
        auto now = io::readFileBytes(file.path);
        if (!now && !now.error().isMissing())
            return std::unexpected(RestoreError{Kind::Failed, now.error().message});
        const auto state =
            now ? std::optional(std::pair{static_cast<std::uint64_t>(now->size()), io::fnv1a64(*now)})
                : std::nullopt;
        if (!force && !isAfter(state, file))
            return std::unexpected(RestoreError{Kind::ChangedSince,
                                                io::displayPath(file.path) +
                                                    " 在这条历史记录之后已被修改；要恢复，请加上 --force。"});
        auto before = entry->before(i);
        if (!before)
            return std::unexpected(RestoreError{Kind::Failed, before.error().message});
        FileChange change{file.path, now ? std::optional(std::move(*now)) : std::nullopt, {}};
        if (*before)
            change.after = std::move(**before);
        else if (!change.before)
            continue; // absent then and now
        changes.push_back(std::move(change));
    }
    auto record = begin("恢复 " + entry->id + "（" + entry->summary + "）", changes);
    if (!record)
        return std::unexpected(RestoreError{Kind::Failed, record.error().message});
    for (std::size_t i = 0; i < record->files.size(); ++i) {
        const auto& file = record->files[i];
        const auto original = std::find_if(entry->files.begin(), entry->files.end(),
                                           [&](const EntryFile& f) { return f.path == file.path; });
        Status ok;
        if (original != entry->files.end() && !original->existed) {
            std::error_code ec;
            fs::remove(file.path, ec);
            if (ec)
                ok = fail("无法删除文件：" + io::displayPath(file.path));
        } else {
            const auto& change = *std::find_if(changes.begin(), changes.end(), [&](const FileChange& c) {
                return fs::absolute(c.path) == file.path;
            });
            io::AtomicFileWriter writer;
            ok = writer.write(file.path, change.after);
        }
        if (!ok) {
            (void)rollBack(*record);
            return std::unexpected(RestoreError{Kind::Failed, ok.error().message});
        }
    }
    if (auto ok = finish(*record); !ok)
        return std::unexpected(RestoreError{Kind::Failed, ok.error().message});
    return *record;
}

} // namespace shopkeeper::history
