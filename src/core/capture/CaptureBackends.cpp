#include "core/capture/CaptureBackends.h"

#if defined(_WIN32)
#include "core/capture/WindowsKeyState.h"
#include "core/capture/WindowsProcessSource.h"
#elif defined(__linux__)
#include "core/capture/LinuxCaptureSource.h"
#include "core/capture/X11KeyState.h"
#else
#include "core/capture/NoCaptureBackend.h"
#endif

namespace shopkeeper::capture {

CaptureBackends makeCaptureBackends()
{
#if defined(_WIN32)
    return {std::make_unique<WindowsProcessSource>(), std::make_unique<WindowsKeyState>()};
#elif defined(__linux__)
    return {std::make_unique<LinuxCaptureSource>(probeHelperBesideOwnProgram()),
            std::make_unique<X11KeyState>()};
#else
    return {std::make_unique<NoProcessSource>(), std::make_unique<NoKeyState>()};
#endif
}

} // namespace shopkeeper::capture
