#include "core/capture/ProbeLine.h"

#include "core/capture/CaptureConstants.h"

#include <charconv>

namespace shopkeeper::capture {

namespace {

using Outcome = CaptureResult::Outcome;
using Reason = CaptureResult::Reason;

constexpr std::string_view kCaptured = "captured ";
constexpr std::string_view kNotRunning = "not-running";
constexpr std::string_view kReadFailed = "read-failed";
constexpr std::string_view kNoItem = "no-item";
constexpr std::string_view kReadRefused = "read-refused";
constexpr std::string_view kUnsafe = "unsafe ";

} // namespace

std::string probeLineOf(const CaptureResult& result)
{
    switch (result.outcome) {
    case Outcome::Captured:
        if (result.itemId)
            return std::string(kCaptured) + std::to_string(*result.itemId) + "\n";
        break;
    case Outcome::GameNotRunning:
        return std::string(kNotRunning) + "\n";
    case Outcome::ReadRefused:
        return std::string(kReadRefused) + "\n";
    case Outcome::ReadFailed:
        if (result.reason == Reason::NothingUnderPointer)
            return std::string(kNoItem) + "\n";
        break;
    }
    return std::string(kReadFailed) + "\n";
}

std::string probeUnsafeLine(std::string_view reason)
{
    return std::string(kUnsafe) + std::string(reason) + "\n";
}

CaptureResult captureResultOfProbeLine(std::string_view output)
{
    const std::string_view line = output.substr(0, output.find('\n'));
    if (line == kNotRunning)
        return {Outcome::GameNotRunning, std::nullopt};
    // The helper's own read was refused: it lacks the one right it needs.
    if (line == kReadRefused)
        return {Outcome::ReadRefused, std::nullopt, Reason::HelperLacksRight};
    if (line == kNoItem)
        return {Outcome::ReadFailed, std::nullopt, Reason::NothingUnderPointer};
    if (line.starts_with(kUnsafe))
        return {Outcome::ReadFailed, std::nullopt, Reason::HelperUnsafe};
    if (line.starts_with(kCaptured)) {
        const std::string_view digits = line.substr(kCaptured.size());
        std::int32_t id = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
        if (ec == std::errc() && end == digits.data() + digits.size() && !digits.empty() && id != kNoItemId)
            return {Outcome::Captured, id};
    }
    return {Outcome::ReadFailed, std::nullopt};
}

} // namespace shopkeeper::capture
