#pragma once

// Real child processes for the tests that need them: permissions seen by an unprivileged user,
// a second saver holding the lock, a writer killed in the middle of its work. POSIX only.
#include <functional>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace shopkeeper::test {

inline constexpr uid_t kNobody = 65534;
inline constexpr int kCannotDropPrivileges = 77;

// Runs body in a forked child and returns its exit code (-1 when it did not exit normally).
// With dropPrivileges and the test running as root, the child first becomes the user nobody,
// so that permission bits stop its reads as they would stop any user's.
inline int runInChild(const std::function<int()>& body, bool dropPrivileges = false)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (dropPrivileges && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                ::setresuid(kNobody, kNobody, kNobody) != 0)
                ::_exit(kCannotDropPrivileges);
        }
        ::_exit(body());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Whether this test can see permissions work: as a normal user, or as root able to become
// nobody. The reason is what a skipped test prints.
inline std::optional<std::string> permissionsCannotBeTested()
{
    if (::geteuid() != 0)
        return std::nullopt;
    if (runInChild([] { return 0; }, true) == kCannotDropPrivileges)
        return "running as root and cannot switch to the user nobody (65534): permission bits would not stop "
               "a read";
    return std::nullopt;
}

} // namespace shopkeeper::test
