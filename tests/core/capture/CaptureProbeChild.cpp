// Stands in for the game client in the Linux probe tests:
//   CaptureProbeChild COMMAND-NAME POINTER-HEX ITEM-ID [nodump]
// Sets its command name (unless "-"), maps the page around 0x1AE45B4, stores the pointer there
// and, when the pointer lies in that page, the item ID at pointer + 0x1C. Writes "R" to stdout
// when ready and runs until stdin closes. "nodump" makes it refuse ptrace access to other users.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (std::strcmp(argv[1], "-") != 0 && prctl(PR_SET_NAME, argv[1]) != 0)
        return 3;
    if (argc > 4 && std::strcmp(argv[4], "nodump") == 0)
        prctl(PR_SET_DUMPABLE, 0);

    constexpr std::uintptr_t page = 0x1AE4000;
    constexpr std::size_t size = 0x1000;
    void* mapped = mmap(reinterpret_cast<void*>(page), size, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (mapped != reinterpret_cast<void*>(page)) {
        std::perror("mmap at 0x1AE4000");
        return 4;
    }
    const auto pointer = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 16));
    const auto itemId = static_cast<std::int32_t>(std::strtol(argv[3], nullptr, 10));
    std::memcpy(reinterpret_cast<void*>(page + 0x5B4), &pointer, 4);
    if (pointer >= page && pointer + 0x1C + 4 <= page + size)
        std::memcpy(reinterpret_cast<void*>(std::uintptr_t{pointer} + 0x1C), &itemId, 4);

    if (write(STDOUT_FILENO, "R", 1) != 1)
        return 5;
    char byte;
    while (read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return 0;
}
