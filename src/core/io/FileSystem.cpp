#include "io/FileSystem.h"

#include "text/ScriptText.h"

#include <algorithm>
#include <fstream>
#include <system_error>

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

Result<std::string> readFileBytes(const fs::path& path, std::uintmax_t maxBytes)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return fail("无法读取文件（这是一个文件夹）：" + displayPath(path));
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail("无法打开文件：" + displayPath(path));
    const auto size = fs::file_size(path, ec);
    if (!ec && size > maxBytes)
        return fail("文件太大，无法读取：" + displayPath(path));
    std::string bytes;
    if (!ec)
        bytes.reserve(static_cast<std::size_t>(size));
    char buffer[64 * 1024];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > maxBytes)
            return fail("文件太大，无法读取：" + displayPath(path));
    }
    if (in.bad())
        return fail("读取文件时出错：" + displayPath(path));
    return bytes;
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
        fs::path path;
    };
    std::vector<Entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        const auto name = displayPath(it->path().filename());
        if (wildcardMatch(pattern, name))
            entries.push_back({text::asciiLowered(name), it->path()});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.key != b.key ? a.key < b.key : a.path.filename() < b.path.filename();
    });
    std::vector<fs::path> out;
    out.reserve(entries.size());
    for (auto& e : entries)
        out.push_back(std::move(e.path));
    return out;
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
