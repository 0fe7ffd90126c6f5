#include "gui/capture/LiveCapture.h"

#include "GuiTestSupport.h"
#include "core/capture/CaptureConstants.h"
#include "gui/widgets/StatusLine.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QTabWidget>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

using namespace shopkeeper;
using namespace shopkeeper::test;

namespace {

constexpr std::uint32_t kPointerAddress = 0x1AE45B4;
constexpr int kWaitMs = 5000;

// The keyboard as the test holds it; read by the poll on the UI thread.
class ScriptedKeys : public capture::KeyStateSource
{
public:
    bool available() const override { return available_; }
    std::string unavailableReason() const override { return available_ ? std::string() : "no keyboard here"; }
    void query(capture::KeySnapshot& out) override
    {
        out = {};
        for (const int vk : down)
            out.down.set(static_cast<std::size_t>(vk));
        out.pressed = out.down & ~previous_;
        previous_ = out.down;
        ++queries;
    }

    bool available_ = true;
    std::set<int> down;
    int queries = 0;

private:
    std::bitset<256> previous_;
};

// A game client in memory; read from the capture's worker threads, so every field is guarded.
struct FakeGame
{
    std::mutex mutex;
    bool running = false;
    std::map<std::uint32_t, std::int32_t> memory;
    // The editor may not read the game (and has no helper that may).
    bool refused = false;
    std::vector<std::thread::id> readerThreads;
    int captures = 0;
    // While closed, a capture waits before it reads.
    bool gateOpen = true;
    bool waitingAtGate = false;
    std::condition_variable gate;

    void setRunning(bool value)
    {
        std::lock_guard lock(mutex);
        running = value;
    }
    void store(std::int32_t pointer, std::int32_t id)
    {
        std::lock_guard lock(mutex);
        memory.clear();
        memory[kPointerAddress] = pointer;
        memory[static_cast<std::uint32_t>(pointer) + 0x1C] = id;
    }
    int captureCount()
    {
        std::lock_guard lock(mutex);
        return captures;
    }
    bool isWaitingAtGate()
    {
        std::lock_guard lock(mutex);
        return waitingAtGate;
    }
    void setGate(bool open)
    {
        {
            std::lock_guard lock(mutex);
            gateOpen = open;
        }
        gate.notify_all();
    }
};

class FakeMemory : public capture::ProcessMemory
{
public:
    explicit FakeMemory(FakeGame& game) : game_(game) {}
    std::expected<std::int32_t, capture::ReadError> readInt32(std::uint32_t address) override
    {
        std::lock_guard lock(game_.mutex);
        if (game_.refused)
            return std::unexpected(capture::ReadError::Refused);
        const auto it = game_.memory.find(address);
        if (it == game_.memory.end())
            return std::unexpected(capture::ReadError::Failed);
        return it->second;
    }

private:
    FakeGame& game_;
};

class FakeProcesses : public capture::ProcessSource
{
public:
    explicit FakeProcesses(FakeGame& game) : game_(game) {}
    std::optional<std::vector<capture::ProcessEntry>> listProcesses() override
    {
        std::lock_guard lock(game_.mutex);
        std::vector<capture::ProcessEntry> list{{1, "init", "init"}};
        if (game_.running)
            list.push_back({4242, "kvx.EXE", "kvx.EXE"});
        return list;
    }
    std::unique_ptr<capture::ProcessMemory> openForReading(capture::ProcessId pid) override
    {
        std::unique_lock lock(game_.mutex);
        game_.waitingAtGate = true;
        game_.gate.wait(lock, [this] { return game_.gateOpen; });
        game_.waitingAtGate = false;
        game_.readerThreads.push_back(std::this_thread::get_id());
        ++game_.captures;
        if (pid != 4242 || !game_.running)
            return nullptr;
        return std::make_unique<FakeMemory>(game_);
    }

private:
    FakeGame& game_;
};

class LiveCaptureTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        auto keys = std::make_unique<ScriptedKeys>();
        keys_ = keys.get();
        window_ = std::make_unique<gui::MainWindow>(
            dir.path(), dialogs,
            gui::MainWindow::Backends{
                .capture = capture::CaptureBackends{std::make_unique<FakeProcesses>(game), std::move(keys)}});
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    QCheckBox* captureBox() { return child<QCheckBox>(&window(), "选择框1"); }
    QCheckBox* fillBox() { return child<QCheckBox>(&window(), "选择框2"); }
    QLineEdit* idBox() { return child<QLineEdit>(&window(), "ID框"); }
    gui::StatusLine* status() { return child<gui::StatusLine>(&window(), "状态栏"); }
    // The reason shown for the last press: the box's tip, which the status line repeats.
    QString shownReason()
    {
        EXPECT_EQ(status()->message(), idBox()->toolTip());
        return idBox()->toolTip();
    }
    gui::LiveCapture& live() { return window().liveCapture(); }
    QTimer* pollTimer() { return live().findChild<QTimer*>(QStringLiteral("capturePoll")); }

    void expectOff()
    {
        EXPECT_FALSE(captureBox()->isChecked());
        EXPECT_FALSE(idBox()->isEnabled());
        EXPECT_FALSE(fillBox()->isChecked());
        EXPECT_FALSE(fillBox()->isEnabled());
    }

    void switchOn()
    {
        game.setRunning(true);
        captureBox()->click();
        ASSERT_TRUE(captureBox()->isChecked());
        ASSERT_TRUE(idBox()->isEnabled());
    }

    // Lets the poll see the keyboard as it is now a few times over.
    bool ticks(int count)
    {
        const int until = keys_->queries + count;
        return QTest::qWaitFor([&] { return keys_->queries >= until; }, kWaitMs);
    }

    // Presses F12, waits until the capture's result has been applied, and releases the key.
    bool pressF12()
    {
        QSignalSpy applied(&live(), &gui::LiveCapture::resultApplied);
        keys_->down.insert(capture::kVkF12);
        const bool done = applied.wait(kWaitMs);
        keys_->down.erase(capture::kVkF12);
        return done && ticks(2);
    }

    QString cell(int row, int column) { return window().grid(0)->gridModel()->cellText(row, column); }
    QModelIndex cursor() { return window().grid(0)->currentIndex(); }
    void putCursor(int row, int column)
    {
        window().grid(0)->setCurrentIndex(window().grid(0)->model()->index(row, column));
    }

    FakeGame game;
    ScriptedKeys* keys_ = nullptr;
};

} // namespace

TEST_F(LiveCaptureTest, SwitchingOnWithoutTheGameSaysSoAndStaysOff)
{
    captureBox()->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "提示");
    EXPECT_EQ(dialogs.messages[0].text, "游戏没有运行！");
    EXPECT_EQ(dialogs.messages[0].icon, gui::Dialogs::Icon::Information);
    expectOff();
    ASSERT_NE(pollTimer(), nullptr);
    EXPECT_FALSE(pollTimer()->isActive());

    // A keyboard that cannot be watched keeps the capture off even with the game running,
    // and the second line says why.
    game.setRunning(true);
    keys_->available_ = false;
    captureBox()->click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, "游戏没有运行！\nno keyboard here");
    expectOff();
}

TEST_F(LiveCaptureTest, F12ShowsTheIdCopiesItAndFillsTheEmptyCursorCell)
{
    switchOn();
    EXPECT_TRUE(idBox()->isEnabled());
    EXPECT_TRUE(fillBox()->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());

    // Without 选择框2 the grid is left alone.
    game.store(0x00400000, 7001);
    putCursor(0, 0);
    ASSERT_TRUE(pressF12());
    EXPECT_EQ(idBox()->text(), "7001");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "7001");
    EXPECT_EQ(cell(0, 0), "");
    {
        // The game was read off the UI thread.
        std::lock_guard lock(game.mutex);
        ASSERT_EQ(game.readerThreads.size(), 1u);
        EXPECT_NE(game.readerThreads[0], std::this_thread::get_id());
    }

    fillBox()->click();
    ASSERT_TRUE(fillBox()->isChecked());
    game.store(0x00400000, -25);
    ASSERT_TRUE(pressF12());
    EXPECT_EQ(idBox()->text(), "-25");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "-25");
    EXPECT_EQ(cell(0, 0), "-25");
    EXPECT_EQ(cursor(), window().grid(0)->model()->index(0, 1));

    // From the seventh column the cursor goes to the first column of the next row, and stays
    // in the last row's seventh column.
    window().addTwoRows();
    putCursor(0, 6);
    game.store(0x00500000, 9100);
    ASSERT_TRUE(pressF12());
    EXPECT_EQ(cell(0, 6), "9100");
    EXPECT_EQ(cursor(), window().grid(0)->model()->index(1, 0));
    putCursor(2, 6);
    game.store(0x00500000, 9101);
    ASSERT_TRUE(pressF12());
    EXPECT_EQ(cell(2, 6), "9101");
    EXPECT_EQ(cursor(), window().grid(0)->model()->index(2, 6));

    // The grid on the visible tab is the one filled.
    child<QTabWidget>(&window(), "选择夹1")->setCurrentIndex(3);
    window().grid(3)->setCurrentIndex(window().grid(3)->model()->index(0, 2));
    game.store(0x00500000, 9102);
    ASSERT_TRUE(pressF12());
    EXPECT_EQ(window().grid(3)->gridModel()->cellText(0, 2), "9102");
    EXPECT_EQ(cell(1, 0), "");
}

TEST_F(LiveCaptureTest, AFullCellIsLeftAloneButTheIdIsStillShownAndCopied)
{
    switchOn();
    fillBox()->click();
    window().session().editCell(0, {0, 3}, "555");
    putCursor(0, 3);
    game.store(0x00400000, 8800);
    ASSERT_TRUE(pressF12());
    EXPECT_EQ(idBox()->text(), "8800");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "8800");
    EXPECT_EQ(cell(0, 3), "555");
    EXPECT_EQ(cursor(), window().grid(0)->model()->index(0, 3));
}

TEST_F(LiveCaptureTest, AFailedReadShowsFailureAndLeavesClipboardAndGrid)
{
    switchOn();
    fillBox()->click();
    putCursor(0, 0);
    // P of 0: nothing under the mouse, the second read fails.
    {
        std::lock_guard lock(game.mutex);
        game.memory = {{kPointerAddress, 0}};
    }
    ASSERT_TRUE(pressF12());
    EXPECT_EQ(idBox()->text(), "获取失败");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    EXPECT_EQ(cell(0, 0), "");
    EXPECT_EQ(cursor(), window().grid(0)->model()->index(0, 0));
    EXPECT_TRUE(captureBox()->isChecked());
    // Why, and what to do, in the box's tip and the window's status.
    EXPECT_TRUE(shownReason().startsWith("鼠标下没有物品")) << shownReason().toStdString();
    EXPECT_EQ(status()->tone(), gui::StatusLine::Tone::Problem);

    // An ID of -1 is a failure as well, and so is a read the editor may not make.
    for (const bool refused : {false, true}) {
        game.store(0x00400000, refused ? 4321 : -1);
        {
            std::lock_guard lock(game.mutex);
            game.refused = refused;
        }
        idBox()->clear();
        ASSERT_TRUE(pressF12());
        EXPECT_EQ(idBox()->text(), "获取失败");
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
        EXPECT_EQ(cell(0, 0), "");
        EXPECT_TRUE(shownReason().startsWith(refused ? "本程序没有读取游戏内存的权限" : "鼠标下没有物品"))
            << shownReason().toStdString();
    }

    // An ID clears the reason.
    {
        std::lock_guard lock(game.mutex);
        game.refused = false;
    }
    game.store(0x00400000, 5150);
    ASSERT_TRUE(pressF12());
    EXPECT_EQ(shownReason(), "");
}

TEST_F(LiveCaptureTest, TheGameEndingSwitchesTheCaptureOffWithoutAMessage)
{
    switchOn();
    fillBox()->click();
    game.store(0x00400000, 4321);
    ASSERT_TRUE(pressF12());
    ASSERT_EQ(idBox()->text(), "4321");

    game.setRunning(false);
    ASSERT_TRUE(pressF12());
    expectOff();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(idBox()->text(), "4321"); // the box keeps its last text
    // No message box, but the status and the box's tip say why the capture went off.
    EXPECT_TRUE(shownReason().startsWith("游戏没有运行")) << shownReason().toStdString();
    EXPECT_TRUE(status()->isVisible());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "4321");

    // F12 does nothing more while the capture is off, even with the game back.
    game.setRunning(true);
    const int before = game.captureCount();
    keys_->down.insert(capture::kVkF12);
    ASSERT_TRUE(ticks(5));
    keys_->down.erase(capture::kVkF12);
    EXPECT_EQ(game.captureCount(), before);
}

TEST_F(LiveCaptureTest, HoldingF12CapturesOnceAndEachNewPressAgain)
{
    switchOn();
    game.store(0x00400000, 11);
    QSignalSpy applied(&live(), &gui::LiveCapture::resultApplied);
    keys_->down.insert(capture::kVkF12);
    ASSERT_TRUE(applied.wait(kWaitMs));
    ASSERT_TRUE(ticks(10));
    EXPECT_EQ(game.captureCount(), 1);
    EXPECT_EQ(applied.count(), 1);

    keys_->down.erase(capture::kVkF12);
    ASSERT_TRUE(ticks(2));
    game.store(0x00400000, 12);
    keys_->down.insert(capture::kVkF12);
    ASSERT_TRUE(QTest::qWaitFor([&] { return applied.count() == 2; }, kWaitMs));
    EXPECT_EQ(game.captureCount(), 2);
    EXPECT_EQ(idBox()->text(), "12");

    // F12 with a modifier held does not capture.
    keys_->down = {capture::kVkControl};
    ASSERT_TRUE(ticks(2));
    keys_->down.insert(capture::kVkF12);
    ASSERT_TRUE(ticks(5));
    EXPECT_EQ(game.captureCount(), 2);
}

TEST_F(LiveCaptureTest, SwitchingOffAndOnReusesTheRecordAndTheOneTimer)
{
    // The table asks for its timer once (HotkeyTableTest); here the one poll timer is the one
    // that runs, and switching off and on leaves it running, never a second one beside it.
    QTimer* poll = pollTimer();
    ASSERT_NE(poll, nullptr);
    EXPECT_FALSE(poll->isActive());
    switchOn();
    EXPECT_TRUE(poll->isActive());
    EXPECT_EQ(poll->interval(), capture::kDefaultPollPeriodMs);

    fillBox()->click();
    captureBox()->click();
    expectOff();
    EXPECT_TRUE(poll->isActive()); // it runs on, with nothing to do
    // Off means F12 is no longer watched.
    keys_->down.insert(capture::kVkF12);
    ASSERT_TRUE(ticks(5));
    keys_->down.erase(capture::kVkF12);
    ASSERT_TRUE(ticks(2));
    EXPECT_EQ(game.captureCount(), 0);

    captureBox()->click();
    EXPECT_TRUE(captureBox()->isChecked());
    EXPECT_TRUE(idBox()->isEnabled());
    EXPECT_FALSE(fillBox()->isChecked());
    EXPECT_EQ(live().findChildren<QTimer*>(QStringLiteral("capturePoll")).size(), 1);

    // And F12 works after the revival, read once per press: the old record came back rather
    // than a second one beside it.
    QSignalSpy applied(&live(), &gui::LiveCapture::resultApplied);
    game.store(0x00400000, 606);
    ASSERT_TRUE(pressF12());
    EXPECT_EQ(idBox()->text(), "606");
    ASSERT_TRUE(ticks(5));
    EXPECT_EQ(game.captureCount(), 1);
    EXPECT_EQ(applied.count(), 1);
}

TEST_F(LiveCaptureTest, EveryPressIsAppliedInPressOrderEvenAfterSwitchingOff)
{
    switchOn();
    fillBox()->click();
    putCursor(0, 0);
    QSignalSpy applied(&live(), &gui::LiveCapture::resultApplied);
    game.store(0x00400000, 3030);
    game.setGate(false);
    // Two quick presses while the first read still waits: both fill a cell, in order.
    keys_->down.insert(capture::kVkF12);
    ASSERT_TRUE(QTest::qWaitFor([&] { return game.isWaitingAtGate(); }, kWaitMs));
    keys_->down.erase(capture::kVkF12);
    ASSERT_TRUE(ticks(2));
    keys_->down.insert(capture::kVkF12);
    ASSERT_TRUE(ticks(2));
    keys_->down.erase(capture::kVkF12);
    ASSERT_TRUE(ticks(2)); // seen up, or the next press would be this one still held
    game.setGate(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return applied.count() == 2; }, kWaitMs));
    EXPECT_EQ(game.captureCount(), 2);
    EXPECT_EQ(cell(0, 0), "3030");
    EXPECT_EQ(cell(0, 1), "3030");
    EXPECT_EQ(cursor(), window().grid(0)->model()->index(0, 2));

    // A read under way when the capture is switched off still shows what F12 found.
    game.store(0x00400000, 4040);
    game.setGate(false);
    keys_->down.insert(capture::kVkF12);
    ASSERT_TRUE(QTest::qWaitFor([&] { return game.isWaitingAtGate(); }, kWaitMs));
    keys_->down.erase(capture::kVkF12);
    captureBox()->click();
    expectOff();
    game.setGate(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return applied.count() == 3; }, kWaitMs));
    EXPECT_EQ(idBox()->text(), "4040");
    EXPECT_EQ(cell(0, 2), ""); // the fill box went off with the capture
}

TEST_F(LiveCaptureTest, ClosingTheWindowWaitsForARunningRead)
{
    switchOn();
    game.store(0x00400000, 1);
    game.setGate(false);
    keys_->down.insert(capture::kVkF12);
    ASSERT_TRUE(QTest::qWaitFor([&] { return game.isWaitingAtGate(); }, kWaitMs));
    // The worker is let go a moment after the window starts to go away; the window must wait
    // for it rather than leave it reading a game object that no longer exists.
    std::thread opener([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        game.setGate(true);
    });
    window_.reset();
    opener.join();
    EXPECT_EQ(game.captureCount(), 1);
}
