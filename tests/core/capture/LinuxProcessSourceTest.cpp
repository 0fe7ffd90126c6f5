#include "core/capture/LinuxProcessSource.h"

#include "TestProcesses.h"
#include "core/capture/GameProbe.h"
#include "core/capture/ItemCapture.h"
#include "core/capture/LinuxCaptureSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace shopkeeper::capture;

extern char** environ;

namespace {

constexpr std::uint32_t kPointerAddress = 0x1AE45B4;

// A stand-in game client: a real process with the game's memory layout.
class GameChild
{
public:
    struct Options
    {
        std::string commandName = "kvx.EXE";
        std::uint32_t pointer = 0x1AE4800;
        std::int32_t itemId = 0;
        std::string argv0 = CAPTURE_PROBE_CHILD;
        bool refuseOtherUsers = false;
    };

    explicit GameChild(const Options& options)
    {
        int in[2];
        int out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
            error_ = "pipe failed";
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        char pointer[16];
        std::snprintf(pointer, sizeof pointer, "%x", options.pointer);
        const std::string id = std::to_string(options.itemId);
        std::vector<std::string> args = {options.argv0, options.commandName, pointer, id};
        if (options.refuseOtherUsers)
            args.push_back("nodump");
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, CAPTURE_PROBE_CHILD, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        stdin_ = in[1];
        if (rc != 0) {
            error_ = "posix_spawn failed";
            pid_ = 0;
            close(out[0]);
            return;
        }
        pollfd ready{out[0], POLLIN, 0};
        char byte = 0;
        if (poll(&ready, 1, 5000) != 1 || read(out[0], &byte, 1) != 1 || byte != 'R')
            error_ = "the child did not get ready (mmap at 0x1AE4000 refused?)";
        close(out[0]);
    }
    ~GameChild() { stop(); }
    GameChild(const GameChild&) = delete;
    GameChild& operator=(const GameChild&) = delete;

    pid_t pid() const { return pid_; }
    const std::string& error() const { return error_; }

    // Ends the child and reaps it, so that its pid no longer appears in /proc.
    void stop()
    {
        if (stdin_ >= 0)
            close(stdin_);
        stdin_ = -1;
        if (pid_ > 0)
            waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

private:
    pid_t pid_ = 0;
    int stdin_ = -1;
    std::string error_;
};

// The real process list, cut down to the test's own children so that other programs on the
// machine (or other tests) cannot be taken for the game. rotate turns the order of the list by
// one at every call, like a second game client that shows up first on the next walk.
class OwnChildren final : public ProcessSource
{
public:
    std::optional<std::vector<ProcessEntry>> listProcesses() override
    {
        auto all = real.listProcesses();
        if (!all)
            return all;
        std::erase_if(*all, [&](const ProcessEntry& entry) { return !pids.contains(entry.pid); });
        if (rotate && !all->empty())
            std::rotate(all->begin(), all->begin() + (lists % static_cast<int>(all->size())), all->end());
        ++lists;
        return all;
    }
    std::unique_ptr<ProcessMemory> openForReading(ProcessId pid) override { return real.openForReading(pid); }

    LinuxProcessSource real;
    std::set<ProcessId> pids;
    bool rotate = false;
    int lists = 0;
};

// The 4 bytes at address in process pid, read through its own ProcessMemory.
std::expected<std::int32_t, ReadError> readAt(ProcessSource& source, ProcessId pid, std::uint32_t address)
{
    const auto memory = source.openForReading(pid);
    if (!memory)
        return std::unexpected(ReadError::Failed);
    return memory->readInt32(address);
}

const std::expected<std::int32_t, ReadError> kFailed = std::unexpected(ReadError::Failed);

std::optional<ProcessEntry> entryOf(LinuxProcessSource& source, pid_t pid)
{
    const auto all = source.listProcesses();
    if (!all)
        return std::nullopt;
    for (const auto& entry : *all) {
        if (entry.pid == pid)
            return entry;
    }
    return std::nullopt;
}

TEST(LinuxProbe, FindsAndReadsAChildNamedKvxExe)
{
    GameChild game({.commandName = "kvx.EXE", .pointer = 0x1AE4800, .itemId = 51234});
    ASSERT_EQ(game.error(), "");
    LinuxProcessSource source;
    const auto entry = entryOf(source, game.pid());
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->commandName, "kvx.EXE");

    OwnChildren children;
    children.pids = {game.pid()};
    EXPECT_TRUE(isProcessRunning(children, kGameExeName));
    EXPECT_EQ(findProcessId(children, kGameExeName), game.pid());
    EXPECT_EQ(readAt(source, game.pid(), kPointerAddress), 0x1AE4800);
    EXPECT_EQ(readAt(source, game.pid(), 0x1AE4800 + 0x1C), 51234);
    // Unmapped memory of a running process is a failed read.
    EXPECT_EQ(readAt(source, game.pid(), 0x1000), kFailed);

    const auto result = captureItemId(children);
    EXPECT_EQ(result.outcome, CaptureResult::Outcome::Captured);
    EXPECT_EQ(result.idText(), "51234");
}

TEST(LinuxProbe, FindsAWineStyleCommandLine)
{
    // Under Wine the first command-line word is the Windows path of the program.
    GameChild game({.commandName = "-", .itemId = -7, .argv0 = "C:\\Games\\Kvx.Exe"});
    ASSERT_EQ(game.error(), "");
    LinuxProcessSource source;
    const auto entry = entryOf(source, game.pid());
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->exeName, "Kvx.Exe");
    EXPECT_NE(entry->commandName, "Kvx.Exe");

    OwnChildren children;
    children.pids = {game.pid()};
    EXPECT_EQ(findProcessId(children, kGameExeName), game.pid());
    EXPECT_EQ(captureItemId(children).idText(), "-7");
}

TEST(LinuxProbe, APointerOfZeroFailsAndAGoneGameIsNotRunning)
{
    GameChild game({.pointer = 0, .itemId = 99});
    ASSERT_EQ(game.error(), "");
    OwnChildren children;
    children.pids = {game.pid()};
    const auto failed = captureItemId(children);
    EXPECT_EQ(failed.outcome, CaptureResult::Outcome::ReadFailed);
    EXPECT_EQ(failed.idText(), "获取失败");

    const pid_t pid = game.pid();
    game.stop();
    EXPECT_FALSE(isProcessRunning(children, kGameExeName));
    EXPECT_EQ(captureItemId(children).outcome, CaptureResult::Outcome::GameNotRunning);
    // A process that has ended cannot be read (ESRCH).
    EXPECT_EQ(readAt(children, pid, kPointerAddress), kFailed);
}

TEST(LinuxProbe, OneCaptureReadsBothWordsFromOneOfTwoClients)
{
    GameChild first({.pointer = 0x1AE4800, .itemId = 111});
    GameChild second({.pointer = 0x1AE4900, .itemId = 222});
    ASSERT_EQ(first.error(), "");
    ASSERT_EQ(second.error(), "");
    OwnChildren children;
    children.pids = {first.pid(), second.pid()};
    children.rotate = true;

    // The walks do alternate: P from one client with the ID read from the other gives 0.
    const auto pointer = readAt(children, findProcessId(children, kGameExeName), kPointerAddress);
    const auto mixed = readAt(children, findProcessId(children, kGameExeName),
                              static_cast<std::uint32_t>(pointer.value_or(0)) + 0x1C);
    EXPECT_EQ(mixed, 0);

    for (int i = 0; i < 4; ++i) {
        const int listsBefore = children.lists;
        const auto result = captureItemId(children);
        EXPECT_EQ(children.lists - listsBefore, 1);
        EXPECT_TRUE(result.idText() == "111" || result.idText() == "222") << result.idText();
    }
}

TEST(LinuxProbe, ARefusedReadIsAFailedRead)
{
    GameChild game({.itemId = 5, .refuseOtherUsers = true});
    ASSERT_EQ(game.error(), "");
    // Another user without CAP_SYS_PTRACE may not read a process that refuses dumps (EPERM).
    const pid_t reader = fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        OwnChildren children;
        children.pids = {game.pid()};
        const bool refused =
            readAt(children, game.pid(), kPointerAddress) == std::unexpected(ReadError::Refused) &&
            captureItemId(children).outcome == CaptureResult::Outcome::ReadRefused;
        _exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(reader, &status, 0), reader);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the read was not refused, 3: could not drop root";
}

TEST(LinuxProbe, ReadsTheOwnProcess)
{
    constexpr std::uintptr_t page = 0x2A00000;
    void* mapped = mmap(reinterpret_cast<void*>(page), 4096, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    ASSERT_EQ(mapped, reinterpret_cast<void*>(page));
    const std::int32_t value = -123456;
    std::memcpy(reinterpret_cast<void*>(page + 8), &value, sizeof value);
    LinuxProcessSource source;
    EXPECT_EQ(readAt(source, getpid(), page + 8), -123456);
    munmap(mapped, 4096);
}

// shopkeeper-probe copied into a folder every user may enter, with the file capabilities caps
// ("" for none) and the mode given; removed with the object.
class HelperCopy
{
public:
    explicit HelperCopy(const std::string& caps, mode_t mode = 0755)
    {
        char dir[] = "/tmp/shopkeeper-probe-XXXXXX";
        dir_ = ::mkdtemp(dir) ? dir : "";
        path_ = dir_ + "/shopkeeper-probe";
        std::error_code error;
        ok_ = !dir_.empty() && ::chmod(dir_.c_str(), 0755) == 0 &&
              std::filesystem::copy_file(SHOPKEEPER_PROBE, path_, error) &&
              ::chmod(path_.c_str(), mode) == 0 &&
              (caps.empty() || std::system(("setcap " + caps + " " + path_).c_str()) == 0);
    }
    ~HelperCopy() { std::filesystem::remove_all(dir_); }
    HelperCopy(const HelperCopy&) = delete;
    HelperCopy& operator=(const HelperCopy&) = delete;

    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }

    // The helper's first line of output, run as the user nobody or as this (root) user.
    std::string run(bool asNobody, const std::string& args = "") const
    {
        const std::string user = asNobody ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "";
        FILE* pipe = ::popen((user + path_ + args + " 2>/dev/null").c_str(), "r");
        char line[256] = {};
        const bool read = pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr;
        if (pipe != nullptr)
            ::pclose(pipe);
        return read ? line : "";
    }

private:
    std::string dir_;
    std::string path_;
    bool ok_ = false;
};

constexpr const char* kNeedsRoot = "needs root: to grant file capabilities with setcap and to run the helper "
                                   "as the user nobody (CI runs the tests as root)";
constexpr const char* kSetcapFailed = "could not copy the helper and run setcap on it (scripts/setup.sh "
                                      "installs libcap2-bin)";

TEST(ProbeHelper, ReadsOnlyTheGamesTwoWordsAndOnlyWithNoRightButPtrace)
{
    if (geteuid() != 0)
        GTEST_SKIP() << kNeedsRoot;
    // A game of another user (root) that refuses ptrace access: only CAP_SYS_PTRACE reads it.
    GameChild game({.pointer = 0x1AE4800, .itemId = 51234, .refuseOtherUsers = true});
    ASSERT_EQ(game.error(), "");
    struct Case
    {
        std::string caps;
        mode_t mode;
        bool asNobody;
        std::string args;
        std::string expected;
    };
    const Case cases[] = {
        {"cap_sys_ptrace=ep", 0755, true, "", "captured 51234\n"},
        // Told another process, address or file, it still reads only the game's two words.
        {"cap_sys_ptrace=ep", 0755, true, " --pid 1 0x1000 4 /etc/shadow", "captured 51234\n"},
        {"", 0755, true, "", "read-refused\n"},
        {"", 0755, false, "", "unsafe holds capabilities beyond"}, // root holds them all
        {"", 04755, true, "", "unsafe runs set-user-ID"},          // set-user-ID root
        {"cap_sys_ptrace,cap_kill=ep", 0755, true, "", "unsafe holds capabilities beyond"},
    };
    for (const auto& c : cases) {
        const HelperCopy helper(c.caps, c.mode);
        ASSERT_TRUE(helper.ok()) << kSetcapFailed;
        EXPECT_TRUE(helper.run(c.asNobody, c.args).starts_with(c.expected))
            << c.caps << " mode " << std::oct << c.mode << c.args << ": " << helper.run(c.asNobody, c.args);
    }
    game.stop();
    const HelperCopy helper("cap_sys_ptrace=ep");
    EXPECT_EQ(helper.run(true), "not-running\n");
}

TEST(ProbeHelper, TheEditorReadsThroughTheHelperWhenItsOwnReadIsRefused)
{
    if (geteuid() != 0)
        GTEST_SKIP() << kNeedsRoot;
    GameChild game({.itemId = 51234, .refuseOtherUsers = true});
    ASSERT_EQ(game.error(), "");
    // Root reads the game itself; no helper is needed.
    LinuxCaptureSource direct("/nonexistent/shopkeeper-probe");
    EXPECT_EQ(captureItemId(direct).idText(), "51234");

    for (const bool granted : {true, false}) {
        const HelperCopy helper(granted ? "cap_sys_ptrace=ep" : "");
        ASSERT_TRUE(helper.ok()) << kSetcapFailed;
        // The editor as the user nobody, which may not read the game itself.
        const int code = shopkeeper::test::runInChild(
            [&] {
                LinuxCaptureSource source(helper.path());
                const auto result = captureItemId(source);
                if (granted)
                    return result.idText() == "51234" ? 0 : 1;
                return result.outcome == CaptureResult::Outcome::ReadRefused && result.idText() == "获取失败"
                           ? 0
                           : 1;
            },
            true);
        EXPECT_EQ(code, 0) << (granted ? "with" : "without") << " the capability on the helper";
    }
}

} // namespace
