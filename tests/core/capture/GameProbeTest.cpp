#include "core/capture/GameProbe.h"

#include "core/capture/ItemCapture.h"
#include "core/capture/NoCaptureBackend.h"
#include "core/capture/ProbeLine.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

#ifdef __linux__
#include "TestFiles.h"
#include "core/capture/LinuxCaptureSource.h"

#include <sys/stat.h>
#include <tuple>
#endif

using namespace shopkeeper::capture;

namespace {

// Processes and their memory as the test lays them out; counts what the probe asks.
class FakeProcesses final : public ProcessSource
{
public:
    std::optional<std::vector<ProcessEntry>> listProcesses() override
    {
        ++lists;
        if (listFails)
            return std::nullopt;
        return entries;
    }
    std::unique_ptr<ProcessMemory> openForReading(ProcessId pid) override
    {
        ++opens;
        if (!memory.contains(pid))
            return nullptr;
        return std::make_unique<Memory>(*this, pid);
    }

    std::optional<CaptureResult> captureByHelper() override
    {
        ++helperRuns;
        return helper;
    }

    std::vector<ProcessEntry> entries;
    std::map<ProcessId, std::map<std::uint32_t, std::int32_t>> memory;
    // Addresses this process may not read, and what its helper would answer.
    std::set<std::uint32_t> refused;
    std::optional<CaptureResult> helper;
    int helperRuns = 0;
    std::vector<std::uint32_t> reads;
    bool listFails = false;
    int lists = 0;
    int opens = 0;

private:
    class Memory final : public ProcessMemory
    {
    public:
        Memory(FakeProcesses& owner, ProcessId pid) : owner_(owner), pid_(pid) {}
        std::expected<std::int32_t, ReadError> readInt32(std::uint32_t address) override
        {
            owner_.reads.push_back(address);
            if (owner_.refused.contains(address))
                return std::unexpected(ReadError::Refused);
            const auto& words = owner_.memory[pid_];
            const auto word = words.find(address);
            if (word == words.end())
                return std::unexpected(ReadError::Failed);
            return word->second;
        }

    private:
        FakeProcesses& owner_;
        ProcessId pid_;
    };
};

constexpr std::uint32_t kPointerAddress = 0x1AE45B4;

TEST(ParseHexText, ReadsHexWithOrWithoutThePrefix)
{
    EXPECT_EQ(parseHexText(kPointerAddressHex), 28198324);
    EXPECT_EQ(parseHexText(kItemIdOffsetHex), 28);
    EXPECT_EQ(parseHexText("0x1c"), 28);
    EXPECT_EQ(parseHexText("FFFFFFFF"), -1);
    EXPECT_EQ(parseHexText("123456789"), 0x23456789); // the low 32 bits
    EXPECT_EQ(parseHexText("12g4"), 0x12);
    EXPECT_EQ(parseHexText(""), 0);
    EXPECT_EQ(parseHexText("0x"), 0);
    EXPECT_EQ(parseHexText("zz"), 0);
    // Only "0x" exactly is a prefix: "0X1C" reads as "0x0X1C", which stops after the 0.
    EXPECT_EQ(parseHexText("0X1C"), 0);
}

TEST(GameProbe, FindsTheGameIgnoringAsciiCaseOnly)
{
    FakeProcesses processes;
    processes.entries = {{0, "KVX.exe", ""},   {10, "kvx.exe.bak", ""},           {11, "KVX.ex", ""},
                         {12, "xKVX.exe", ""}, {20, "wine-preloader", "kvx.EXE"}, {30, "KVX.EXE", ""}};
    EXPECT_EQ(findProcessId(processes, kGameExeName), 20);
    EXPECT_TRUE(isProcessRunning(processes, "Kvx.Exe"));
    processes.entries.erase(processes.entries.begin() + 4);
    EXPECT_EQ(findProcessId(processes, kGameExeName), 30);
    // An entry with pid 0 never counts.
    processes.entries = {{0, "KVX.exe", ""}};
    EXPECT_FALSE(isProcessRunning(processes, kGameExeName));
    EXPECT_EQ(findProcessId(processes, kGameExeName), 0);

    processes.entries = {{5, "KVX.exe", ""}};
    processes.listFails = true;
    EXPECT_FALSE(isProcessRunning(processes, kGameExeName));
    EXPECT_EQ(findProcessId(processes, kGameExeName), 0);
}

TEST(CaptureItemId, ReadsPThenTheIdBehindItFromOneProcess)
{
    FakeProcesses processes;
    processes.entries = {{3, "explorer.exe", ""}, {9, "KVX.exe", ""}, {12, "KVX.exe", ""}};
    processes.memory[9] = {{kPointerAddress, 0x1AE4800}, {0x1AE481C, 1234567}};
    processes.memory[12] = {{kPointerAddress, 0x1AE4900}, {0x1AE491C, 7654321}};

    const auto result = captureItemId(processes);
    EXPECT_EQ(result.outcome, CaptureResult::Outcome::Captured);
    EXPECT_EQ(result.idText(), "1234567");
    EXPECT_EQ(processes.lists, 1);
    EXPECT_EQ(processes.opens, 1);
    EXPECT_EQ(processes.reads, (std::vector<std::uint32_t>{kPointerAddress, 0x1AE481C}));

    processes.memory[9][0x1AE481C] = -2;
    EXPECT_EQ(captureItemId(processes).idText(), "-2");
}

TEST(CaptureItemId, FailedReadsShowCaptureFailed)
{
    FakeProcesses processes;
    processes.entries = {{9, "KVX.exe", ""}};
    auto capture = [&] {
        processes.reads.clear();
        return captureItemId(processes);
    };

    using Reason = CaptureResult::Reason;
    // The game process cannot be opened (no rights).
    auto result = capture();
    EXPECT_EQ(result.outcome, CaptureResult::Outcome::ReadFailed);
    EXPECT_EQ(result.idText(), "获取失败");
    EXPECT_EQ(result.reason, Reason::Unknown);

    // P cannot be read: no second read.
    processes.memory[9] = {};
    EXPECT_EQ(capture().outcome, CaptureResult::Outcome::ReadFailed);
    EXPECT_EQ(processes.reads.size(), 1u);

    // P of 0 (nothing under the mouse): the read at 0x1C fails, and that is the reason.
    processes.memory[9] = {{kPointerAddress, 0}};
    result = capture();
    EXPECT_EQ(result.outcome, CaptureResult::Outcome::ReadFailed);
    EXPECT_EQ(result.reason, Reason::NothingUnderPointer);
    EXPECT_EQ(processes.reads.back(), 0x1Cu);
    // A P that points nowhere is no such reason.
    processes.memory[9] = {{kPointerAddress, 0x2000}};
    EXPECT_EQ(capture().reason, Reason::Unknown);

    // An ID of -1 reads as a failure too: no item under the mouse.
    processes.memory[9] = {{kPointerAddress, 0x1000}, {0x101C, -1}};
    result = capture();
    EXPECT_EQ(result.idText(), "获取失败");
    EXPECT_EQ(result.reason, Reason::NothingUnderPointer);

    // P + 0x1C wraps around 2^32.
    processes.memory[9] = {{kPointerAddress, -16}, {0x0C, 77}};
    EXPECT_EQ(capture().idText(), "77");
}

TEST(CaptureItemId, OnlyARefusedReadGoesWholeToTheHelper)
{
    FakeProcesses processes;
    processes.entries = {{9, "KVX.exe", ""}};
    processes.memory[9] = {{kPointerAddress, 0x1000}};
    processes.helper = CaptureResult{CaptureResult::Outcome::Captured, 66};
    EXPECT_EQ(captureItemId(processes).idText(), "获取失败"); // the ID cannot be read: no helper
    EXPECT_EQ(processes.helperRuns, 0);
    for (const std::uint32_t address : {kPointerAddress, 0x101Cu}) { // refused at P or at the ID
        processes.refused = {address};
        EXPECT_EQ(captureItemId(processes).idText(), "66");
    }
    EXPECT_EQ(processes.helperRuns, 2);
    processes.helper.reset(); // without a helper the refusal stands, and is the reason
    const auto refused = captureItemId(processes);
    EXPECT_EQ(refused.outcome, CaptureResult::Outcome::ReadRefused);
    EXPECT_EQ(refused.reason, CaptureResult::Reason::NoRight);
}

TEST(ProbeLine, TheHelpersLinesReadBackAsItsResult)
{
    using Outcome = CaptureResult::Outcome;
    using Reason = CaptureResult::Reason;
    // The helper's refusal is read back as the helper's own lack of the right.
    for (const CaptureResult& result :
         {CaptureResult{Outcome::Captured, -2147483647 - 1}, CaptureResult{Outcome::Captured, 51234},
          CaptureResult{Outcome::ReadFailed, {}},
          CaptureResult{Outcome::ReadFailed, {}, Reason::NothingUnderPointer},
          CaptureResult{Outcome::ReadRefused, {}, Reason::HelperLacksRight},
          CaptureResult{Outcome::GameNotRunning, {}}}) {
        const auto back = captureResultOfProbeLine(probeLineOf(result) + "ignored\n");
        EXPECT_EQ(back.outcome, result.outcome);
        EXPECT_EQ(back.itemId, result.itemId);
        EXPECT_EQ(back.reason, result.reason);
    }
    EXPECT_EQ(captureResultOfProbeLine(probeLineOf({Outcome::ReadRefused, {}, Reason::NoRight})).reason,
              Reason::HelperLacksRight);
    for (const std::string_view line : {"captured -1", "captured", "captured 12x", "captured 99999999999", "",
                                        " not-running", "read-refused ", "unsafe setuid"})
        EXPECT_EQ(captureResultOfProbeLine(line).outcome, Outcome::ReadFailed) << line;
    EXPECT_EQ(captureResultOfProbeLine("unsafe runs set-user-ID").reason, Reason::HelperUnsafe);
}

TEST(CaptureItemId, NoGameMeansNotRunning)
{
    FakeProcesses processes;
    processes.entries = {{3, "explorer.exe", ""}};
    const auto result = captureItemId(processes);
    EXPECT_EQ(result.outcome, CaptureResult::Outcome::GameNotRunning);
    EXPECT_EQ(result.idText(), "");
    EXPECT_EQ(processes.opens, 0);

    NoProcessSource none;
    EXPECT_EQ(captureItemId(none).outcome, CaptureResult::Outcome::GameNotRunning);
}

TEST(CaptureSwitchOn, SaysWhyTheCaptureCannotStart)
{
    class Keys final : public KeyStateSource
    {
    public:
        bool available() const override { return true; }
        std::string unavailableReason() const override { return {}; }
        void query(KeySnapshot&) override {}
    } keys;
    FakeProcesses processes;
    EXPECT_EQ(captureSwitchOnProblem(processes, keys), "游戏没有运行！");
    processes.entries = {{9, "kvx.exe", ""}};
    EXPECT_EQ(captureSwitchOnProblem(processes, keys), std::nullopt);

    // Without a keyboard to watch, the game counts as not running, with the reason below.
    NoKeyState noKeys;
    const auto problem = captureSwitchOnProblem(processes, noKeys);
    ASSERT_TRUE(problem);
    EXPECT_EQ(*problem, "游戏没有运行！\n" + noKeys.unavailableReason());
}

#ifdef __linux__
// Stand-ins for shopkeeper-probe answer as the real one does; the reason and what to do come
// with the helper's path, quoted for the shell.
TEST(LinuxCaptureSource, GivesTheHelpersReasonWithWhatToDo)
{
    using Reason = CaptureResult::Reason;
    shopkeeper::test::TempDir dir;
    const auto helper = dir.path() / "my tools" / "shopkeeper-probe";
    const std::string quoted = "'" + helper.string() + "'";
    const std::tuple<const char*, Reason, std::string> cases[] = {
        {"read-refused", Reason::HelperLacksRight, "sudo setcap cap_sys_ptrace=ep " + quoted},
        {"unsafe runs set-user-ID", Reason::HelperUnsafe, "sudo chmod u-s,g-s " + quoted},
        {"no-item", Reason::NothingUnderPointer, "鼠标下没有物品"},
        {"captured 77", Reason::Unknown, ""},
    };
    for (const auto& [line, reason, advice] : cases) {
        shopkeeper::test::writeFile(helper, std::string("#!/bin/sh\necho '") + line + "'\n");
        ASSERT_EQ(::chmod(helper.c_str(), 0755), 0);
        const auto result = LinuxCaptureSource(helper.string()).captureByHelper();
        ASSERT_TRUE(result) << line;
        EXPECT_EQ(result->reason, reason) << line;
        EXPECT_EQ(result->problemText().empty(), advice.empty()) << line;
        EXPECT_NE(result->problemText().find(advice), std::string::npos) << result->problemText();
    }
    // No helper where it should be: the read stays refused, and the place is named.
    const auto missing = LinuxCaptureSource((dir.path() / "gone").string()).captureByHelper();
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->outcome, CaptureResult::Outcome::ReadRefused);
    EXPECT_EQ(missing->reason, Reason::HelperMissing);
    EXPECT_NE(missing->problemText().find((dir.path() / "gone").string()), std::string::npos);
}
#endif

} // namespace
