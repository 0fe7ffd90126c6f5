// A stand-in game client for trying the editor's F12 capture by hand or from a script on Windows
// (or under Wine): built as KVX.exe, it holds ITEM_ID where the game keeps the ID of the item under
// the mouse (P at 0x1AE45B4, the ID at P + 0x1C) until it is ended.
//   KVX.exe ITEM_ID
#include <windows.h>
// After windows.h.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: KVX.exe ITEM_ID\n");
        return 2;
    }
    constexpr std::uintptr_t kPage = 0x1AE4000;
    constexpr std::uintptr_t kPointerAddress = 0x1AE45B4;
    constexpr std::uint32_t kPointer = 0x1AE4800;
    void* region =
        VirtualAlloc(reinterpret_cast<void*>(kPage), 0x1000, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (region == nullptr || reinterpret_cast<std::uintptr_t>(region) > kPage) {
        std::fprintf(stderr, "KVX.exe: the page at 0x1AE4000 is not free\n");
        return 1;
    }
    const auto itemId = static_cast<std::int32_t>(std::strtol(argv[1], nullptr, 10));
    std::memcpy(reinterpret_cast<void*>(kPointerAddress), &kPointer, 4);
    std::memcpy(reinterpret_cast<void*>(std::uintptr_t{kPointer} + 0x1C), &itemId, 4);
    std::printf("KVX.exe holds item %d\n", static_cast<int>(itemId));
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
