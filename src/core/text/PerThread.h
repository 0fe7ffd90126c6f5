#pragma once

// One object of type T for each thread that asks, made on first use and destroyed when the thread
// ends: a thread_local, except on Windows. There MinGW-w64 runs the destructor of a thread_local
// after it has freed the variable's storage (emulated TLS), which corrupts the heap at the end of
// every thread that used one; the object lives on the heap instead, in a fiber-local slot whose
// callback destroys it as the thread ends. Tag tells apart the places that use the same T.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace shopkeeper::text {

template <typename T, typename Tag> T& perThread()
{
#ifdef _WIN32
    struct Slot
    {
        static void WINAPI destroy(void* object) { delete static_cast<T*>(object); }
    };
    static const DWORD slot = FlsAlloc(&Slot::destroy);
    auto* object = static_cast<T*>(FlsGetValue(slot));
    if (!object) {
        object = new T();
        FlsSetValue(slot, object);
    }
    return *object;
#else
    thread_local T object;
    return object;
#endif
}

} // namespace shopkeeper::text
