#pragma once

#include "core/capture/KeyStateSource.h"
#include "core/capture/ProcessSource.h"

namespace shopkeeper::capture {

// For platforms without the needed services: no process is ever seen, so the game never runs.
class NoProcessSource final : public ProcessSource
{
public:
    std::optional<std::vector<ProcessEntry>> listProcesses() override { return std::vector<ProcessEntry>{}; }
    std::unique_ptr<ProcessMemory> openForReading(ProcessId) override { return nullptr; }
};

// For platforms where no global key state can be read.
class NoKeyState final : public KeyStateSource
{
public:
    bool available() const override { return false; }
    std::string unavailableReason() const override;
    void query(KeySnapshot& out) override;
};

} // namespace shopkeeper::capture
