#pragma once

#include "core/capture/CaptureConstants.h"
#include "core/capture/CaptureResult.h"

#include <array>
#include <cstdint>
#include <expected>
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

// Why a read of another process's memory gave nothing.
enum class ReadError
{
    Refused, // this process may not read that one (Linux: EPERM from the ptrace check)
    Failed,  // unmapped address, process gone, or any other failure
};

// Four bytes of the game's memory as the int32 they hold: little-endian, as the game's x86
// wrote them, whatever the byte order of this machine. Every backend's readInt32 decodes so.
using Int32Bytes = std::array<unsigned char, 4>;
constexpr std::int32_t int32FromLittleEndian(const Int32Bytes& bytes)
{
    const std::uint32_t value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    return static_cast<std::int32_t>(value);
}

// Another process opened for reading its memory; closed when destroyed. Reading through one
// object always reads the same process, even when the process list has changed meanwhile.
class ProcessMemory
{
public:
    virtual ~ProcessMemory() = default;
    // The 4 bytes at address as a little-endian int32, or why they could not be read.
    virtual std::expected<std::int32_t, ReadError> readInt32(std::uint32_t address) = 0;
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

    // A whole capture made by a separate reader that holds the right to read the game, for when
    // this process's own read was refused: it finds the game itself and reads both words from
    // that one process. nullopt when this source has no such reader; a source that has one but
    // cannot run it says why (CaptureResult::Reason).
    virtual std::optional<CaptureResult> captureByHelper() { return std::nullopt; }
};

} // namespace shopkeeper::capture
