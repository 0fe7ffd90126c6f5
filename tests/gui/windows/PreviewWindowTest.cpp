#include "gui/windows/PreviewWindow.h"

#include "FakeLookup.h"
#include "GuiTestSupport.h"
#include "gui/grid/PreviewGridModel.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

using namespace shopkeeper;
using namespace shopkeeper::test;

namespace {

class Preview : public EditorFixture
{
protected:
    void SetUp() override
    {
        lookup = std::make_shared<FakeLookup>();
        lookup->names = {{"1001", "一把名字很长很长的精钢长剑，可以换行显示"}, {"1002", "小红药水"}};
        itemTables = std::make_unique<FixedTables>(lookup);
        (void)window();
    }
    gui::PreviewWindow* open()
    {
        child<QPushButton>(&window(), "预览按钮")->click();
        auto* preview = window().previewWindow();
        EXPECT_NE(preview, nullptr);
        return preview;
    }
    bool refresh(gui::PreviewWindow* preview)
    {
        QSignalSpy done(preview, &gui::PreviewWindow::refreshed);
        child<QPushButton>(preview, "刷新按钮")->click();
        return done.count() > 0 || done.wait(10000);
    }
    void setCell(int page, int row, int column, const QString& text)
    {
        auto* model = window().grid(page)->gridModel();
        model->setData(model->index(row, column), text, Qt::EditRole);
    }

    std::shared_ptr<FakeLookup> lookup;
};

} // namespace

TEST_F(Preview, OpensEmptyBesideTheMainWindowAndARefreshOfEmptyGridsShowsNoRows)
{
    window().session().clearAllPages();
    auto* preview = open();
    EXPECT_EQ(preview->size(), QSize(728, 513));
    // The offscreen screen (800 wide) has no room beside the 700-wide main window: the preview
    // goes as far right as it can while fully on the screen.
    const QRect screen = window().screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(preview->frameGeometry())) << screen.width();
    EXPECT_EQ(preview->frameGeometry().right(), screen.right());
    EXPECT_EQ(child<QLabel>(preview, "标签1")->text(), "内置物品ID仅供参考！");
    EXPECT_EQ(child<QPushButton>(preview, "刷新按钮")->text(), "刷　新");
    EXPECT_EQ(preview->model(0)->rowCount(), 0);
    ASSERT_TRUE(refresh(preview));
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(preview->model(k)->rowCount(), 0);
    EXPECT_FALSE(child<QLabel>(preview, "加载标签")->isVisible());
}

TEST_F(Preview, ShowsNamesLaidOutLikeTheGridsAfterTidyingThem)
{
    auto& w = window();
    w.session().addTwoRows(0);
    setCell(0, 0, 0, "1001");
    setCell(0, 0, 1, "1002");
    setCell(0, 2, 3, "5555"); // row 1 stays empty and goes
    setCell(2, 0, 6, "1002");
    auto names = w.session().pageNames();
    names[2] = "药水";
    w.session().renamePages(names);
    const int steps = w.session().undoStack()->count();

    auto* preview = open();
    ASSERT_TRUE(refresh(preview));
    // The main grids lost the empty row and show "-1" in red in the empty cells.
    ASSERT_EQ(w.grid(0)->model()->rowCount(), 2);
    EXPECT_EQ(w.grid(0)->gridModel()->cellText(0, 2), "-1");
    EXPECT_EQ(w.grid(0)->model()->index(0, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_EQ(w.session().undoStack()->count(), steps + 1);
    // The preview: names in the same places, empty slots empty, unknown IDs named so.
    ASSERT_EQ(preview->model(0)->rowCount(), 2);
    EXPECT_EQ(preview->model(0)->name(0, 0), lookup->names["1001"]);
    EXPECT_EQ(preview->model(0)->name(0, 1), "小红药水");
    EXPECT_EQ(preview->model(0)->name(0, 2), "");
    EXPECT_EQ(preview->model(0)->name(1, 3), "未知物品");
    EXPECT_TRUE(preview->model(0)->isRowShaded(1));
    EXPECT_EQ(preview->model(2)->name(0, 6), "小红药水");
    EXPECT_EQ(preview->model(1)->rowCount(), 0);
    auto* tabs = child<QTabWidget>(preview, "选择夹1");
    EXPECT_EQ(tabs->tabText(2), "药水");

    // A rename shows after the next refresh only.
    names[2] = "卷轴";
    w.session().renamePages(names);
    EXPECT_EQ(tabs->tabText(2), "药水");
    ASSERT_TRUE(refresh(preview));
    EXPECT_EQ(tabs->tabText(2), "卷轴");

    // Another workspace: the preview stays open but shows nothing of the old shop, as when opened.
    TempDir other;
    ASSERT_TRUE(w.switchWorkspace(other.path()));
    ASSERT_EQ(w.previewWindow(), preview);
    auto* mainTabs = child<QTabWidget>(&w, "选择夹1");
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(preview->model(k)->rowCount(), 0) << k;
        EXPECT_EQ(tabs->tabText(k), mainTabs->tabText(k)) << k;
    }
    EXPECT_NE(tabs->tabText(2), "卷轴");
}

TEST_F(Preview, TheControlsThatChangeThePagesWaitForTheFillAndTheModeRuleBringsThemBack)
{
    makeWorkspace(4, 4);
    ASSERT_TRUE(load());
    choose(1);
    auto& w = window();
    lookup->delayPerItem = std::chrono::milliseconds(2);
    auto* preview = open();
    child<QPushButton>(preview, "刷新按钮")->click();
    ASSERT_TRUE(preview->isRefreshing());
    for (const char* name :
         {"NPC组合框", "保存按钮", "清空本页按钮", "清空所有按钮", "读取按钮", "输出按钮", "外置ID选择框"})
        EXPECT_FALSE(child<QWidget>(&w, name)->isEnabled()) << name;
    EXPECT_FALSE(child<QPushButton>(preview, "刷新按钮")->isEnabled());
    EXPECT_TRUE(child<QLabel>(preview, "加载标签")->isVisible());
    QSignalSpy done(preview, &gui::PreviewWindow::refreshed);
    ASSERT_TRUE(done.wait(20000));
    for (const char* name :
         {"NPC组合框", "保存按钮", "清空本页按钮", "清空所有按钮", "读取按钮", "输出按钮", "外置ID选择框"})
        EXPECT_TRUE(child<QWidget>(&w, name)->isEnabled()) << name;

    // The output of an open shop does not end the workspace mode: after a refresh the shop is
    // still saveable, with the save button and with Ctrl+S.
    withNextModal([&](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); },
                  [&] { child<QPushButton>(&w, "输出按钮")->click(); });
    ASSERT_TRUE(refresh(preview));
    EXPECT_TRUE(child<QWidget>(&w, "NPC组合框")->isEnabled());
    EXPECT_TRUE(child<QWidget>(&w, "保存按钮")->isEnabled());
    QSignalSpy saved(&w, &gui::MainWindow::saveConfirming);
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(saved.count() == 1 || saved.wait(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.workspaceSession().isSaving(); }, 5000));

    // In the file-less mode the NPC list and the save stay off.
    withNextModal(
        [&](QWidget* modal) {
            child<QPlainTextEdit>(modal, "编辑框1")->setPlainText("1001\t1002\t");
            child<QPushButton>(modal, "读取按钮1")->click();
        },
        [&] { child<QPushButton>(&w, "读取按钮")->click(); });
    ASSERT_TRUE(refresh(preview));
    EXPECT_FALSE(child<QWidget>(&w, "NPC组合框")->isEnabled());
    EXPECT_FALSE(child<QWidget>(&w, "保存按钮")->isEnabled());
    EXPECT_TRUE(child<QWidget>(&w, "清空所有按钮")->isEnabled());
}

TEST_F(Preview, ClosingDuringAFillStopsIt)
{
    auto& w = window();
    w.session().paste(0, {0, 0}, QStringLiteral("1001\t1001\t1001\t1001\t1001\t1001\t1001\n").repeated(300));
    lookup->delayPerItem = std::chrono::milliseconds(1);
    auto* preview = open();
    child<QPushButton>(preview, "刷新按钮")->click();
    ASSERT_TRUE(preview->isRefreshing());
    QPointer<gui::PreviewWindow> guard(preview);
    preview->close(); // deletes itself once closed
    QTest::qWait(50);
    EXPECT_TRUE(guard.isNull());
    EXPECT_FALSE(w.workspaceSession().isPreviewing());
    EXPECT_TRUE(child<QWidget>(&w, "清空所有按钮")->isEnabled());
}

TEST_F(Preview, TheMainWindowCanCloseDuringAFillAndAMinimisedPreviewComesBack)
{
    auto* preview = open();
    preview->showMinimized();
    child<QPushButton>(&window(), "预览按钮")->click();
    EXPECT_FALSE(preview->isMinimized());

    window().session().paste(0, {0, 0},
                             QStringLiteral("1001\t1001\t1001\t1001\t1001\t1001\t1001\n").repeated(300));
    lookup->delayPerItem = std::chrono::milliseconds(1);
    child<QPushButton>(preview, "刷新按钮")->click();
    ASSERT_TRUE(preview->isRefreshing());
    // The preview goes first, while the sessions it reads still exist (a sanitizer build sees
    // any use of them after they went).
    window_.reset();
}
