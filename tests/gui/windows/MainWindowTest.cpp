#include "GuiTestSupport.h"
#include "core/io/FileSystem.h"
#include "core/workspace/NpcDiscovery.h"
#include "gui/settings/Settings.h"
#include "gui/widgets/WorkspaceChooser.h"
#include "gui/windows/HelpWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

using namespace shopkeeper;
using namespace shopkeeper::test;

namespace {

QStringList comboItems(QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

QStringList tabCaptions(QWidget* window)
{
    auto* tabs = child<QTabWidget>(window, "选择夹1");
    QStringList out;
    for (int i = 0; i < tabs->count(); ++i)
        out << tabs->tabText(i);
    return out;
}

const QStringList kDefaultCaptions = {"第一页", "第二页", "第三页", "第四页", "第五页"};

} // namespace

using MainWindowStart = EditorFixture;

TEST_F(MainWindowStart, EveryControlStartsInItsFreshState)
{
    auto& w = window();
    EXPECT_EQ(w.size(), QSize(700, 560));
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    for (const char* disabled : {"NPC组合框", "保存按钮", "修理选择框", "编辑页按钮", "选择框2", "ID框"})
        EXPECT_FALSE(child<QWidget>(&w, disabled)->isEnabled()) << disabled;
    for (const char* enabled :
         {"载入按钮", "读取按钮", "输出按钮", "清空本页按钮", "清空所有按钮", "增加按钮", "选择框1"})
        EXPECT_TRUE(child<QWidget>(&w, enabled)->isEnabled()) << enabled;
    EXPECT_FALSE(child<QLabel>(&w, "标签9")->isVisible());
    EXPECT_FALSE(child<QCheckBox>(&w, "修理选择框")->isChecked());
    EXPECT_EQ(child<QLabel>(&w, "标签8")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(child<QPushButton>(&w, "载入按钮")->text(), "载入NPC");
    EXPECT_EQ(child<QPushButton>(&w, "保存按钮")->text(), "保存文件");
    EXPECT_EQ(child<QPushButton>(&w, "增加按钮")->text(), "↑增加两行↑");
    EXPECT_EQ(child<QPushButton>(&w, "编辑页按钮")->text(), "编辑页名称");
    EXPECT_EQ(child<QLabel>(&w, "标签14")->text(), "加载外置ID→→→→→→");
    EXPECT_EQ(tabCaptions(&w), kDefaultCaptions);
    EXPECT_TRUE(child<QLabel>(&w, "标签1")->text().contains("Ver1.2"));
    EXPECT_TRUE(child<QLineEdit>(&w, "路径框")->text().isEmpty());
    EXPECT_EQ(combo()->count(), 0);
}

using LoadFlow = EditorFixture;

TEST_F(LoadFlow, ListsEveryNpcShopInOrderAndEnablesTheControls)
{
    makeWorkspace(14, 20);
    auto& w = window();
    QSignalSpy ready(&w, &gui::MainWindow::npcListReady);
    child<QPushButton>(&w, "载入按钮")->click();
    // While the job runs the label shows and the three list controls wait.
    if (ready.count() == 0) {
        EXPECT_TRUE(child<QLabel>(&w, "标签9")->isVisible());
        EXPECT_FALSE(child<QPushButton>(&w, "载入按钮")->isEnabled());
        EXPECT_FALSE(child<QPushButton>(&w, "保存按钮")->isEnabled());
        ASSERT_TRUE(ready.wait(20000));
    }
    QStringList expected = {"↓请选择一个NPC↓"};
    auto state = workspace::loadWorkspace(workspace::Workspace(dir.path()));
    ASSERT_TRUE(state.has_value());
    for (const auto& entry : workspace::buildNpcList(*state))
        expected << gui::qs(entry.npcName);
    EXPECT_EQ(comboItems(combo()), expected);
    EXPECT_EQ(combo()->currentIndex(), 0);
    EXPECT_FALSE(child<QLabel>(&w, "标签9")->isVisible());
    for (const char* enabled : {"载入按钮", "NPC组合框", "保存按钮", "编辑页按钮", "修理选择框"})
        EXPECT_TRUE(child<QWidget>(&w, enabled)->isEnabled()) << enabled;
    EXPECT_TRUE(child<QLineEdit>(&w, "路径框")->text().isEmpty());

    ASSERT_TRUE(load());
    EXPECT_EQ(comboItems(combo()), expected);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LoadFlow, EachMissingRequiredFileGivesTheMessageAndTheLoadButtonWorksAgain)
{
    for (const char* missing : {"itemshop/itemshop.kor.str", "itemshop/itemshop.lst", "npc/npc.kor.str"}) {
        SCOPED_TRACE(missing);
        TempDir folder;
        ASSERT_TRUE(
            generator::generateWorkspace(folder.path(), {.shops = 3, .npcs = 3, .seed = 1}).has_value());
        std::filesystem::remove(folder / missing);
        ScriptedDialogs boxes;
        gui::MainWindow w(folder.path(), boxes);
        child<QPushButton>(&w, "载入按钮")->click();
        ASSERT_EQ(boxes.messages.size(), 1u);
        EXPECT_EQ(boxes.messages[0].title, "错误提示");
        EXPECT_EQ(boxes.messages[0].icon, gui::Dialogs::Icon::Error);
        // The core's message, and a line on how to choose another folder.
        EXPECT_EQ(boxes.messages[0].text, gui::qs(workspace::Workspace(folder.path()).missingFilesMessage()) +
                                              "\r\n" + gui::kChooseWorkspaceHint);
        EXPECT_TRUE(boxes.messages[0].text.contains("itemshop.lst"));
        EXPECT_TRUE(child<QPushButton>(&w, "载入按钮")->isEnabled());
        EXPECT_EQ(child<QComboBox>(&w, "NPC组合框")->count(), 0);
    }
}

TEST_F(LoadFlow, AWorkspaceWithoutNpcShopsLeavesTheEditorEmpty)
{
    makeWorkspace(4, 4);
    ASSERT_TRUE(load());
    choose(1);
    ASSERT_GT(window().grid(0)->model()->rowCount(), 0);
    // Every NPC shop becomes a plain item shop.
    for (const auto& path : io::listFiles(dir / "itemshop", "*.shp")) {
        auto text = readFile(path);
        for (const char* kind : {"[etc shop]", "[weapon shop]"}) {
            for (auto at = text.find(kind); at != std::string::npos; at = text.find(kind))
                text.replace(at, std::string(kind).size(), "[item shop]");
        }
        writeFile(path, text);
    }
    child<QPushButton>(&window(), "载入按钮")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.messages.empty(); }, 10000));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "没有找到可修改的NPC商店文件！");
    EXPECT_EQ(dialogs.messages[0].title, "错误提示");
    EXPECT_EQ(combo()->count(), 0);
    EXPECT_TRUE(child<QLineEdit>(&window(), "路径框")->text().isEmpty());
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(window().grid(k)->model()->rowCount(), 0);
    EXPECT_TRUE(child<QPushButton>(&window(), "载入按钮")->isEnabled());
}

TEST_F(LoadFlow, ChoosingThePromptDoesNothingAndChoosingAShopShowsItsPath)
{
    makeWorkspace(6, 8);
    ASSERT_TRUE(load());
    choose(0);
    EXPECT_TRUE(child<QLineEdit>(&window(), "路径框")->text().isEmpty());
    EXPECT_EQ(window().grid(0)->model()->rowCount(), 0);

    auto state = workspace::loadWorkspace(workspace::Workspace(dir.path()));
    ASSERT_TRUE(state.has_value());
    choose(3);
    EXPECT_EQ(child<QLineEdit>(&window(), "路径框")->text(), gui::nativePath(state->shopFiles[2]));
    EXPECT_GT(window().grid(0)->model()->rowCount(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LoadFlow, TheTitleStripsWorkspacePathSwitchesToAChosenOrARecentFolder)
{
    makeWorkspace(4, 4);
    TempDir other;
    ASSERT_TRUE(generator::generateWorkspace(other.path(), {.shops = 3, .npcs = 3, .seed = 2}).has_value());
    auto& w = window();
    ASSERT_TRUE(load());
    choose(1);
    w.session().addTwoRows(0);
    auto* chooser = child<gui::WorkspaceChooser>(&w, "工作目录按钮");
    EXPECT_TRUE(chooser->text().startsWith("工作目录："));
    const auto menuEntry = [&](const QString& text) -> QAction* {
        chooser->click();
        EXPECT_TRUE(chooser->workspaceMenu()->isVisible());
        chooser->workspaceMenu()->hide();
        for (auto* action : chooser->workspaceMenu()->actions()) {
            if (action->text() == text)
                return action;
        }
        ADD_FAILURE() << "no menu entry " << text.toStdString();
        return nullptr;
    };

    // Unsaved changes are settled first: Cancel keeps everything as it was.
    dialogs.folderAnswers = {gui::fromPath(other.path())};
    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Cancel};
    menuEntry("选择工作目录…")->trigger();
    ASSERT_EQ(dialogs.folderDialogs.size(), 1u);
    EXPECT_EQ(dialogs.folderDialogs[0].text, gui::nativePath(dir.path()));
    EXPECT_EQ(w.workspacePath(), dir.path());
    EXPECT_GT(combo()->count(), 0);

    // Discarded, the chosen folder is the workspace and the editor starts afresh on it.
    dialogs.folderAnswers = {gui::fromPath(other.path())};
    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Discard};
    menuEntry("选择工作目录…")->trigger();
    EXPECT_EQ(w.workspacePath(), other.path());
    EXPECT_EQ(combo()->count(), 0);
    EXPECT_FALSE(combo()->isEnabled());
    EXPECT_FALSE(w.session().isBound());
    EXPECT_FALSE(w.session().isModified());
    EXPECT_TRUE(child<QLineEdit>(&w, "路径框")->text().isEmpty());
    EXPECT_TRUE(w.windowTitle().contains(gui::nativePath(other.path())));
    EXPECT_EQ(chooser->folder(), gui::nativePath(other.path()));
    EXPECT_EQ(gui::settings::recentWorkspaces(),
              (QStringList{gui::fromPath(other.path()), gui::fromPath(dir.path())}));
    ASSERT_TRUE(load());
    EXPECT_GT(combo()->count(), 1);

    // The first workspace, again from the recent list; nothing to save this time.
    menuEntry(gui::nativePath(dir.path()))->trigger();
    EXPECT_EQ(w.workspacePath(), dir.path());
    EXPECT_EQ(gui::settings::recentWorkspaces().first(), gui::fromPath(dir.path()));
    EXPECT_EQ(dialogs.questions.size(), 2u);
}

TEST_F(MainWindowStart, TheHelpWindowIsModalReadOnlyAndClosesByItsPicture)
{
    auto& w = window();
    bool closedByPicture = false;
    withNextModal(
        [&](QWidget* modal) {
            auto* help = qobject_cast<gui::HelpWindow*>(modal);
            ASSERT_NE(help, nullptr);
            EXPECT_TRUE(help->isModal());
            EXPECT_EQ(help->size(), QSize(403, 469));
            EXPECT_EQ(child<QLabel>(help, "标签1")->text(), "使用帮助");
            const QString text = child<QPlainTextEdit>(help, "超级编辑框1")->toPlainText();
            EXPECT_TRUE(child<QPlainTextEdit>(help, "超级编辑框1")->isReadOnly());
            EXPECT_TRUE(text.contains("id-name.txt"));
            // It names the folder the table is read from: the workspace, not the program's.
            EXPECT_TRUE(text.contains(gui::nativePath(dir.path()))) << text.toStdString();
            QTest::mouseClick(child<QWidget>(help, "关闭按钮S"), Qt::LeftButton);
            closedByPicture = !help->isVisible();
        },
        [&] { child<QPushButton>(&w, "帮助按钮")->click(); });
    EXPECT_TRUE(closedByPicture);
}

TEST_F(MainWindowStart, EveryWindowWearsTheSameFrameAndItsPicturesAct)
{
    auto& w = window();
    // The strip, the edges along the sides, and the pictures at their places on the strip.
    const auto checkFrame = [](QWidget* frame, const char* strip, const char* close, int closeX,
                               const char* minimise, int minimiseX) {
        SCOPED_TRACE(close);
        const int width = frame->width();
        const int height = frame->height();
        EXPECT_TRUE(frame->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(child<QLabel>(frame, strip)->geometry(), QRect(0, 0, width, 25));
        EXPECT_EQ(child<QLabel>(frame, "标签2")->geometry(), QRect(0, 0, 1, height));
        EXPECT_EQ(child<QLabel>(frame, "标签3")->geometry(), QRect(width - 1, 0, 1, height));
        EXPECT_EQ(child<QLabel>(frame, "标签4")->geometry(), QRect(0, height - 1, width, 1));
        EXPECT_EQ(child<QWidget>(frame, close)->geometry(), QRect(closeX, 0, 25, 25));
        if (*minimise) {
            EXPECT_EQ(child<QWidget>(frame, minimise)->geometry(), QRect(minimiseX, 0, 25, 25));
        }
    };
    checkFrame(&w, "标签1", "关闭按钮", 671, "最小化按钮", 638);
    withNextModal([&](QWidget* help) { checkFrame(help, "标签1", "关闭按钮S", 371, "", 0); },
                  [&] { child<QPushButton>(&w, "帮助按钮")->click(); });
    bool rejected = false;
    withNextModal(
        [&](QWidget* transfer) {
            checkFrame(transfer, "标签1", "关闭按钮S", 483, "", 0);
            QTest::mouseClick(child<QWidget>(transfer, "关闭按钮S"), Qt::LeftButton);
            rejected =
                !transfer->isVisible() && qobject_cast<QDialog*>(transfer)->result() == QDialog::Rejected;
        },
        [&] { child<QPushButton>(&w, "读取按钮")->click(); });
    EXPECT_TRUE(rejected);

    child<QPushButton>(&w, "预览按钮")->click();
    child<QPushButton>(&w, "搜索按钮")->click();
    const QPointer<QWidget> preview = w.previewWindow();
    const QPointer<QWidget> search = w.searchWindow();
    checkFrame(preview, "标题标签", "关闭按钮Y", 700, "最小化按钮Y", 670);
    checkFrame(search, "标题标签", "关闭按钮SS", 302, "最小化按钮SS", 272);
    for (const auto& [secondary, minimise, close] : {std::tuple{preview, "最小化按钮Y", "关闭按钮Y"},
                                                     std::tuple{search, "最小化按钮SS", "关闭按钮SS"}}) {
        QTest::mouseClick(child<QWidget>(secondary, minimise), Qt::LeftButton);
        EXPECT_TRUE(secondary->isMinimized()) << minimise;
        QTest::mouseClick(child<QWidget>(secondary, close), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(secondary.isNull()) << close;
    }
    QTest::mouseClick(child<QWidget>(&w, "最小化按钮"), Qt::LeftButton);
    EXPECT_TRUE(w.isMinimized());
}

TEST_F(MainWindowStart, DraggingTheTitleStripMovesTheWindow)
{
    auto& w = window();
    auto* strip = child<QLabel>(&w, "标签1");
    const QPoint before = w.pos();
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(100, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(140, 40), strip->mapToGlobal(QPointF(140, 40)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &move);
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(140, 40));
    EXPECT_EQ(w.pos(), before + QPoint(40, 30));
}

// Every control, the tools menu and the grids show what the one rule says, in each state the
// window passes through from a fresh start to the tick of a save.
TEST_F(LoadFlow, EveryControlShowsTheOneRuleInEachState)
{
    makeWorkspace(4, 4);
    auto& w = window();
    const auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        const auto on = gui::actionsFor(w.editorState());
        const std::pair<const char*, bool> controls[] = {{"载入按钮", on.load},
                                                         {"NPC组合框", on.npcList},
                                                         {"保存按钮", on.save},
                                                         {"修理选择框", on.repair},
                                                         {"编辑页按钮", on.editPageNames},
                                                         {"增加按钮", on.addRows},
                                                         {"清空本页按钮", on.clearPage},
                                                         {"清空所有按钮", on.clearAll},
                                                         {"读取按钮", on.read},
                                                         {"输出按钮", on.output},
                                                         {"外置ID选择框", on.externalTable},
                                                         {"工作目录按钮", on.chooser},
                                                         {"选择框2", on.fillBox},
                                                         {"ID框", on.idBox}};
        for (const auto& [name, enabled] : controls)
            EXPECT_EQ(child<QWidget>(&w, name)->isEnabled(), enabled) << name;
        const auto tools = w.toolsMenu()->actions();
        EXPECT_EQ(tools[0]->isEnabled(), on.whereUsed);
        EXPECT_EQ(tools[1]->isEnabled(), on.replace);
        EXPECT_EQ(tools[2]->isEnabled(), on.check);
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(w.grid(k)->editTriggers() != QAbstractItemView::NoEditTriggers, on.grids);
        return on;
    };
    check("fresh");
    ASSERT_TRUE(load());
    check("listed");
    choose(1);
    EXPECT_TRUE(check("open").grids);
    bool ticked = false;
    QObject::connect(&w, &gui::MainWindow::saveConfirming, [&] {
        const auto on = check("the save's tick");
        EXPECT_FALSE(on.grids || on.save || on.replace || on.chooser);
        EXPECT_EQ(child<QPushButton>(&w, "保存按钮")->text(), "√√√");
        ticked = true;
    });
    w.setSaveConfirmationDelay(50);
    EXPECT_TRUE(save());
    EXPECT_TRUE(ticked);
    EXPECT_TRUE(check("read again").save);
}
