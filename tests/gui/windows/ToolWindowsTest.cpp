#include "../../core/tools/ToolsWorkspace.h"
#include "GuiTestSupport.h"
#include "gui/windows/CheckWindow.h"
#include "gui/windows/ReplaceWindow.h"
#include "gui/windows/WhereUsedWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>

using namespace shopkeeper;
using namespace shopkeeper::test;

namespace {

// The main window over the tools' hand-made workspace, loaded, with the shop a.shp open.
class ToolWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<gui::MainWindow>(ws.dir.path(), dialogs);
        window->setSaveConfirmationDelay(0);
        window->show();
        QSignalSpy ready(window.get(), &gui::MainWindow::npcListReady);
        child<QPushButton>(window.get(), "载入按钮")->click();
        ASSERT_TRUE(ready.count() > 0 || ready.wait(10000));
        openNpc(1);
        ASSERT_EQ(window->session().path().filename(), "a.shp");
        // The load's notice about the unreadable c.shp.
        dialogs.messages.clear();
    }
    void openNpc(int row)
    {
        auto* combo = child<QComboBox>(window.get(), "NPC组合框");
        combo->setCurrentIndex(row);
        emit combo->activated(row);
    }
    // Triggers the "工具" menu's entry that starts with caption.
    void useTool(const QString& caption)
    {
        for (auto* action : window->toolsMenu()->actions()) {
            if (action->text().startsWith(caption))
                return action->trigger();
        }
        FAIL() << caption.toStdString();
    }
    // Asks widget for its context menu at at and picks the entry caption from it.
    static void pickFromContextMenu(QAbstractScrollArea* widget, const QPoint& at, const QString& caption)
    {
        bool picked = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (auto* action : menu->actions()) {
                if (action->text() == caption && action->isEnabled()) {
                    picked = true;
                    action->trigger();
                }
            }
            menu->close();
        });
        emit widget->customContextMenuRequested(at);
        EXPECT_TRUE(picked) << caption.toStdString();
    }
    static bool waitFor(gui::ToolWindow* tool)
    {
        QSignalSpy done(tool, &gui::ToolWindow::finished);
        return !tool->isBusy() || done.wait(10000);
    }
    // The texts of the result list, one line per row, columns joined by "|".
    static QStringList lines(gui::ToolWindow* tool)
    {
        QStringList result;
        for (int row = 0; row < tool->places()->rowCount(); ++row) {
            QStringList texts;
            for (int column = 0; column < tool->places()->columnCount(); ++column)
                texts << tool->places()->index(row, column).data().toString();
            result << texts.join('|');
        }
        return result;
    }
    static void doubleClick(gui::ToolWindow* tool, int row)
    {
        auto* table = tool->table();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(tool));
        const QRect cell = table->visualRect(tool->places()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // The cursor cell of the main window's grids as "page:row:column" from 1.
    QString cursor() const
    {
        const int page = child<QTabWidget>(window.get(), "选择夹1")->currentIndex();
        const QModelIndex at = window->grid(page)->currentIndex();
        return QStringLiteral("%1:%2:%3").arg(page + 1).arg(at.row() + 1).arg(at.column() + 1);
    }
    QString cell(int page, int row, int column) const
    {
        return window->grid(page)->model()->index(row, column).data().toString();
    }

    ToolsWorkspace ws;
    ScriptedDialogs dialogs;
    std::unique_ptr<gui::MainWindow> window;
};

} // namespace

TEST_F(ToolWindows, WhereUsedListsEveryCellAndADoubleClickOpensThePlaceAskingAboutEdits)
{
    // From the context menu of a selected search result: item 100.
    child<QPushButton>(window.get(), "搜索按钮")->click();
    auto* results = window->searchWindow()->results();
    auto* hit = new QListWidgetItem("100---Bread", results);
    hit->setData(Qt::UserRole, "100");
    pickFromContextMenu(results, results->visualItemRect(hit).center(), "物品出售位置");
    auto* tool = window->whereUsedWindow();
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(waitFor(tool));
    EXPECT_EQ(lines(tool),
              QStringList({"Baker|a.shp|Food|1|2", "Baker|a.shp|Food|1|4", "未知NPC|b.shp|第一页|1|1"}));

    // From the context menu of the grid cell that holds item 7.
    auto* grid = window->grid(0);
    pickFromContextMenu(grid, grid->visualRect(grid->model()->index(0, 0)).center(), "物品出售位置");
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(waitFor(tool));
    EXPECT_EQ(tool->idBox()->text(), "7");
    EXPECT_EQ(lines(tool), QStringList({"Baker|a.shp|Food|1|1", "Baker|a.shp|第二页|1|2",
                                        "未知NPC|b.shp|第一页|1|3", "未知NPC|d.shp|第一页|1|2"}));
    EXPECT_TRUE(tool->statusLabel()->text().contains("1 个商店无法读取"));
    EXPECT_TRUE(tool->statusLabel()->toolTip().contains("c.shp"));

    // Another shop with unsaved edits: asked as choosing an NPC asks; Cancel keeps the edit.
    ASSERT_FALSE(window->session().editCell(0, {0, 1}, "555"));
    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Cancel, gui::Dialogs::SaveChoice::Discard};
    doubleClick(tool, 2);
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(window->session().path().filename(), "a.shp");
    EXPECT_EQ(cell(0, 0, 1), "555");
    doubleClick(tool, 2);
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(window->session().path().filename(), "b.shp");
    EXPECT_EQ(child<QComboBox>(window.get(), "NPC组合框")->currentText(), "未知NPC");
    EXPECT_EQ(cursor(), "1:1:3");

    // A second page of the shop: the tab follows; the unchanged open shop is not asked about.
    doubleClick(tool, 1);
    EXPECT_EQ(window->session().path().filename(), "a.shp");
    EXPECT_EQ(cursor(), "2:1:2");
    EXPECT_EQ(cell(1, 0, 1), "7");
    EXPECT_EQ(dialogs.questions.size(), 2u);

    // Not an item ID: said, and nothing searched.
    tool->idBox()->setText("12.5");
    tool->find();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(tool->isBusy());
}

TEST_F(ToolWindows, ReplacePreviewsAsksAboutTheOpenShopWritesAllOrNothingAndReReadsIt)
{
    window->grid(0)->setCurrentIndex(window->grid(0)->model()->index(0, 0));
    useTool("批量替换物品");
    auto* tool = window->replaceWindow();
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->fromBox()->text(), "7");
    tool->toBox()->setText("9");
    tool->preview();
    ASSERT_TRUE(waitFor(tool));
    EXPECT_EQ(lines(tool).size(), 4);
    EXPECT_TRUE(tool->statusLabel()->text().contains("不会写入任何文件"));
    const std::string before = ws.shop("a.shp");

    // Unsaved edits of the open shop: Cancel does nothing at all.
    ASSERT_FALSE(window->session().editCell(0, {0, 1}, "555"));
    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Cancel};
    tool->apply();
    EXPECT_FALSE(tool->isBusy());
    EXPECT_EQ(ws.shop("a.shp"), before);

    // Save: the edit is written, then the unreadable c.shp stops the whole replace.
    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Save};
    auto* applyButton = child<QPushButton>(tool, "替换按钮");
    tool->apply();
    EXPECT_FALSE(window->save()) << "no save while the replace writes";
    EXPECT_FALSE(applyButton->isEnabled());
    ASSERT_TRUE(waitFor(tool));
    EXPECT_TRUE(applyButton->isEnabled());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("没有写入任何文件"));
    EXPECT_NE(ws.shop("a.shp").find("555"), std::string::npos);
    EXPECT_NE(ws.shop("a.shp").find("7\t555\t"), std::string::npos);
    EXPECT_NE(ws.shop("b.shp").find("\t7\t"), std::string::npos);

    // Mended, the replace writes every shop; the open shop is read again and shows it.
    writeFile(ws.dir / "itemshop/c.shp", shopText("etc shop", "", "7\t8\t"));
    ASSERT_FALSE(window->session().editCell(0, {0, 2}, "666"));
    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Discard};
    applyButton->click();
    ASSERT_TRUE(waitFor(tool));
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(tool->statusLabel()->text(), "已替换 5 处，写入 4 个商店");
    EXPECT_EQ(cell(0, 0, 0), "9");
    EXPECT_EQ(cell(1, 0, 1), "9");
    EXPECT_EQ(cell(0, 0, 1), "555");
    EXPECT_EQ(cell(0, 0, 2), "200") << "the dropped edit is gone";
    EXPECT_FALSE(window->session().isModified());
    EXPECT_TRUE(window->session().isEditable());
    EXPECT_TRUE(child<QPushButton>(window.get(), "保存按钮")->isEnabled());
    EXPECT_EQ(ws.shop("b.shp").find("\t7\t"), std::string::npos);
}

TEST_F(ToolWindows, CheckListsProblemsFiltersByKindAndADoubleClickOpensThePlace)
{
    useTool("检查工作目录");
    auto* tool = window->checkWindow();
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(waitFor(tool));
    const QStringList all = lines(tool);
    ASSERT_EQ(all.size(), 10);
    EXPECT_EQ(all[1], "重复物品|Baker|a.shp|第1页 1行 4列|物品ID 100 已在第1页第1行第2列出现");
    EXPECT_TRUE(all[9].startsWith("未知NPC|未知NPC|g.shp||"));

    auto* kinds = tool->kindFilter();
    kinds->setCurrentIndex(kinds->findText("未知物品", Qt::MatchStartsWith));
    EXPECT_EQ(kinds->currentText(), "未知物品 (2)");
    EXPECT_EQ(lines(tool), QStringList({all[2], all[7]}));
    EXPECT_TRUE(tool->statusLabel()->text().contains("共 10 个问题，显示 2 个"));

    // The unknown item of d.shp, a shop no NPC opens: opened at its cell.
    doubleClick(tool, 1);
    EXPECT_EQ(window->session().path().filename(), "d.shp");
    EXPECT_EQ(cursor(), "1:1:1");
    EXPECT_EQ(cell(0, 0, 0), kUnknownId);

    // An unreadable shop opens as choosing it does: with the reader's message.
    kinds->setCurrentIndex(kinds->findText("无法读取", Qt::MatchStartsWith));
    ASSERT_EQ(tool->places()->rowCount(), 1);
    doubleClick(tool, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "错误");
}

TEST_F(ToolWindows, CheckColumnsFitTheirLinesAndAPageProblemOpensThatPage)
{
    // A shop whose name is longer than the column was made for; no NPC list names it.
    writeFile(ws.dir / "itemshop/weapon_0007.shp", shopText("weapon shop", "", "300\t"));
    auto* tabs = child<QTabWidget>(window.get(), "选择夹1");
    tabs->setCurrentIndex(4);
    useTool("检查工作目录");
    auto* tool = window->checkWindow();
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(waitFor(tool));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tool));
    auto* table = tool->table();
    const int last = tool->places()->columnCount() - 1;
    for (int row = 0; row < tool->places()->rowCount(); ++row) {
        for (int column = 0; column < last; ++column) {
            const QModelIndex index = tool->places()->index(row, column);
            QStyleOptionViewItem option;
            option.initFrom(table);
            const int needed = table->itemDelegate()->sizeHint(option, index).width();
            EXPECT_LE(needed, table->columnWidth(column)) << index.data().toString().toStdString();
        }
    }
    EXPECT_GE(table->columnWidth(last), table->viewport()->width() / 4) << "the explanation keeps its room";

    // a.shp has no name for its second page: the double-click shows that page.
    auto* kinds = tool->kindFilter();
    kinds->setCurrentIndex(kinds->findText("缺少页名称", Qt::MatchStartsWith));
    ASSERT_EQ(tool->places()->rowCount(), 1);
    doubleClick(tool, 0);
    EXPECT_EQ(window->session().path().filename(), "a.shp");
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}
