#include "core/capture/HotkeyTable.h"

#include <climits>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

using namespace shopkeeper::capture;

namespace {

// Keys the test holds down; "pressed since the last query" as Windows reports it.
class ScriptedKeys final : public KeyStateSource
{
public:
    bool available() const override { return true; }
    std::string unavailableReason() const override { return {}; }
    void query(KeySnapshot& out) override
    {
        ++queries;
        out = {};
        for (const int vk : held)
            out.down.set(static_cast<std::size_t>(vk));
        out.pressed = out.down & ~previous_;
        previous_ = out.down;
    }

    std::set<int> held;
    int queries = 0;

private:
    std::bitset<256> previous_;
};

class HotkeyTableTest : public ::testing::Test
{
protected:
    ScriptedKeys keys;
    std::vector<std::int32_t> timerRequests;
    HotkeyTable table{keys, [this](std::int32_t ms) { timerRequests.push_back(ms); }};
    std::vector<std::int32_t> fired;

    HotkeyHandler recorder()
    {
        return [this](std::int32_t id) { fired.push_back(id); };
    }
    void press(int vk)
    {
        keys.held.insert(vk);
        table.pollHotkeys();
    }
    void release(int vk)
    {
        keys.held.erase(vk);
        table.pollHotkeys();
    }
    void polls(int n)
    {
        for (int i = 0; i < n; ++i)
            table.pollHotkeys();
    }
};

TEST_F(HotkeyTableTest, IdsCountFromSlotOneAndTheSameKeyKeepsItsRecord)
{
    EXPECT_EQ(table.addHotkey(recorder(), kVkF12), 1000001);
    EXPECT_EQ(table.addHotkey(recorder(), kVkF12, kModCtrl), 1000002);
    EXPECT_EQ(table.addHotkey(recorder(), -kVkF12), 1000003);
    EXPECT_EQ(table.addHotkey(recorder(), kVkF12, 0, 'A'), 1000004);

    int replaced = 0;
    EXPECT_EQ(table.addHotkey([&](std::int32_t) { ++replaced; }, kVkF12), 1000001);
    EXPECT_EQ(table.records().size(), 4u);
    press(kVkF12);
    EXPECT_EQ(replaced, 1);
    EXPECT_TRUE(fired.empty());
}

TEST_F(HotkeyTableTest, UnusableKeysAreRefusedWithoutARecordOrTimer)
{
    for (const std::int32_t code : {0, 256, -256, 512, INT_MIN})
        EXPECT_EQ(table.addHotkey(recorder(), code), 0) << code;
    EXPECT_TRUE(table.records().empty());
    EXPECT_TRUE(timerRequests.empty());
    EXPECT_FALSE(table.timerStarted());

    // Only the low byte of |keyCode| names the key.
    EXPECT_EQ(table.addHotkey(recorder(), kVkF12 + 256), 1000001);
    press(kVkF12);
    EXPECT_EQ(fired, std::vector<std::int32_t>{1000001});
}

TEST_F(HotkeyTableTest, TheTimerIsAskedForOnceWithTheFirstPeriod)
{
    table.addHotkey(recorder(), kVkF12);
    table.addHotkey(recorder(), 'A', 0, 0, 50);
    EXPECT_EQ(timerRequests, std::vector<std::int32_t>{kDefaultPollPeriodMs});
    EXPECT_TRUE(table.timerStarted());
    EXPECT_EQ(table.timerPeriodMs(), 10);

    // Switching off and on again revives the same record and asks for no second timer.
    EXPECT_TRUE(table.removeHotkey(0));
    EXPECT_EQ(table.addHotkey(recorder(), kVkF12, 0, 0, 0, 0), 1000001);
    EXPECT_EQ(timerRequests.size(), 1u);
}

TEST(HotkeyTablePeriod, APositivePeriodIsKeptAndOthersBecomeTenMs)
{
    ScriptedKeys keys;
    HotkeyTable withPeriod(keys);
    withPeriod.addHotkey({}, kVkF12, 0, 0, 25);
    EXPECT_EQ(withPeriod.timerPeriodMs(), 25);

    HotkeyTable negative(keys);
    EXPECT_EQ(negative.timerPeriodMs(), 0);
    negative.addHotkey({}, kVkF12, 0, 0, -5);
    EXPECT_EQ(negative.timerPeriodMs(), 10);
}

TEST_F(HotkeyTableTest, AHeldKeyFiresOnceAndAgainAfterARelease)
{
    const auto id = table.addHotkey(recorder(), kVkF12);
    polls(3);
    EXPECT_TRUE(fired.empty());
    press(kVkF12);
    polls(20);
    EXPECT_EQ(fired, std::vector<std::int32_t>{id});
    release(kVkF12);
    polls(2);
    press(kVkF12);
    EXPECT_EQ(fired.size(), 2u);
    release(kVkF12);
    EXPECT_EQ(fired.size(), 2u);
}

TEST_F(HotkeyTableTest, AHeldModifierUsesThePressUp)
{
    table.addHotkey(recorder(), kVkF12);
    for (const int modifier : {kVkAlt, kVkControl, kVkShift, kVkLeftWin}) {
        press(modifier);
        press(kVkF12);
        EXPECT_TRUE(fired.empty()) << modifier;
        // Letting go of the modifier while F12 stays down does not fire either.
        release(modifier);
        polls(3);
        EXPECT_TRUE(fired.empty()) << modifier;
        release(kVkF12);
    }
    // Other keys held do not count as modifiers.
    press('Q');
    press(kVkF12);
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(HotkeyTableTest, TheModifierMaskMustMatchExactly)
{
    const auto id = table.addHotkey(recorder(), kVkF12, kModCtrl | kModShift);
    press(kVkF12);
    release(kVkF12);
    keys.held = {kVkControl};
    press(kVkF12);
    release(kVkF12);
    keys.held = {kVkControl, kVkShift, kVkAlt};
    press(kVkF12);
    release(kVkF12);
    EXPECT_TRUE(fired.empty());
    keys.held = {kVkControl, kVkShift};
    press(kVkF12);
    EXPECT_EQ(fired, std::vector<std::int32_t>{id});
}

TEST_F(HotkeyTableTest, ASecondKeyMustBeHeldWhenTheKeyGoesDown)
{
    table.addHotkey(recorder(), kVkF12, 0, 'A');
    press(kVkF12);
    press('A'); // too late: the press is used up
    EXPECT_TRUE(fired.empty());
    release(kVkF12);
    press(kVkF12);
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(HotkeyTableTest, ReleaseModeFiresOnceWhenTheKeyGoesUp)
{
    const auto id = table.addHotkey(recorder(), -kVkF12);
    press(kVkF12);
    polls(5);
    EXPECT_TRUE(fired.empty());
    release(kVkF12);
    EXPECT_EQ(fired, std::vector<std::int32_t>{id});
    polls(5);
    EXPECT_EQ(fired.size(), 1u);
    press(kVkF12);
    release(kVkF12);
    EXPECT_EQ(fired.size(), 2u);

    // A modifier held at the release uses that press up.
    press(kVkF12);
    press(kVkShift);
    release(kVkF12);
    EXPECT_EQ(fired.size(), 2u);
}

TEST_F(HotkeyTableTest, RemovedKeysDoNotFireAndRevivedOnesKeepTheirId)
{
    const auto f12 = table.addHotkey(recorder(), kVkF12);
    const auto f11 = table.addHotkey(recorder(), 122);
    EXPECT_TRUE(table.removeHotkey(f11));
    EXPECT_FALSE(table.removeHotkey(f11));
    EXPECT_FALSE(table.removeHotkey(1000099));
    press(122);
    press(kVkF12);
    EXPECT_EQ(fired, std::vector<std::int32_t>{f12});

    EXPECT_TRUE(table.removeHotkey(0));
    for (const auto& record : table.records())
        EXPECT_EQ(record.id, 0);
    keys.held.clear();
    polls(1);
    press(kVkF12);
    EXPECT_EQ(fired.size(), 1u);

    std::vector<std::int32_t> revived;
    EXPECT_EQ(table.addHotkey([&](std::int32_t id) { revived.push_back(id); }, kVkF12), 1000001);
    release(kVkF12);
    press(kVkF12);
    EXPECT_EQ(revived, std::vector<std::int32_t>{1000001});
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(HotkeyTableTest, EachTickQueriesTheKeyboardOnceAndFiresOnThePollingThread)
{
    std::thread::id handlerThread;
    for (const int vk : {kVkF12, std::int32_t{'A'}, std::int32_t{'B'}})
        table.addHotkey([&](std::int32_t) { handlerThread = std::this_thread::get_id(); }, vk);
    keys.queries = 0;
    polls(4);
    EXPECT_EQ(keys.queries, 4);
    press(kVkF12); // mode 0: the table starts no thread of its own
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
}

TEST_F(HotkeyTableTest, AHandlerMayChangeTheTableWhileItIsPolled)
{
    // The capture switches itself off from its handler; others may add keys.
    table.addHotkey(
        [this](std::int32_t) {
            table.removeHotkey(0);
            for (int vk = 'A'; vk <= 'Z'; ++vk)
                table.addHotkey(recorder(), vk);
        },
        kVkF12);
    table.addHotkey(recorder(), 122);
    keys.held = {122};
    press(kVkF12);
    // The F11 record was switched off before its turn in the same tick.
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(table.records().size(), 28u);
    press('C');
    EXPECT_EQ(fired, std::vector<std::int32_t>{1000000 + 3 + ('C' - 'A')});
}

} // namespace
