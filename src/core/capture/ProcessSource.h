#pragma once

#include "core/capture/CaptureConstants.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace shopkeeper::capture {

// One running process.
struct ProcessEntry
{
    ProcessId pid = 0;
    // The executable's file name without directory (Windows: from the process list; Linux: the
    // last component of the first command-line word, after '/' or '\', so a Wine program's
    // "C:\Games\KVX.exe" gives "KVX.exe").
    std::string exeName;
    // Linux only: the command name in /proc/PID/comm, which Wine sets to the Windows program's
    // name. Empty elsewhere.
    std::string commandName;
};

// Another process opened for reading its memory; closed when destroyed. Reading through one
// object always reads the same process, even when the process list has changed meanwhile.
class ProcessMemory
{
public:
    virtual ~ProcessMemory() = default;
    // The 4 bytes at address as a little-endian int32; nullopt when the read fails or is refused.
    virtual std::optional<std::int32_t> readInt32(std::uint32_t address) = 0;
};

// The processes of this machine, read-only. Implementations keep no state between calls, so
// one object may be used from any thread, also from several at once.
class ProcessSource
{
public:
    virtual ~ProcessSource() = default;

    // The running processes; nullopt when the list cannot be taken.
    virtual std::optional<std::vector<ProcessEntry>> listProcesses() = 0;

    // Opens a process for reading memory only; nullptr when it cannot be opened.
    virtual std::unique_ptr<ProcessMemory> openForReading(ProcessId pid) = 0;

    // The editor's own process id.
    virtual ProcessId ownProcessId() const = 0;
};

} // namespace shopkeeper::capture
