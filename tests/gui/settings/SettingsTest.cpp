#include "gui/settings/Settings.h"

#include "GuiTestSupport.h"
#include "gui/widgets/WindowPlacement.h"
#include "gui/windows/CheckWindow.h"
#include "gui/windows/ReplaceWindow.h"
#include "gui/windows/WhereUsedWindow.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSettings>

using namespace shopkeeper;
using namespace shopkeeper::test;

namespace {

QRect screenArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

TEST(Settings, TheRecentWorkspacesAreTheLastEightMostRecentFirst)
{
    TempDir dir;
    QStringList folders;
    for (int i = 0; i < 10; ++i) {
        std::filesystem::create_directories(dir / std::to_string(i));
        folders << gui::fromPath(dir / std::to_string(i));
        gui::settings::rememberWorkspace(folders.back());
    }
    QStringList expected;
    for (int i = 9; i >= 2; --i)
        expected << folders[i];
    EXPECT_EQ(gui::settings::recentWorkspaces(), expected);

    // Used again, a folder moves to the front instead of being listed twice.
    gui::settings::rememberWorkspace(folders[4] + "/");
    expected.removeAll(folders[4]);
    expected.prepend(folders[4]);
    EXPECT_EQ(gui::settings::recentWorkspaces(), expected);

    // The start takes the most recent folder that is still there, else the fallback.
    EXPECT_EQ(gui::settings::startWorkspace("/fallback"), folders[4]);
    std::filesystem::remove(dir / "4");
    EXPECT_EQ(gui::settings::startWorkspace("/fallback"), folders[9]);
    QSettings().clear();
    EXPECT_EQ(gui::settings::startWorkspace("/fallback"), "/fallback");
}

// An installed editor's folder holds no workspace: started without one and with no recent one,
// the user is asked; a named folder, a recent one or a program folder that is a workspace is not.
TEST(Settings, TheWorkspaceIsAskedForOnlyWhenTheProgramsFolderIsNoneAndNothingElseIs)
{
    TempDir programs;
    const QString installed = gui::fromPath(programs.path());
    EXPECT_TRUE(gui::settings::asksForWorkspaceAtStart(false, installed));
    EXPECT_FALSE(gui::settings::asksForWorkspaceAtStart(true, installed));
    TempDir recent;
    gui::settings::rememberWorkspace(gui::fromPath(recent.path()));
    EXPECT_FALSE(gui::settings::asksForWorkspaceAtStart(false, installed));
    QSettings().clear();
    ASSERT_TRUE(
        generator::generateWorkspace(programs.path(), {.shops = 2, .npcs = 2, .seed = 1}).has_value());
    EXPECT_FALSE(gui::settings::asksForWorkspaceAtStart(false, installed));
}

using WindowPositions = EditorFixture;

TEST_F(WindowPositions, EachWindowComesBackWhereItWasKeptOnAScreenThatExists)
{
    const QRect area = screenArea();
    // Saved on a screen that is gone: the main window comes back fully on this one.
    gui::settings::setWindowPosition("main", area.bottomRight() + QPoint(3000, 2000));
    auto& w = window();
    EXPECT_TRUE(area.contains(w.frameGeometry())) << w.pos().x() << "," << w.pos().y();

    // Moved while shown, the preview is remembered and opens there again.
    child<QPushButton>(&w, "预览按钮")->click();
    QPointer<QWidget> preview = w.previewWindow();
    const QPoint place = area.topLeft() + QPoint(30, 20);
    preview->move(place);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gui::settings::windowPosition("preview") == place; }, 2000));
    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(preview.isNull());
    child<QPushButton>(&w, "预览按钮")->click();
    EXPECT_EQ(w.previewWindow()->pos(), place);

    // The modal windows too: the help window opens where it was left.
    gui::settings::setWindowPosition("help", area.topLeft() + QPoint(-5000, 10));
    withNextModal([&](QWidget* help) { EXPECT_TRUE(area.contains(help->frameGeometry())); },
                  [&] { child<QPushButton>(&w, "帮助按钮")->click(); });
    gui::settings::setWindowPosition("help", area.topLeft() + QPoint(12, 14));
    withNextModal([&](QWidget* help) { EXPECT_EQ(help->pos(), area.topLeft() + QPoint(12, 14)); },
                  [&] { child<QPushButton>(&w, "帮助按钮")->click(); });
    // The tool windows open clear of each other's title strips, and each comes back where it was.
    w.showWhereUsed();
    w.showReplace();
    w.showCheck();
    const QList<QWidget*> tools = {w.whereUsedWindow(), w.replaceWindow(), w.checkWindow()};
    for (int i = 0; i < tools.size(); ++i) {
        EXPECT_TRUE(area.contains(tools[i]->frameGeometry())) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_GE(std::abs(tools[i]->y() - tools[j]->y()), gui::kCascadeStep) << i << " over " << j;
    }
    const QPoint left = area.topLeft() + QPoint(40, 50);
    w.replaceWindow()->move(left);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gui::settings::windowPosition("replace") == left; }, 2000));
    QPointer<QWidget> replace = w.replaceWindow();
    replace->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(replace.isNull());
    w.showReplace();
    EXPECT_EQ(w.replaceWindow()->pos(), left);
}
