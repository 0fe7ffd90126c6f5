#include "core/capture/X11KeyState.h"

#include "core/capture/CaptureConstants.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>
#include <array>
#include <utility>
#include <vector>

namespace shopkeeper::capture {

namespace {

struct VkKeysym
{
    std::int32_t vk;
    KeySym keysym;
};

// The virtual keys the X keyboard can stand for. Generic keys (Shift, Ctrl, Alt) are either side.
std::vector<VkKeysym> vkKeysyms()
{
    std::vector<VkKeysym> table = {
        {0x08, XK_BackSpace},
        {0x09, XK_Tab},
        {0x0D, XK_Return},
        {0x0D, XK_KP_Enter},
        {0x13, XK_Pause},
        {0x14, XK_Caps_Lock},
        {0x1B, XK_Escape},
        {0x20, XK_space},
        {0x21, XK_Prior},
        {0x22, XK_Next},
        {0x23, XK_End},
        {0x24, XK_Home},
        {0x25, XK_Left},
        {0x26, XK_Up},
        {0x27, XK_Right},
        {0x28, XK_Down},
        {0x2C, XK_Print},
        {0x2D, XK_Insert},
        {0x2E, XK_Delete},
        {0x90, XK_Num_Lock},
        {0x91, XK_Scroll_Lock},
        {kVkShift, XK_Shift_L},
        {kVkShift, XK_Shift_R},
        {0xA0, XK_Shift_L},
        {0xA1, XK_Shift_R},
        {kVkControl, XK_Control_L},
        {kVkControl, XK_Control_R},
        {0xA2, XK_Control_L},
        {0xA3, XK_Control_R},
        {kVkAlt, XK_Alt_L},
        {kVkAlt, XK_Alt_R},
        {0xA4, XK_Alt_L},
        {0xA5, XK_Alt_R},
        {kVkLeftWin, XK_Super_L},
        {0x5C, XK_Super_R},
        {0x5D, XK_Menu},
    };
    for (std::int32_t i = 0; i < 10; ++i) {
        table.push_back({0x30 + i, static_cast<KeySym>(XK_0 + i)});
        table.push_back({0x60 + i, static_cast<KeySym>(XK_KP_0 + i)});
    }
    for (std::int32_t i = 0; i < 26; ++i)
        table.push_back({0x41 + i, static_cast<KeySym>(XK_a + i)});
    for (std::int32_t i = 0; i < 24; ++i)
        table.push_back({0x70 + i, static_cast<KeySym>(XK_F1 + i)});
    return table;
}

bool bitSet(const char (&keymap)[32], unsigned keycode)
{
    return (static_cast<unsigned char>(keymap[keycode / 8]) >> (keycode % 8)) & 1u;
}

} // namespace

struct X11KeyState::Impl
{
    Display* display = nullptr;
    // (virtual key, X key code) pairs; a virtual key may have several key codes.
    std::vector<std::pair<std::int32_t, unsigned>> keys;
    std::bitset<256> previousDown;
    // The XInput2 major opcode when raw key events are selected on the root window, else -1.
    int xiOpcode = -1;

    // Asks for the raw key presses of every master keyboard, delivered whatever window has the
    // focus and even while another client grabs the keyboard (XInput 2.1 and later).
    void selectRawKeyEvents()
    {
        // XInput2 events travel as generic events; a server without that extension (it can be
        // switched off) still answers the XInput version query but never delivers them.
        int opcode = 0, firstEvent = 0, firstError = 0;
        if (!XQueryExtension(display, "Generic Event Extension", &opcode, &firstEvent, &firstError) ||
            !XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError))
            return;
        int major = 2, minor = 2;
        if (XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1))
            return;
        unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(mask, XI_RawKeyPress);
        XIEventMask events{XIAllMasterDevices, static_cast<int>(sizeof mask), mask};
        if (XISelectEvents(display, DefaultRootWindow(display), &events, 1) != Success)
            return;
        XSync(display, False);
        xiOpcode = opcode;
    }

    // The X key codes pressed since the last call, from the raw events queued on the connection.
    std::bitset<256> drainRawPresses()
    {
        std::bitset<256> codes;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            XGenericEventCookie& cookie = event.xcookie;
            if (cookie.type != GenericEvent || cookie.extension != xiOpcode ||
                !XGetEventData(display, &cookie))
                continue;
            if (cookie.evtype == XI_RawKeyPress) {
                const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
                if (raw->detail > 0 && raw->detail < 256)
                    codes.set(static_cast<std::size_t>(raw->detail));
            }
            XFreeEventData(display, &cookie);
        }
        return codes;
    }
};

X11KeyState::X11KeyState(const char* displayName) : impl_(std::make_unique<Impl>())
{
    impl_->display = XOpenDisplay(displayName);
    if (impl_->display == nullptr)
        return;
    for (const auto& [vk, keysym] : vkKeysyms()) {
        const KeyCode code = XKeysymToKeycode(impl_->display, keysym);
        if (code != 0)
            impl_->keys.emplace_back(vk, unsigned{code});
    }
    impl_->selectRawKeyEvents();
}

X11KeyState::~X11KeyState()
{
    if (impl_->display != nullptr)
        XCloseDisplay(impl_->display);
}

bool X11KeyState::available() const
{
    return impl_->display != nullptr;
}

bool X11KeyState::seesTaps() const
{
    return impl_->xiOpcode >= 0;
}

std::string X11KeyState::unavailableReason() const
{
    return available() ? std::string() : std::string(kNoX11DisplayReason);
}

void X11KeyState::query(KeySnapshot& out)
{
    out.down.reset();
    out.pressed.reset();
    if (impl_->display == nullptr)
        return;
    // The key map request is a round trip: every raw event the server sent before answering it is
    // in the queue afterwards, so a press that went up again before this query is still seen.
    char keymap[32] = {};
    XQueryKeymap(impl_->display, keymap);
    std::bitset<256> rawPresses;
    if (impl_->xiOpcode >= 0)
        rawPresses = impl_->drainRawPresses();
    for (const auto& [vk, code] : impl_->keys) {
        if (bitSet(keymap, code))
            out.down.set(static_cast<std::size_t>(vk));
        if (rawPresses.test(code))
            out.pressed.set(static_cast<std::size_t>(vk));
    }
    out.pressed |= out.down & ~impl_->previousDown;
    impl_->previousDown = out.down;
    // A key that went down and up again between two queries counts as down for this one query,
    // so a tap shorter than the poll period fires a hot key once, with the modifiers that were
    // tapped along with it.
    out.down |= out.pressed;
}

} // namespace shopkeeper::capture
