#include "core/capture/WindowsProcessSource.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h.
#include <tlhelp32.h>

namespace shopkeeper::capture {

namespace {

std::string utf8Of(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back(); // the terminating zero
    return bytes;
}

class WindowsProcessMemory final : public ProcessMemory
{
public:
    explicit WindowsProcessMemory(HANDLE process) : process_(process) {}
    ~WindowsProcessMemory() override { CloseHandle(process_); }
    WindowsProcessMemory(const WindowsProcessMemory&) = delete;
    WindowsProcessMemory& operator=(const WindowsProcessMemory&) = delete;

    std::expected<std::int32_t, ReadError> readInt32(std::uint32_t address) override
    {
        Int32Bytes bytes{};
        SIZE_T read = 0;
        const auto* remote = reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address));
        if (!ReadProcessMemory(process_, remote, bytes.data(), bytes.size(), &read) || read != bytes.size())
            return std::unexpected(ReadError::Failed);
        return int32FromLittleEndian(bytes);
    }

private:
    HANDLE process_;
};

} // namespace

std::optional<std::vector<ProcessEntry>> WindowsProcessSource::listProcesses()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<ProcessEntry> processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        processes.push_back({ProcessId{entry.th32ProcessID}, utf8Of(entry.szExeFile), {}});
    CloseHandle(snapshot);
    return processes;
}

std::unique_ptr<ProcessMemory> WindowsProcessSource::openForReading(ProcessId pid)
{
    if (pid <= 0 || pid > ProcessId{0xFFFFFFFF})
        return nullptr;
    const HANDLE process =
        OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr)
        return nullptr;
    return std::make_unique<WindowsProcessMemory>(process);
}

} // namespace shopkeeper::capture
