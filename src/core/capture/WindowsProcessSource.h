#pragma once

#include "core/capture/ProcessSource.h"

namespace shopkeeper::capture {

// Processes from a Toolhelp32 snapshot; memory through ReadProcessMemory on a handle opened with
// PROCESS_VM_READ | PROCESS_QUERY_LIMITED_INFORMATION only: the editor never writes to or
// controls the game. The handle is held for the life of the ProcessMemory, so both reads of a
// capture reach the same process even if another with a reused id appears.
class WindowsProcessSource final : public ProcessSource
{
public:
    std::optional<std::vector<ProcessEntry>> listProcesses() override;
    std::unique_ptr<ProcessMemory> openForReading(ProcessId pid) override;
};

} // namespace shopkeeper::capture
