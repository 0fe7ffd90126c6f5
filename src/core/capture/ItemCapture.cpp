#include "core/capture/ItemCapture.h"

#include "core/capture/GameProbe.h"

namespace shopkeeper::capture {

std::string CaptureResult::idText() const
{
    switch (outcome) {
    case Outcome::Captured:
        return std::to_string(itemId);
    case Outcome::ReadFailed:
        return std::string(kCaptureFailedText);
    case Outcome::GameNotRunning:
        break;
    }
    return {};
}

CaptureResult captureItemId(ProcessSource& processes)
{
    const ProcessId pid = findProcessId(processes, kGameExeName);
    if (pid == 0)
        return {CaptureResult::Outcome::GameNotRunning, kReadFailed};
    const CaptureResult failed{CaptureResult::Outcome::ReadFailed, kReadFailed};
    const auto memory = processes.openForReading(pid);
    if (!memory)
        return failed;
    const auto pointer = memory->readInt32(static_cast<std::uint32_t>(parseHexText(kPointerAddressHex)));
    // A failed first read stops here; read on with P = -1 it could only hit address 27.
    if (!pointer)
        return failed;
    const std::uint32_t address =
        static_cast<std::uint32_t>(*pointer) + static_cast<std::uint32_t>(parseHexText(kItemIdOffsetHex));
    const std::int32_t id = memory->readInt32(address).value_or(kReadFailed);
    if (id == kReadFailed)
        return failed;
    return {CaptureResult::Outcome::Captured, id};
}

std::optional<std::string> captureSwitchOnProblem(ProcessSource& processes, const KeyStateSource& keys)
{
    if (!keys.available())
        return std::string(kGameNotRunningMessage) + "\n" + keys.unavailableReason();
    if (!isProcessRunning(processes, kGameExeName))
        return std::string(kGameNotRunningMessage);
    return std::nullopt;
}

} // namespace shopkeeper::capture
