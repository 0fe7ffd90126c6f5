#include "core/capture/LinuxProcessSource.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

namespace shopkeeper::capture {

namespace {

// Up to max bytes of a small /proc file; empty when it cannot be read (the process may be gone).
std::string readSmallFile(const std::string& path, std::size_t max)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string bytes(max, '\0');
    std::size_t used = 0;
    while (used < max) {
        const ssize_t n = ::read(fd, bytes.data() + used, max - used);
        if (n <= 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(used);
    return bytes;
}

struct ProcessStatus
{
    std::string commandName;
    char state = 0;
};

// /proc/PID/stat begins "PID (COMMAND) STATE ..."; the command name may itself hold ')' or spaces.
ProcessStatus statusOf(const std::string& dir)
{
    const auto stat = readSmallFile(dir + "/stat", 512);
    const auto open = stat.find('(');
    const auto close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open || close + 2 >= stat.size())
        return {};
    return {stat.substr(open + 1, close - open - 1), stat[close + 2]};
}

// The last component of argv[0], after '/' or '\' (a Wine program's argv[0] is a Windows path).
std::string exeNameOf(const std::string& dir)
{
    const auto cmdline = readSmallFile(dir + "/cmdline", 4096);
    const std::string first = cmdline.substr(0, cmdline.find('\0'));
    const auto slash = first.find_last_of("/\\");
    return slash == std::string::npos ? first : first.substr(slash + 1);
}

class LinuxProcessMemory final : public ProcessMemory
{
public:
    explicit LinuxProcessMemory(pid_t pid) : pid_(pid) {}

    std::expected<std::int32_t, ReadError> readInt32(std::uint32_t address) override
    {
        Int32Bytes bytes{};
        iovec local{bytes.data(), bytes.size()};
        iovec remote{reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), bytes.size()};
        const ssize_t n = ::process_vm_readv(pid_, &local, 1, &remote, 1, 0);
        if (n < 0 && errno == EPERM)
            return std::unexpected(ReadError::Refused);
        if (n != static_cast<ssize_t>(bytes.size()))
            return std::unexpected(ReadError::Failed);
        return int32FromLittleEndian(bytes);
    }

private:
    pid_t pid_;
};

} // namespace

std::optional<std::vector<ProcessEntry>> LinuxProcessSource::listProcesses()
{
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return std::nullopt;
    std::vector<ProcessEntry> processes;
    while (const dirent* entry = ::readdir(proc)) {
        const std::string_view name = entry->d_name;
        ProcessId pid = 0;
        const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
        if (ec != std::errc() || end != name.data() + name.size() || pid <= 0)
            continue;
        const std::string dir = "/proc/" + std::string(name);
        auto status = statusOf(dir);
        // Skip processes that ended while the list was taken, and zombies, which no longer run.
        if (status.state == 0 || status.state == 'Z' || status.state == 'X')
            continue;
        processes.push_back({pid, exeNameOf(dir), std::move(status.commandName)});
    }
    ::closedir(proc);
    return processes;
}

std::unique_ptr<ProcessMemory> LinuxProcessSource::openForReading(ProcessId pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return nullptr;
    // Nothing to open on Linux; a process that is gone shows as a failed read (ESRCH).
    return std::make_unique<LinuxProcessMemory>(static_cast<pid_t>(pid));
}

} // namespace shopkeeper::capture
