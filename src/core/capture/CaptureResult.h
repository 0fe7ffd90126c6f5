#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace shopkeeper::capture {

// What one F12 capture found.
struct CaptureResult
{
    enum class Outcome
    {
        GameNotRunning, // the capture ends, with nothing to tell
        ReadFailed,     // no ID: idText() is "获取失败", and nothing is copied or filled in
        ReadRefused,    // the game may not be read by this process: no ID, as ReadFailed
        Captured,       // the ID, to copy and, when asked, to put into the cursor cell
    };

    // Why a capture gave no ID, where that is known; problemText() tells the user what to do.
    enum class Reason
    {
        Unknown,
        NothingUnderPointer, // the pointer P is 0 or the ID is -1: no item under the mouse
        NoRight,             // this process may not read the game, and no helper is asked
        HelperMissing,       // this process may not read the game, and the helper is not there
        HelperLacksRight,    // the helper may not read the game either: it lacks CAP_SYS_PTRACE
        HelperUnsafe,        // the helper refused to run: set-user-ID, or rights beyond that one
    };

    CaptureResult(Outcome result = Outcome::GameNotRunning, std::optional<std::int32_t> id = std::nullopt,
                  Reason why = Reason::Unknown, std::string helper = {})
        : outcome(result), itemId(id), reason(why), helperPath(std::move(helper))
    {
    }

    Outcome outcome = Outcome::GameNotRunning;
    // The item ID read; only with Captured.
    std::optional<std::int32_t> itemId;
    Reason reason = Reason::Unknown;
    // The helper the reason is about (shopkeeper-probe), for the command that mends it.
    std::string helperPath;

    // The result as text: the signed decimal ID, "获取失败", or "" when the game is gone.
    std::string idText() const;
    // Why no ID came and what to do about it, one or two sentences; "" after a capture and when
    // the reason is not known.
    std::string problemText() const;
};

} // namespace shopkeeper::capture
