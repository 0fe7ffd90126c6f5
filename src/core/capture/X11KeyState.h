#pragma once

#include "core/capture/KeyStateSource.h"

#include <memory>

namespace shopkeeper::capture {

// Keyboard state of an X11 display through XQueryKeymap, which sees keys whatever window has
// the focus. Virtual-key codes map to X key codes through the display's keyboard map: F1-F24,
// letters, digits, the common editing keys, Shift/Ctrl/Alt (either side) and the Windows keys
// (Super). "Pressed since the last query" is a key that is down now and was not at the previous
// query; a press and release between two queries is not seen.
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
    std::string unavailableReason() const override;
    void query(KeySnapshot& out) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace shopkeeper::capture
