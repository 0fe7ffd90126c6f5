#pragma once

#include "core/capture/KeyStateSource.h"

#include <memory>

namespace shopkeeper::capture {

// Keyboard state of an X11 display, whatever window has the focus. "Down now" comes from
// XQueryKeymap; "pressed since the last query" from XInput2 raw key presses on the root window,
// so a press and release between two queries is seen too (and counts as down for that one
// query). Where the server has no XInput 2.1, only XQueryKeymap is used: "pressed" is then a key
// that is down now and was not at the previous query, and a tap between two queries is missed.
// Virtual-key codes map to X key codes through the display's keyboard map: F1-F24, letters,
// digits, the common editing keys, Shift/Ctrl/Alt (either side) and the Windows keys (Super).
//
// When the display cannot be opened (no DISPLAY, e.g. a pure Wayland session) the source is
// unavailable and says so in unavailableReason().
class X11KeyState final : public KeyStateSource
{
public:
    // displayName as for XOpenDisplay; nullptr for $DISPLAY.
    explicit X11KeyState(const char* displayName = nullptr);
    ~X11KeyState() override;
    X11KeyState(const X11KeyState&) = delete;
    X11KeyState& operator=(const X11KeyState&) = delete;

    bool available() const override;
    // True when raw key events are watched; false on the XQueryKeymap fallback.
    bool seesTaps() const;
    std::string unavailableReason() const override;
    void query(KeySnapshot& out) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace shopkeeper::capture
