#include "core/io/SystemError.h"

#include <cerrno>

namespace shopkeeper::io {

namespace {

const char* commonReason(const std::error_code& error)
{
#ifdef _WIN32
    // Win32 error codes (GetLastError) that the C++ library may not map to the portable ones.
    if (error.category() == std::system_category()) {
        switch (error.value()) {
        case 2: // ERROR_FILE_NOT_FOUND
        case 3: // ERROR_PATH_NOT_FOUND
            return "没有这个文件或文件夹";
        case 5: // ERROR_ACCESS_DENIED
            return "没有权限";
        case 19: // ERROR_WRITE_PROTECT
            return "文件系统是只读的";
        case 32: // ERROR_SHARING_VIOLATION
        case 33: // ERROR_LOCK_VIOLATION
            return "文件或设备正忙";
        case 39:  // ERROR_HANDLE_DISK_FULL
        case 112: // ERROR_DISK_FULL
            return "磁盘已满";
        case 267: // ERROR_DIRECTORY
            return "不是文件夹";
        default:
            break;
        }
    }
#endif
    using std::errc;
    if (error == errc::no_such_file_or_directory)
        return "没有这个文件或文件夹";
    if (error == errc::permission_denied || error == errc::operation_not_permitted)
        return "没有权限";
    if (error == errc::not_a_directory)
        return "不是文件夹";
    if (error == errc::is_a_directory)
        return "这是一个文件夹";
    if (error == errc::no_space_on_device)
        return "磁盘已满";
#ifdef EDQUOT
    if (error.default_error_condition() == std::error_condition(EDQUOT, std::generic_category()))
        return "超出磁盘配额";
#endif
    if (error == errc::read_only_file_system)
        return "文件系统是只读的";
    if (error == errc::device_or_resource_busy || error == errc::text_file_busy)
        return "文件或设备正忙";
    return nullptr;
}

} // namespace

std::string systemErrorText(const std::error_code& error)
{
    if (const char* reason = commonReason(error))
        return reason;
    return error.message();
}

std::string systemErrorText(int errnoValue)
{
    return systemErrorText(std::error_code(errnoValue, std::generic_category()));
}

} // namespace shopkeeper::io
