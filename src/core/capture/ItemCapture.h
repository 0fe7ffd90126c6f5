#pragma once

#include "core/capture/CaptureResult.h"
#include "core/capture/KeyStateSource.h"
#include "core/capture/ProcessSource.h"

#include <optional>
#include <string>

// Switching the capture on asks captureSwitchOnProblem() first; while it is on, a HotkeyTable
// polls the capture key, and each press runs captureItemId() off the caller's thread (it walks
// the process list and reads another process, which can block).
namespace shopkeeper::capture {

// The F12 capture: finds the game process once and reads both words from that one process, the
// pointer P at 0x1AE45B4 and the item ID at P + 0x1C (modulo 2^32). A failed read, or an ID of
// -1, is ReadFailed (with the reason NothingUnderPointer for a P of 0 or an ID of -1). A read
// this process may not make is handed, whole, to the source's helper
// (ProcessSource::captureByHelper), which finds the game and reads both words itself; without
// a helper it is ReadRefused with the reason NoRight.
//
// Opens the game for reading only, and touches no UI, so the GUI may run it on a worker thread
// and hand the result to the UI thread.
CaptureResult captureItemId(ProcessSource& processes);

// The check when the user switches the capture on. nullopt when it can start (the game runs and
// the keyboard can be watched); otherwise what to tell the user: "游戏没有运行！", followed by
// a second line saying why F12 cannot be watched when that is the reason.
std::optional<std::string> captureSwitchOnProblem(ProcessSource& processes, const KeyStateSource& keys);

} // namespace shopkeeper::capture
