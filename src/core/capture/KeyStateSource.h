#pragma once

#include <bitset>
#include <cstdint>
#include <string>

namespace shopkeeper::capture {

// The state of every virtual key 1 to 255 at one query. Index 0 is never set.
struct KeySnapshot
{
    std::bitset<256> down;    // the key is down now
    std::bitset<256> pressed; // the key went down since the previous query

    bool isDown(std::int32_t vk) const
    {
        return vk > 0 && vk < 256 && down.test(static_cast<std::size_t>(vk));
    }
    bool wasPressed(std::int32_t vk) const
    {
        return vk > 0 && vk < 256 && pressed.test(static_cast<std::size_t>(vk));
    }
};

// The global keyboard state, whatever window has the focus. Used from the polling thread only.
class KeyStateSource
{
public:
    virtual ~KeyStateSource() = default;

    // False when the keyboard cannot be watched at all (e.g. no X11 display); every query then
    // reports all keys up.
    virtual bool available() const = 0;
    // Why the keyboard cannot be watched, for a second line under a message; empty when available.
    virtual std::string unavailableReason() const = 0;

    // Fills out with the state of every key 1 to 255 and remembers it for the next "pressed since".
    virtual void query(KeySnapshot& out) = 0;
};

} // namespace shopkeeper::capture
