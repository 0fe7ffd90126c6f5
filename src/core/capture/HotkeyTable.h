#pragma once

#include "core/capture/CaptureConstants.h"
#include "core/capture/KeyStateSource.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace shopkeeper::capture {

// Runs when a hot key fires; receives the hot key's id.
using HotkeyHandler = std::function<void(std::int32_t id)>;

// One hot key. Records are never removed: a removed hot key keeps its slot with id 0.
struct HotkeyRecord
{
    enum State : std::uint8_t
    {
        Idle = 0,
        SeenDown = 1,
        ReleasedAfterDown = 2, // release mode only
        Fired = 88,            // waits for the key to go up
    };

    std::int32_t id = 0; // 0 when inactive, else kHotkeyIdBase + slot
    HotkeyHandler handler;
    std::int32_t keyCode = 0; // |keyCode| & 0xFF is the key; negative fires on release
    std::int32_t modifiers = 0;
    std::int32_t secondKey = 0;
    std::uint8_t state = Idle;
    std::int32_t mode = 0;
};

// The polled list of global hot keys.
//
// Use from the GUI: construct it once for the whole run over the platform's KeyStateSource and
// a startTimer callback, e.g. [&](int ms) { pollTimer.start(ms); } with a QTimer whose timeout
// calls pollHotkeys(). The table asks for the timer once, when its first record is made, and
// never again; the timer is never stopped.
//
// Handlers always run on the thread that calls pollHotkeys(), for either mode. Mode 0 means
// "the handler's work belongs off the polling thread": a mode-0 handler must return at once and
// start that work itself (for the capture, a worker that reads the game and hands the result
// back to the UI thread, which alone touches widgets and the clipboard). The table starts no
// threads, so no handler can reach a widget from a thread the GUI did not choose.
class HotkeyTable
{
public:
    using TimerStarter = std::function<void(std::int32_t periodMs)>;

    explicit HotkeyTable(KeyStateSource& keys, TimerStarter startTimer = {});

    // Registers a hot key, or gives an existing record with the same keyCode, modifiers and
    // secondKey the new handler and mode, reviving it (with its old id) when it was removed.
    // Returns the id, or 0 when |keyCode| & 0xFF is 0. The first record ever made asks for the
    // timer with periodMs (kDefaultPollPeriodMs when 0 or less); later calls ignore periodMs.
    std::int32_t addHotkey(HotkeyHandler handler, std::int32_t keyCode, std::int32_t modifiers = 0,
                           std::int32_t secondKey = 0, std::int32_t periodMs = 0, std::int32_t mode = 0);

    // Deactivates the record with this id (false when none has it); id 0 deactivates all.
    bool removeHotkey(std::int32_t id);

    // One timer tick: queries all keys once, updates every active record and fires handlers.
    void pollHotkeys();

    // Whether the timer has been asked for, and its period (0 before).
    bool timerStarted() const { return timerPeriodMs_ > 0; }
    std::int32_t timerPeriodMs() const { return timerPeriodMs_; }

    const std::vector<HotkeyRecord>& records() const { return records_; }

private:
    KeyStateSource& keys_;
    TimerStarter startTimer_;
    std::int32_t timerPeriodMs_ = 0;
    std::vector<HotkeyRecord> records_;
    KeySnapshot snapshot_;
};

} // namespace shopkeeper::capture
