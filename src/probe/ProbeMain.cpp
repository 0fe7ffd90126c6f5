// shopkeeper-probe: the one part of the editor that may hold the right to read another user's
// (or a protected) process on Linux. Per run it finds the game client by its name, reads the
// pointer at 0x1AE45B4 and the item ID behind it from that one process, prints one line (see
// core/capture/ProbeLine.h) and ends. It takes nothing from its caller: arguments, environment
// and inherited descriptors are ignored, so whoever runs it can read nothing but those two words.
//
// It is meant to hold CAP_SYS_PTRACE as a file capability and nothing else. It refuses to run
// set-user-ID or set-group-ID, or with any other capability (also as root); before reading it
// keeps CAP_SYS_PTRACE as its one capability (effective and permitted), clears the inheritable
// and ambient sets and forbids itself to gain any more.
#include "core/capture/ItemCapture.h"
#include "core/capture/LinuxProcessSource.h"
#include "core/capture/ProbeLine.h"

#include <cstdint>
#include <linux/capability.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using namespace shopkeeper::capture;

constexpr std::uint64_t kPtraceBit = std::uint64_t{1} << CAP_SYS_PTRACE;

struct CapabilitySets
{
    std::uint64_t effective = 0;
    std::uint64_t permitted = 0;
};

std::optional<CapabilitySets> capabilities()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return std::nullopt;
    auto join = [](std::uint32_t low, std::uint32_t high) { return std::uint64_t{high} << 32 | low; };
    return CapabilitySets{join(data[0].effective, data[1].effective),
                          join(data[0].permitted, data[1].permitted)};
}

// Keeps CAP_SYS_PTRACE (when permitted) as the only capability, effective and permitted, with an
// empty inheritable and ambient set; no later exec could gain any.
bool dropAllButPtrace(const CapabilitySets& sets)
{
    const std::uint32_t keep = static_cast<std::uint32_t>(sets.permitted & kPtraceBit);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    data[0].effective = keep;
    data[0].permitted = keep;
    return ::syscall(SYS_capset, &header, data) == 0 &&
           ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
}

// Why the helper must not run with the rights it was started with; nullopt when it may.
std::optional<std::string_view> unsafeStart()
{
    uid_t ruid = 0, euid = 0, suid = 0;
    gid_t rgid = 0, egid = 0, sgid = 0;
    if (::getresuid(&ruid, &euid, &suid) != 0 || ::getresgid(&rgid, &egid, &sgid) != 0)
        return "cannot read its user and group ids";
    if (ruid != euid || ruid != suid || rgid != egid || rgid != sgid)
        return "runs set-user-ID or set-group-ID; grant only cap_sys_ptrace with setcap instead";
    const auto sets = capabilities();
    if (!sets)
        return "cannot read its capabilities";
    if (((sets->effective | sets->permitted) & ~kPtraceBit) != 0)
        return "holds capabilities beyond CAP_SYS_PTRACE (for example as root); it needs only that one";
    if (!dropAllButPtrace(*sets))
        return "cannot drop its other capabilities";
    return std::nullopt;
}

void print(const std::string& line)
{
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, line.data() + done, line.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace

int main()
{
    // Nothing inherited beyond the three standard streams stays open while the right is held.
    ::close_range(3, ~0U, 0);
    if (const auto why = unsafeStart()) {
        print(probeUnsafeLine(*why));
        return 2;
    }
    LinuxProcessSource processes;
    print(probeLineOf(captureItemId(processes)));
    return 0;
}
