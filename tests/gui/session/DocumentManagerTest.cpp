#include "gui/session/DocumentManager.h"

#include "GuiTestSupport.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"
#include "core/workspace/NpcDiscovery.h"
#include "gui/session/WorkspaceSession.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace shopkeeper;
using namespace shopkeeper::test;
using gui::DocumentManager;
using gui::DocumentState;
using Choice = gui::Dialogs::SaveChoice;

namespace {

// The manager over the two sessions of a generated workspace, with its NPC list made.
class Documents : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(generator::generateWorkspace(dir.path(), {.shops = 6, .npcs = 6, .seed = 7}).has_value());
        shops = workspace::loadWorkspace(workspace::Workspace(dir.path())).value().shopFiles;
        manager.setConfirmationDelay(30);
        QSignalSpy listed(&workspace, &gui::WorkspaceSession::listReady);
        ASSERT_TRUE(manager.loadWorkspace());
        ASSERT_TRUE(listed.wait(20000));
        QObject::connect(&manager, &DocumentManager::stateChanged,
                         [this](DocumentState state) { states.push_back(state); });
    }
    void edit(const QString& value = "4711") { ASSERT_FALSE(session.editCell(0, {0, 0}, value)); }
    std::string cellOnDisk(const std::filesystem::path& shop)
    {
        const workspace::Workspace ws(dir.path());
        return shop::ShopReader::open(shop, ws.shopStringTablePath()).value().page(0).cell(0, 0);
    }
    // Saves and waits until the shop was read again; true when it was written.
    bool saveAndWait()
    {
        QSignalSpy finished(&manager, &DocumentManager::saveFinished);
        if (!manager.save())
            return false;
        EXPECT_TRUE(finished.wait(10000));
        manager.waitUntilIdle();
        return finished.first().first().toBool();
    }

    TempDir dir;
    std::vector<std::filesystem::path> shops;
    ScriptedDialogs dialogs;
    QWidget window;
    gui::ShopSession session{dir.path()};
    gui::WorkspaceSession workspace{session};
    DocumentManager manager{session, workspace, dialogs, &window};
    std::vector<DocumentState> states;
};

using S = DocumentState;

} // namespace

TEST_F(Documents, OpeningSavingAndReadingAgainPassThroughTheirStates)
{
    QSignalSpy opened(&manager, &DocumentManager::shopOpened);
    QSignalSpy rows(&manager, &DocumentManager::openRowChanged);
    ASSERT_TRUE(manager.openNpc(1));
    EXPECT_EQ(states, (std::vector{S::Opening, S::Idle}));
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(rows.first().first().toInt(), 1);
    const auto path = session.path();

    // The grids take no edit from the write until the shop was read again; the tick is a state.
    states.clear();
    edit();
    session.addTwoRows(1); // two empty rows: the save's tidying removes them
    std::vector<bool> editable;
    QObject::connect(&manager, &DocumentManager::stateChanged,
                     [&] { editable.push_back(session.isEditable()); });
    EXPECT_TRUE(saveAndWait());
    EXPECT_EQ(states, (std::vector{S::Saving, S::Confirming, S::Reopening, S::Idle}));
    EXPECT_EQ(editable, (std::vector{false, false, false, true}));
    EXPECT_EQ(opened.count(), 2);
    EXPECT_EQ(cellOnDisk(path), "4711");
    EXPECT_FALSE(session.isModified());
    EXPECT_TRUE(dialogs.messages.empty());

    // A second save while one runs does not start.
    edit("4712");
    ASSERT_TRUE(manager.save());
    EXPECT_FALSE(manager.save());
    manager.waitUntilIdle();

    // Nothing open: the save says so and stays idle.
    session.reset();
    states.clear();
    EXPECT_FALSE(manager.save());
    EXPECT_TRUE(states.empty());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("保存失败！"));
}

TEST_F(Documents, AFailedSaveTidiesTheGridsAndKeepsTheEdits)
{
    ASSERT_TRUE(manager.openNpc(1));
    session.addTwoRows(0);
    edit("5150");
    const int rows = session.document().page(0).rowCount();
    std::filesystem::permissions(session.path(), std::filesystem::perms::owner_read);
    states.clear();
    EXPECT_FALSE(saveAndWait());
    EXPECT_EQ(states, (std::vector{S::Saving, S::Idle}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("保存失败！"));
    // The two empty rows went and no cell is empty, as the save sequence has it before writing.
    EXPECT_EQ(session.document().page(0).rowCount(), rows - 2);
    for (const auto& row : session.document().page(0).rows())
        for (const auto& cell : row)
            EXPECT_FALSE(cell.empty());
    EXPECT_EQ(session.document().page(0).cell(0, 0), "5150");
    EXPECT_TRUE(session.isModified());
    EXPECT_TRUE(session.isEditable());
}

// Every caller that replaces the shop asks through settle(): the answers and what follows each.
TEST_F(Documents, SettleAsksOnceForEveryCallerAndDoesWhatTheAnswerSays)
{
    ASSERT_TRUE(manager.openNpc(1));
    const auto first = session.path();
    EXPECT_TRUE(manager.settle()); // nothing to ask
    EXPECT_TRUE(dialogs.questions.empty());

    struct Row
    {
        const char* what;
        Choice choice;
        bool goesOn;
        const char* onDisk; // the first cell of the first shop afterwards
    };
    const std::string original = cellOnDisk(first);
    const Row rows[] = {{"cancel", Choice::Cancel, false, nullptr},
                        {"discard", Choice::Discard, true, nullptr},
                        {"save", Choice::Save, true, "6006"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(manager.openNpc(1));
        edit("6006");
        dialogs.saveChoices = {row.choice};
        states.clear();
        EXPECT_EQ(manager.settle(), row.goesOn);
        EXPECT_EQ(cellOnDisk(first), row.onDisk ? std::string(row.onDisk) : original);
        EXPECT_EQ(manager.state(), S::Idle);
        // A save asked for here runs with its read before settle() returns.
        if (row.choice == Choice::Save) {
            EXPECT_EQ(states, (std::vector{S::Saving, S::Confirming, S::Reopening, S::Idle}));
            EXPECT_FALSE(session.isModified());
        }
        if (row.choice == Choice::Cancel)
            session.undoStack()->undo();
    }

    // The NPC switch keeps the open row when the user keeps the edits.
    edit("7007");
    dialogs.saveChoices = {Choice::Cancel};
    QSignalSpy rowsShown(&manager, &DocumentManager::openRowChanged);
    EXPECT_FALSE(manager.openNpc(3));
    EXPECT_EQ(rowsShown.first().first().toInt(), 1);
    EXPECT_EQ(session.path(), first);
    // A place in another shop, the same way; the open shop unmodified needs no question.
    dialogs.saveChoices = {Choice::Discard};
    EXPECT_TRUE(manager.openFile(shops[2]));
    EXPECT_EQ(session.path(), shops[2]);
    const auto asked = dialogs.questions.size();
    EXPECT_TRUE(manager.openFile(shops[2]));
    EXPECT_EQ(dialogs.questions.size(), asked);

    // Pasted items: a different question, and nothing to save.
    session.readPasted("1\t2\t");
    session.addTwoRows(0);
    dialogs.answers = {false};
    EXPECT_FALSE(manager.settle());
    EXPECT_EQ(dialogs.questions.back().text, "表格中的数据尚未输出，是否放弃？");
}

TEST_F(Documents, ABatchWriteLocksTheShopAndReadsItAgain)
{
    ASSERT_TRUE(manager.openNpc(1));
    ASSERT_TRUE(manager.beginWrite());
    EXPECT_FALSE(manager.save());
    EXPECT_FALSE(manager.settle());
    session.addTwoRows(0);
    EXPECT_FALSE(session.isModified());
    writeFile(session.path(), readFile(session.path()) + "; replaced\r\n");
    states.clear();
    manager.endWrite(true);
    EXPECT_EQ(states, (std::vector{S::Reopening, S::Idle}));
    EXPECT_TRUE(session.isEditable());
    // The fingerprint is the new file's: a save does not take it for another program's change.
    edit();
    EXPECT_TRUE(saveAndWait());
    EXPECT_TRUE(dialogs.questions.empty());
}

#ifndef _WIN32
// Another process holds the workspace's save lock: the save waits for it on the runner, while
// the window's thread goes on handling its events.
TEST_F(Documents, ASaveWaitingForAnotherProcesssLockKeepsTheWindowResponsive)
{
    ASSERT_TRUE(manager.openNpc(1));
    edit("8118");
    const auto lockTarget =
        shop::ShopWriter::lockFileFor(workspace::Workspace(dir.path()).shopStringTablePath());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(lockTarget.c_str(), O_RDONLY);
        const bool locked = fd >= 0 && ::flock(fd, LOCK_EX) == 0;
        const char byte = locked ? 1 : 0;
        (void)!::write(ready[1], &byte, 1);
        ::usleep(700 * 1000);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 1);

    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longestGap = 0;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - last);
        last = now;
        ++ticks;
    });
    clock.start();
    tick.start(5);
    QSignalSpy finished(&manager, &DocumentManager::saveFinished);
    ASSERT_TRUE(manager.save());
    QTest::qWait(300);
    EXPECT_EQ(manager.state(), S::Saving) << "the save waits for the lock";
    EXPECT_GT(ticks, 20);
    ASSERT_TRUE(finished.wait(10000));
    tick.stop();
    EXPECT_TRUE(finished.first().first().toBool());
    EXPECT_GE(clock.elapsed(), 500);
    EXPECT_LT(longestGap, 250) << "the window's thread was blocked";
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    ::close(ready[0]);
    ::close(ready[1]);
    manager.waitUntilIdle();
    EXPECT_EQ(cellOnDisk(session.path()), "8118");
}
#endif

// Another program writes the open shop or its table: without edits the shop is read again and
// that is said; with edits the user is asked, once per change, and "keep editing" keeps them.
// The manager's own save is no such change.
TEST_F(Documents, AShopAnotherProgramWritesIsReadAgainOrAskedAbout)
{
    ASSERT_TRUE(manager.openNpc(1));
    const auto path = session.path();
    const auto table = workspace::Workspace(dir.path()).shopStringTablePath();
    const auto showsDisk = [&] {
        return io::fingerprintOf(path, readFile(path)).sameContentAs(session.document().source().fingerprint);
    };
    QSignalSpy reloaded(&manager, &DocumentManager::diskReloaded);
    writeFile(path, readFile(path) + "; theirs\r\n");
    ASSERT_TRUE(reloaded.wait(5000));
    EXPECT_TRUE(showsDisk());
    EXPECT_TRUE(reloaded.first().first().toString().contains(gui::nativePath(path)));
    writeFile(table, readFile(table) + "npc_other>x\r\n");
    ASSERT_TRUE(reloaded.wait(5000));
    EXPECT_TRUE(dialogs.questions.empty());

    edit("9229");
    dialogs.answers = {false};
    writeFile(path, readFile(path) + "; again\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.questions.size() == 1; }, 5000));
    QTest::qWait(300);
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(session.document().page(0).cell(0, 0), "9229");
    EXPECT_TRUE(session.isModified());
    EXPECT_FALSE(showsDisk());

    dialogs.answers = {true};
    writeFile(path, readFile(path) + "; third\r\n");
    ASSERT_TRUE(reloaded.wait(5000));
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_FALSE(session.isModified());
    EXPECT_TRUE(showsDisk());

    const auto before = reloaded.count();
    edit("1231");
    EXPECT_TRUE(saveAndWait());
    QTest::qWait(400);
    EXPECT_EQ(reloaded.count(), before);
    EXPECT_EQ(dialogs.questions.size(), 2u);
}
