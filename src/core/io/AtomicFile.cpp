#include "io/AtomicFile.h"

#include "io/FileSystem.h"

#include <cstdio>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace shopkeeper::io {

namespace {

fs::path temporarySibling(const fs::path& path)
{
    std::random_device rd;
    const auto name = "." + displayPath(path.filename()) + "." + std::to_string(rd() % 1000000u) + ".tmp";
    return path.parent_path() / pathFromUtf8(name);
}

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

} // namespace

Status AtomicFileWriter::write(const fs::path& path, std::string_view bytes)
{
    const auto shown = displayPath(path);
    if (path.empty())
        return fail("没有指定要写入的文件。");
    std::error_code ec;
    const auto folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    if (!fs::is_directory(folder, ec))
        return fail("文件夹不存在：" + displayPath(folder));
    if (fs::is_directory(path, ec))
        return fail("无法写入文件（这是一个文件夹）：" + shown);
    if (isReadOnlyFile(path))
        return fail("文件是只读的，无法写入：" + shown);

    const auto temp = temporarySibling(path);
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
    fs::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return fail("无法替换文件：" + shown + "（" + ec.message() + "）");
    }
    return {};
}

} // namespace shopkeeper::io
