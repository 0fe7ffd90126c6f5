#pragma once

#include "core/capture/KeyStateSource.h"

namespace shopkeeper::capture {

// Keyboard state through GetAsyncKeyState, which sees keys whatever window has the focus: bit 15
// is "down now", bit 0 "pressed since the previous call".
class WindowsKeyState final : public KeyStateSource
{
public:
    bool available() const override { return true; }
    std::string unavailableReason() const override { return {}; }
    void query(KeySnapshot& out) override;
};

} // namespace shopkeeper::capture
