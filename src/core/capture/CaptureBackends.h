#pragma once

#include "core/capture/KeyStateSource.h"
#include "core/capture/ProcessSource.h"

#include <memory>

namespace shopkeeper::capture {

// The platform's process list and keyboard, chosen when the editor is built: Toolhelp32 and
// GetAsyncKeyState on Windows, /proc and X11 on Linux (with shopkeeper-probe beside the program
// for reads the editor may not make itself), nothing elsewhere (the game never runs).
struct CaptureBackends
{
    std::unique_ptr<ProcessSource> processes;
    std::unique_ptr<KeyStateSource> keys;
};

// Opens the keyboard source (on Linux the X11 display named by $DISPLAY); when that fails,
// keys->available() is false and keys->unavailableReason() says why.
CaptureBackends makeCaptureBackends();

} // namespace shopkeeper::capture
