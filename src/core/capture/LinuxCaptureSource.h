#pragma once

#include "core/capture/LinuxProcessSource.h"

#include <string>
#include <utility>

namespace shopkeeper::capture {

// The editor's process source on Linux. It reads the game itself when it may (same user with a
// permissive ptrace scope, or root); when its read is refused, it runs shopkeeper-probe, the
// small helper that alone may hold CAP_SYS_PTRACE, and takes the helper's one-line answer for
// the whole capture. The helper gets no argument and no environment: it finds the game and
// reads the fixed addresses by itself.
class LinuxCaptureSource final : public LinuxProcessSource
{
public:
    // helperPath: the helper program; empty for none.
    explicit LinuxCaptureSource(std::string helperPath) : helperPath_(std::move(helperPath)) {}

    // The helper's answer, naming the helper; a refused read (HelperMissing) when there is no
    // helper to run, nullopt when it cannot be started. A helper that says nothing within 5
    // seconds is killed, and the capture has failed.
    std::optional<CaptureResult> captureByHelper() override;

    const std::string& helperPath() const { return helperPath_; }

private:
    std::string helperPath_;
};

// shopkeeper-probe in the folder of the running program; empty when that folder is unknown.
std::string probeHelperBesideOwnProgram();

} // namespace shopkeeper::capture
