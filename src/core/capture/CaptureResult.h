#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace shopkeeper::capture {

// What one F12 capture found.
struct CaptureResult
{
    enum class Outcome
    {
        GameNotRunning, // switch the capture off, without a message
        ReadFailed,     // show "获取失败"; leave the clipboard and the grids alone
        ReadRefused,    // the game may not be read by this process: shown like ReadFailed
        Captured,       // show idText(), copy it to the clipboard, fill the grid when asked
    };

    Outcome outcome = Outcome::GameNotRunning;
    // The item ID read; only with Captured.
    std::optional<std::int32_t> itemId;

    // The text for the ID box: the signed decimal ID, "获取失败", or "" when the game is gone.
    std::string idText() const;
};

} // namespace shopkeeper::capture
