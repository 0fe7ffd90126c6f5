#include "core/capture/WindowsKeyState.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace shopkeeper::capture {

void WindowsKeyState::query(KeySnapshot& out)
{
    out.down.reset();
    out.pressed.reset();
    for (int vk = 1; vk < 256; ++vk) {
        const auto state = static_cast<unsigned short>(GetAsyncKeyState(vk));
        const auto index = static_cast<std::size_t>(vk);
        out.down.set(index, (state & 0x8000u) != 0);
        out.pressed.set(index, (state & 0x0001u) != 0);
    }
}

} // namespace shopkeeper::capture
