#include "core/io/ReplaceFile.h"

#include "core/io/FileSystem.h"
#include "core/io/SystemError.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace shopkeeper::io {

Status replaceFile(const std::filesystem::path& temporary, const std::filesystem::path& target)
{
#ifdef _WIN32
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION)
        return fail("无法替换文件：" + displayPath(target) +
                    "（文件正被其他程序打开，请关闭那个程序后再保存；文件没有改动）");
    return fail("无法替换文件：" + displayPath(target) + "（" +
                systemErrorText(std::error_code(static_cast<int>(error), std::system_category())) + "）");
#else
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (ec)
        return fail("无法替换文件：" + displayPath(target) + "（" + systemErrorText(ec) + "）");
    return {};
#endif
}

} // namespace shopkeeper::io
