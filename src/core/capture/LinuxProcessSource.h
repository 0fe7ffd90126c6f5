#pragma once

#include "core/capture/ProcessSource.h"

namespace shopkeeper::capture {

// Processes from /proc; memory through process_vm_readv, which only reads and needs the ptrace
// permission for the target (same user and kernel.yama.ptrace_scope 0, or CAP_SYS_PTRACE; root
// in most settings). A refused read (EPERM), an unmapped address (EFAULT) or a process that has
// ended (ESRCH) is a failed read.
class LinuxProcessSource final : public ProcessSource
{
public:
    std::optional<std::vector<ProcessEntry>> listProcesses() override;
    std::unique_ptr<ProcessMemory> openForReading(ProcessId pid) override;
    ProcessId ownProcessId() const override;
};

} // namespace shopkeeper::capture
