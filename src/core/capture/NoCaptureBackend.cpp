#include "core/capture/NoCaptureBackend.h"

namespace shopkeeper::capture {

std::string NoKeyState::unavailableReason() const
{
    return "此系统无法监视F12";
}

void NoKeyState::query(KeySnapshot& out)
{
    out.down.reset();
    out.pressed.reset();
}

} // namespace shopkeeper::capture
