#pragma once

#include "core/capture/CaptureResult.h"
#include "core/capture/KeyStateSource.h"
#include "core/capture/ProcessSource.h"

#include <optional>
#include <string>

// How the main window wires the capture (on the UI thread unless said otherwise):
//  - Once per run: backends = makeCaptureBackends(); a HotkeyTable over *backends.keys whose
//    timer callback starts a QTimer; the timer's timeout calls pollHotkeys().
//  - 选择框1 checked: when captureSwitchOnProblem() gives a text, uncheck 选择框1, show it in a
//    "提示" message box, removeHotkey(0) and disable ID框 and 选择框2; otherwise
//    addHotkey(onF12, kCaptureKey, 0, 0, 0, 0) and enable ID框 and 选择框2.
//  - 选择框1 unchecked: removeHotkey(0), disable ID框, uncheck and disable 选择框2.
//  - onF12, called by pollHotkeys(): runs captureItemId() on a worker and hands the result back
//    to the UI thread, which applies it by its outcome (CaptureResult.h).
namespace shopkeeper::capture {

// The F12 capture: finds the game process once and reads both words from that one process, the
// pointer P at 0x1AE45B4 and the item ID at P + 0x1C (modulo 2^32). A failed read, or an ID of
// -1, is ReadFailed. A read this process may not make is handed, whole, to the source's helper
// (ProcessSource::captureByHelper), which finds the game and reads both words itself; without
// a helper it is ReadRefused.
//
// Opens the game for reading only, and touches no UI, so the GUI may run it on a worker thread
// and hand the result to the UI thread.
CaptureResult captureItemId(ProcessSource& processes);

// The check when the user switches the capture on. nullopt when it can start (the game runs and
// the keyboard can be watched); otherwise the text of the "提示" message box: "游戏没有运行！",
// followed by a second line saying why F12 cannot be watched when that is the reason.
std::optional<std::string> captureSwitchOnProblem(ProcessSource& processes, const KeyStateSource& keys);

} // namespace shopkeeper::capture
