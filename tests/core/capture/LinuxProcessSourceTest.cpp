#include "core/capture/LinuxProcessSource.h"

#include "TestFiles.h"
#include "TestProcesses.h"
#include "core/capture/GameProbe.h"
#include "core/capture/ItemCapture.h"
#include "core/capture/LinuxCaptureSource.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
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
#include <utility>

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

// The first line a command prints.
std::string firstLine(const std::string& command)
{
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    char line[256] = {};
    if (pipe != nullptr && std::fgets(line, sizeof line, pipe) == nullptr)
        line[0] = 0;
    if (pipe != nullptr)
        ::pclose(pipe);
    return line;
}

constexpr const char* kOwnPidNamespace = "SHOPKEEPER_TEST_IN_OWN_PID_NAMESPACE";

// The helper reads whatever process is named KVX.exe, as it must: a game client running elsewhere
// on the machine would be read instead of the test's own. The helper takes no target from
// anyone (that is what keeps it safe to hold CAP_SYS_PTRACE), so the test gets a machine of its
// own instead: it runs again in a new PID namespace with its own /proc, where the only game is
// the one it starts. A game started out here beforehand would otherwise be found first.
TEST(ProbeHelper, ReadsOnlyTheGamesTwoWordsOnlyWithNoRightButPtraceAndServesTheEditor)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root: to grant file capabilities with setcap, to run the helper as the user "
                        "nobody and to make a PID namespace (CI runs the tests as root)";
    if (std::getenv(kOwnPidNamespace) == nullptr) {
        if (std::system("unshare --pid --fork --mount-proc true > /dev/null 2>&1") != 0)
            GTEST_SKIP() << "cannot make a PID namespace with unshare (util-linux)";
        GameChild elsewhere({.pointer = 0x1AE4800, .itemId = 424242});
        ASSERT_EQ(elsewhere.error(), "");
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string command = std::string("env ") + kOwnPidNamespace +
                                    "=1 unshare --pid --fork --mount-proc " +
                                    std::filesystem::read_symlink("/proc/self/exe").string() +
                                    " --gtest_filter=" + test->test_suite_name() + "." + test->name();
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "the run in its own PID namespace failed";
        return;
    }
    ASSERT_EQ(getpid(), 1) << "not the first process of a PID namespace of its own";
    // A game of another user (root) that refuses ptrace access: only CAP_SYS_PTRACE reads it.
    GameChild game({.pointer = 0x1AE4800, .itemId = 51234, .refuseOtherUsers = true});
    ASSERT_EQ(game.error(), "");
    shopkeeper::test::TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string nobody = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    struct Case
    {
        std::string caps;
        mode_t mode;
        std::string run; // the command before the helper's path
        std::string args;
        std::string expected;
    } const cases[] = {
        {"cap_sys_ptrace=ep", 0755, nobody, "", "captured 51234\n"},
        // Told another process, address or file, it still reads only the game's two words.
        {"cap_sys_ptrace=ep", 0755, nobody, " --pid 1 0x1000 4 /etc/shadow", "captured 51234\n"},
        {"", 0755, nobody, "", "read-refused\n"},
        {"", 0755, "", "", "unsafe holds capabilities beyond"}, // root holds them all
        {"", 04755, nobody, "", "unsafe runs set-user-ID"},     // set-user-ID root
        {"cap_sys_ptrace,cap_kill=ep", 0755, nobody, "", "unsafe holds capabilities beyond"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const std::string helper = dir / ("probe" + std::to_string(i));
        std::filesystem::copy_file(SHOPKEEPER_PROBE, helper);
        ASSERT_EQ(::chmod(helper.c_str(), c.mode), 0);
        ASSERT_TRUE(c.caps.empty() || std::system(("setcap " + c.caps + " " + helper).c_str()) == 0)
            << "setcap failed (scripts/setup.sh installs libcap2-bin)";
        const auto line = firstLine(c.run + helper + c.args);
        EXPECT_TRUE(line.starts_with(c.expected)) << i << ": " << line;
    }

    // The editor as the user nobody may not read the game; it gets the ID through a helper that
    // holds the capability, and "获取失败" through one that does not. Root reads it directly.
    LinuxCaptureSource direct("/nonexistent/shopkeeper-probe");
    EXPECT_EQ(captureItemId(direct).idText(), "51234");
    for (const auto& [helper, expected] : {std::pair{"probe0", "51234"}, std::pair{"probe2", "获取失败"}}) {
        EXPECT_EQ(shopkeeper::test::runInChild(
                      [&] {
                          LinuxCaptureSource source(dir / helper);
                          return captureItemId(source).idText() == expected ? 0 : 1;
                      },
                      true),
                  0)
            << helper;
    }
    game.stop();
    EXPECT_EQ(firstLine(nobody + (dir / "probe0").string()), "not-running\n");
}

} // namespace
