#pragma once

#include "core/capture/ProcessSource.h"

namespace shopkeeper::capture {

// Processes from /proc; memory through process_vm_readv, which only reads and needs the ptrace
// permission for the target (same user and kernel.yama.ptrace_scope 0, or CAP_SYS_PTRACE; root
// in most settings). A read without that permission (EPERM) is ReadError::Refused; an unmapped
// address (EFAULT), a process that has ended (ESRCH) or any other error is ReadError::Failed.
// Has no helper: shopkeeper-probe itself reads through this class.
class LinuxProcessSource : public ProcessSource
{
public:
    std::optional<std::vector<ProcessEntry>> listProcesses() final;
    std::unique_ptr<ProcessMemory> openForReading(ProcessId pid) final;
};

} // namespace shopkeeper::capture
