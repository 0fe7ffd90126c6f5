#include "gui/windows/TransferWindow.h"

#include "GuiTestSupport.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/text/ScriptText.h"
#include "core/workspace/NpcDiscovery.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace shopkeeper;
using namespace shopkeeper::test;

namespace {

std::vector<std::filesystem::path> shopFiles(const std::filesystem::path& root)
{
    return workspace::loadWorkspace(workspace::Workspace(root)).value().shopFiles;
}

QStringList row(gui::PageGridView* view, int r)
{
    QStringList cells;
    for (int c = 0; c < 7; ++c)
        cells << view->gridModel()->cellText(r, c);
    return cells;
}

// Opens the data-transfer window with the read button, pastes text and presses its read button.
void readPasted(gui::MainWindow& w, const QString& text)
{
    withNextModal(
        [&](QWidget* modal) {
            auto* transfer = qobject_cast<gui::TransferWindow*>(modal);
            ASSERT_NE(transfer, nullptr);
            EXPECT_EQ(transfer->windowTitle(), "物品数据传递 - 读数据");
            EXPECT_FALSE(child<QPushButton>(transfer, "复制按钮")->isEnabled());
            child<QPlainTextEdit>(transfer, "编辑框1")->setPlainText(text);
            child<QPushButton>(transfer, "读取按钮1")->click();
        },
        [&] { child<QPushButton>(&w, "读取按钮")->click(); });
}

} // namespace

using TransferFlow = EditorFixture;

TEST_F(TransferFlow, ReadingPastedItemsFillsThePagesAndLeavesFileMode)
{
    makeWorkspace(4, 4);
    ASSERT_TRUE(load());
    choose(1);
    auto& w = window();
    readPasted(w, "1\t2\t-2\t3\t");
    ASSERT_EQ(w.grid(0)->model()->rowCount(), 1);
    EXPECT_EQ(row(w.grid(0), 0), (QStringList{"1", "2", "", "", "", "", ""}));
    EXPECT_EQ(row(w.grid(1), 0), (QStringList{"3", "", "", "", "", "", ""}));
    EXPECT_EQ(w.grid(2)->model()->rowCount(), 0);
    // File mode is left: nothing is bound any more.
    for (const char* disabled : {"保存按钮", "修理选择框", "编辑页按钮", "NPC组合框"})
        EXPECT_FALSE(child<QWidget>(&w, disabled)->isEnabled()) << disabled;
    EXPECT_TRUE(child<QLineEdit>(&w, "路径框")->text().isEmpty());
    EXPECT_EQ(combo()->count(), 0);
    EXPECT_TRUE(child<QPushButton>(&w, "载入按钮")->isEnabled());

    // Output, then reading the output back, gives the same pages with red "-1".
    QString printed;
    withNextModal(
        [&](QWidget* modal) {
            auto* transfer = qobject_cast<gui::TransferWindow*>(modal);
            ASSERT_NE(transfer, nullptr);
            EXPECT_EQ(transfer->mode(), gui::TransferMode::Output);
            EXPECT_TRUE(child<QPlainTextEdit>(transfer, "编辑框1")->isReadOnly());
            EXPECT_FALSE(child<QPushButton>(transfer, "读取按钮1")->isEnabled());
            EXPECT_FALSE(child<QPushButton>(transfer, "清空按钮")->isEnabled());
            printed = child<QPlainTextEdit>(transfer, "编辑框1")->toPlainText();
            child<QPushButton>(transfer, "复制按钮")->click();
        },
        [&] { child<QPushButton>(&w, "输出按钮")->click(); });
    // The box shows one grid row per line; the clipboard gets the block exactly as written.
    EXPECT_EQ(printed, "1\t2\t-1\t-1\t-1\t-1\t-1\t\n-2\t\n3\t-1\t-1\t-1\t-1\t-1\t-1\t\n");
    EXPECT_EQ(QApplication::clipboard()->text(), "1\t2\t-1\t-1\t-1\t-1\t-1\t-2\t3\t-1\t-1\t-1\t-1\t-1\t-1\t");
    EXPECT_EQ(w.grid(0)->gridModel()->cellText(0, 2), "-1");

    readPasted(w, QApplication::clipboard()->text());
    EXPECT_EQ(row(w.grid(0), 0), (QStringList{"1", "2", "-1", "-1", "-1", "-1", "-1"}));
    EXPECT_EQ(w.grid(0)->model()->index(0, 3).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(row(w.grid(1), 0), (QStringList{"3", "-1", "-1", "-1", "-1", "-1", "-1"}));
}

TEST_F(TransferFlow, SixPagesAreRefusedAndTextWithoutTabsIsExplained)
{
    auto& w = window();
    readPasted(w, "1\t2\t-2\t3\t");
    const auto before = shownPage(*w.grid(0)->gridModel());
    bool stayedOpen = false;
    withNextModal(
        [&](QWidget* modal) {
            child<QPlainTextEdit>(modal, "编辑框1")->setPlainText("1\t-2\t2\t-2\t3\t-2\t4\t-2\t5\t-2\t6\t");
            child<QPushButton>(modal, "读取按钮1")->click();
            stayedOpen = modal->isVisible();
            child<QPlainTextEdit>(modal, "编辑框1")->setPlainText("1 2 3");
            child<QPushButton>(modal, "读取按钮1")->click();
            stayedOpen = stayedOpen && modal->isVisible();
            child<QPushButton>(modal, "清空按钮")->click();
            EXPECT_TRUE(child<QPlainTextEdit>(modal, "编辑框1")->toPlainText().isEmpty());
        },
        [&] { child<QPushButton>(&w, "读取按钮")->click(); });
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, "商店数据超过5页无法读取，请删除多出的页数据！");
    EXPECT_EQ(dialogs.messages[0].title, "错误");
    // The text without a TAB reads nothing, and the user is told why.
    EXPECT_EQ(dialogs.messages[1].title, "提示");
    EXPECT_TRUE(dialogs.messages[1].text.contains("TAB"));
    EXPECT_EQ(shownPage(*w.grid(0)->gridModel()), before);
}

TEST_F(TransferFlow, AShopFileWithMoreThanFivePagesShowsItsBlock)
{
    makeWorkspace(4, 4);
    const auto path = shopFiles(dir.path())[0];
    writeFile(path,
              "`[etc shop]`\r\n[sell item]\r\n1\t-2\t2\t-2\t3\t-2\t4\t-2\t5\t-2\t6\t\r\n[/sell item]\r\n");
    ASSERT_TRUE(load());
    QString shown;
    withNextModal(
        [&](QWidget* modal) {
            auto* transfer = qobject_cast<gui::TransferWindow*>(modal);
            ASSERT_NE(transfer, nullptr);
            EXPECT_EQ(transfer->mode(), gui::TransferMode::Batch);
            EXPECT_TRUE(transfer->isVisible());
            shown = child<QPlainTextEdit>(transfer, "编辑框1")->toPlainText();
        },
        [&] { choose(1); });
    EXPECT_EQ(shown, "1\t-2\t2\t-2\t3\t-2\t4\t-2\t5\t-2\t6\t");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "商店数据超过5页无法读取，请删除多出的页数据！");
}

// The user deletes the sixth page in the shown block and reads it: the shop opens with the
// mended pages, still bound to its file, and the save writes the mended block there.
TEST_F(TransferFlow, AShopWithTooManyPagesIsMendedInTheWindowAndSaved)
{
    makeWorkspace(4, 4);
    const auto path = shopFiles(dir.path())[0];
    const std::string head = "`[etc shop]`\r\n; kept as it is\r\n";
    writeFile(path,
              head + "[sell item]\r\n1\t-2\t2\t-2\t3\t-2\t4\t-2\t5\t-2\t6\t\r\n[/sell item]\r\n[end]\r\n");
    ASSERT_TRUE(load());
    withNextModal(
        [&](QWidget* modal) {
            auto* transfer = qobject_cast<gui::TransferWindow*>(modal);
            ASSERT_NE(transfer, nullptr);
            child<QPlainTextEdit>(transfer, "编辑框1")->setPlainText("1\t-2\t2\t-2\t3\t-2\t4\t-2\t5\t");
            child<QPushButton>(transfer, "读取按钮1")->click();
        },
        [&] { choose(1); });
    auto& w = window();
    EXPECT_TRUE(w.session().isBound());
    EXPECT_TRUE(w.session().isModified());
    EXPECT_EQ(child<QLineEdit>(&w, "路径框")->text(), gui::nativePath(path));
    EXPECT_TRUE(child<QPushButton>(&w, "保存按钮")->isEnabled());
    EXPECT_EQ(w.grid(4)->gridModel()->cellText(0, 0), "5");

    EXPECT_TRUE(save());
    const auto saved = readFile(path);
    EXPECT_EQ(saved.substr(0, head.size()), head);
    EXPECT_NE(saved.find("5\t-1\t-1\t-1\t-1\t-1\t-1\t\r\n[/sell item]\r\n[end]\r\n"), std::string::npos)
        << saved;
    EXPECT_EQ(saved.find("6\t"), std::string::npos);
    EXPECT_FALSE(w.session().isModified());
    EXPECT_EQ(w.grid(4)->gridModel()->cellText(0, 0), "5");
}
