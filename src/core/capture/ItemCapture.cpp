#include "core/capture/ItemCapture.h"

#include "core/capture/GameProbe.h"

namespace shopkeeper::capture {

namespace {

using Outcome = CaptureResult::Outcome;

CaptureResult failedBy(ReadError error)
{
    return {error == ReadError::Refused ? Outcome::ReadRefused : Outcome::ReadFailed, std::nullopt};
}

// P, then the ID behind it, both from the one process pid.
CaptureResult readItemId(ProcessSource& processes, ProcessId pid)
{
    const auto memory = processes.openForReading(pid);
    if (!memory)
        return {Outcome::ReadFailed, std::nullopt};
    const auto pointer = memory->readInt32(static_cast<std::uint32_t>(parseHexText(kPointerAddressHex)));
    // A failed first read stops here; read on with P = -1 it could only hit address 27.
    if (!pointer)
        return failedBy(pointer.error());
    const std::uint32_t address =
        static_cast<std::uint32_t>(*pointer) + static_cast<std::uint32_t>(parseHexText(kItemIdOffsetHex));
    const auto id = memory->readInt32(address);
    if (!id)
        return failedBy(id.error());
    if (*id == kNoItemId)
        return {Outcome::ReadFailed, std::nullopt};
    return {Outcome::Captured, *id};
}

} // namespace

std::string CaptureResult::idText() const
{
    switch (outcome) {
    case Outcome::Captured:
        return itemId ? std::to_string(*itemId) : std::string(kCaptureFailedText);
    case Outcome::ReadFailed:
    case Outcome::ReadRefused:
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
        return {Outcome::GameNotRunning, std::nullopt};
    const auto direct = readItemId(processes, pid);
    if (direct.outcome != Outcome::ReadRefused)
        return direct;
    return processes.captureByHelper().value_or(direct);
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
