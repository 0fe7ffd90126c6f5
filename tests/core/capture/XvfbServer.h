#pragma once

// A private Xvfb for tests and benchmarks: started on a free display number chosen by the
// server itself (-displayfd), ended with the object.

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace shopkeeper::test {

class XvfbServer
{
public:
    // extraArgs go to Xvfb after the screen, e.g. {"-extension", "Generic Event Extension"}.
    explicit XvfbServer(const std::vector<std::string>& extraArgs = {})
    {
        const std::string xvfb = findInPath("Xvfb");
        if (xvfb.empty()) {
            error_ = "Xvfb is not installed (scripts/setup.sh installs the xvfb package)";
            return;
        }
        int fds[2];
        if (pipe(fds) != 0) {
            error_ = "pipe failed";
            return;
        }
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        std::vector<std::string> args = {
            "Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "320x240x24", "-nolisten", "tcp"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int rc = posix_spawn(&pid_, xvfb.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (rc != 0) {
            pid_ = 0;
            close(fds[0]);
            error_ = "Xvfb could not be started";
            return;
        }
        // Xvfb writes the display number once it accepts connections.
        std::string number;
        pollfd ready{fds[0], POLLIN, 0};
        while (poll(&ready, 1, 10000) == 1) {
            char c;
            if (read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        close(fds[0]);
        if (number.empty()) {
            error_ = "Xvfb did not report a display within 10 s";
            return;
        }
        display_ = ":" + number;
    }
    ~XvfbServer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N", or empty when the server did not start (see error()).
    const std::string& display() const { return display_; }
    const std::string& error() const { return error_; }

private:
    static std::string findInPath(const std::string& name)
    {
        const char* path = std::getenv("PATH");
        std::string dirs = path ? path : "/usr/bin:/bin";
        dirs += ":/usr/bin";
        std::size_t start = 0;
        while (start <= dirs.size()) {
            const auto end = std::min(dirs.find(':', start), dirs.size());
            const std::string candidate = dirs.substr(start, end - start) + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0)
                return candidate;
            start = end + 1;
        }
        return {};
    }

    pid_t pid_ = 0;
    std::string display_;
    std::string error_;
};

} // namespace shopkeeper::test
