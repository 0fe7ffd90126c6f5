#include "core/capture/LinuxCaptureSource.h"

#include "core/capture/ProbeLine.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace shopkeeper::capture {

namespace {

constexpr int kHelperTimeoutMs = 5000;
// Far more than the longest line the helper prints.
constexpr std::size_t kMaxOutput = 512;

// The helper's standard output, up to kMaxOutput bytes, until it closes or the time is up.
std::string readOutput(int fd, bool& timedOut)
{
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHelperTimeoutMs);
    char buffer[128];
    while (output.size() < kMaxOutput) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0) {
            timedOut = polled == 0;
            break;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        output.append(buffer, static_cast<std::size_t>(n));
    }
    return output;
}

} // namespace

std::optional<CaptureResult> LinuxCaptureSource::captureByHelper()
{
    if (helperPath_.empty() || ::access(helperPath_.c_str(), X_OK) != 0)
        return CaptureResult{CaptureResult::Outcome::ReadRefused, std::nullopt,
                             CaptureResult::Reason::HelperMissing, helperPath_};
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // Only the program's name: the helper takes nothing from its caller.
    std::string name(kProbeHelperName);
    char* argv[] = {name.data(), nullptr};
    char* envp[] = {nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, helperPath_.c_str(), &actions, nullptr, argv, envp);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return std::nullopt;
    }
    bool timedOut = false;
    const std::string output = readOutput(out[0], timedOut);
    ::close(out[0]);
    if (timedOut)
        ::kill(pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (timedOut)
        return CaptureResult{CaptureResult::Outcome::ReadFailed, std::nullopt};
    auto result = captureResultOfProbeLine(output);
    result.helperPath = helperPath_;
    return result;
}

std::string probeHelperBesideOwnProgram()
{
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return {};
    const std::string program(self, static_cast<std::size_t>(n));
    const auto slash = program.rfind('/');
    if (slash == std::string::npos)
        return {};
    return program.substr(0, slash + 1) + std::string(kProbeHelperName);
}

} // namespace shopkeeper::capture
