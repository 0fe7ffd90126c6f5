// The three windows that show changes, driven as a user drives them over the tools' hand-made
// workspace in a temporary folder: what a save would write, the history of saves with its
// restore, and the comparison with an edited copy of the workspace.
#include "../../core/tools/ToolsWorkspace.h"
#include "FakeLookup.h"
#include "GuiTestSupport.h"
#include "core/history/History.h"
#include "gui/windows/CompareWindow.h"
#include "gui/windows/HistoryWindow.h"
#include "gui/windows/SaveChangesWindow.h"

#include <QAction>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>

using namespace shopkeeper;
using namespace shopkeeper::test;

namespace {

class ChangeWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto lookup = std::make_shared<FakeLookup>();
        lookup->names = {
            {"7", "Sword"}, {"100", "Bread"}, {"200", "Milk"}, {"300", "Shield"}, {"555", "Cake"}};
        window = std::make_unique<gui::MainWindow>(
            ws.dir.path(), dialogs,
            gui::MainWindow::Backends{.itemTables = std::make_unique<FixedTables>(lookup)});
        window->setSaveConfirmationDelay(0);
        window->show();
        QSignalSpy ready(window.get(), &gui::MainWindow::npcListReady);
        child<QPushButton>(window.get(), "载入按钮")->click();
        ASSERT_TRUE(ready.count() > 0 || ready.wait(10000));
        openNpc(2); // b.shp
        ASSERT_EQ(window->session().path().filename(), "b.shp");
        dialogs.messages.clear();
    }
    void openNpc(int row)
    {
        auto* combo = child<QComboBox>(window.get(), "NPC组合框");
        combo->setCurrentIndex(row);
        emit combo->activated(row);
    }
    bool save()
    {
        QSignalSpy finished(&window->documents(), &gui::DocumentManager::saveFinished);
        window->save();
        return QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000) &&
               QTest::qWaitFor([&] { return !window->workspaceSession().isSaving(); }, 5000) &&
               finished.first().first().toBool();
    }
    static QStringList lines(gui::PlaceListModel* model)
    {
        QStringList result;
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList texts;
            for (int column = 0; column < model->columnCount(); ++column)
                texts << model->index(row, column).data().toString();
            result << texts.join('|');
        }
        return result;
    }
    static void doubleClick(QTableView* table, int row)
    {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(table->window()));
        const QRect cell = table->visualRect(table->model()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QString cell(int page, int row, int column) const
    {
        return window->grid(page)->model()->index(row, column).data().toString();
    }
    QString cursor() const
    {
        const int page = child<QTabWidget>(window.get(), "选择夹1")->currentIndex();
        const QModelIndex at = window->grid(page)->currentIndex();
        return QStringLiteral("%1:%2:%3").arg(page + 1).arg(at.row() + 1).arg(at.column() + 1);
    }

    ToolsWorkspace ws;
    ScriptedDialogs dialogs;
    std::unique_ptr<gui::MainWindow> window;
};

} // namespace

TEST_F(ChangeWindows, SeeChangesListsExactlyWhatTheSaveWouldWriteWhileTheShopHasEdits)
{
    auto* button = child<QPushButton>(window.get(), "查看改动按钮");
    EXPECT_FALSE(window->actions().seeChanges->isEnabled());
    EXPECT_FALSE(button->isEnabled());

    typeInto(window->grid(0), 0, 2, "200");
    window->actions().repair->trigger();
    ASSERT_TRUE(button->isEnabled());
    const std::string before = ws.shop("b.shp");
    button->click();
    auto* changes = window->saveChangesWindow();
    ASSERT_NE(changes, nullptr);
    QSignalSpy shown(changes, &gui::SaveChangesWindow::shown);
    ASSERT_TRUE(shown.wait(10000));
    // The row is written whole, and the page gets a name line of its own in the table.
    const QString fill = "|（空）|-1（填充空格）";
    const QStringList first = {"第1页 1行 3列|7  Sword|200  Milk",
                               "第1页 1行 4列" + fill,
                               "第1页 1行 5列" + fill,
                               "第1页 1行 6列" + fill,
                               "第1页 1行 7列" + fill,
                               "可修理装备|是|否"};
    auto shownLines = lines(changes->places());
    ASSERT_EQ(shownLines.size(), first.size() + 1) << shownLines.join('\n').toStdString();
    EXPECT_EQ(shownLines.mid(0, first.size()), first);
    // The fills are grey beside the edits.
    EXPECT_EQ(changes->places()->index(1, 2).data(Qt::ForegroundRole), QVariant(QColor(Qt::gray)));
    EXPECT_FALSE(changes->places()->index(0, 2).data(Qt::ForegroundRole).isValid());
    EXPECT_EQ(changes->statusLabel()->text(),
              "保存将改动：1 个格子、4 个空格填充 -1、修理装备、1 行页名称表");
    EXPECT_TRUE(shownLines.back().startsWith("页名称表 第2行|（新增）|tab_name_"));
    EXPECT_TRUE(shownLines.back().endsWith(">第一页"));
    EXPECT_EQ(ws.shop("b.shp"), before) << "nothing is written";
    EXPECT_EQ(cell(0, 0, 1), "-1");
    EXPECT_EQ(window->grid(0)->model()->rowCount(), 1) << "the shop is not tidied";

    // Further edits follow: a row added with one item in it fills the rest of the row with -1.
    window->addTwoRows();
    ASSERT_FALSE(window->session().editCell(0, {1, 0}, "555"));
    ASSERT_TRUE(shown.wait(10000));
    const auto now = lines(changes->places());
    EXPECT_TRUE(now.contains("第1页 2行 1列|（空）|555  Cake")) << now.join('\n').toStdString();
    EXPECT_TRUE(now.contains("第1页 2行 2列" + fill)) << now.join('\n').toStdString();
    EXPECT_EQ(now.size(), shownLines.size() + 7);

    // Saved, nothing is left to see; an edit undone back to the saved shop is none either.
    ASSERT_TRUE(save());
    EXPECT_FALSE(button->isEnabled());
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(changes->places()->rowCount(), 0);
    EXPECT_EQ(changes->statusLabel()->text(), "没有未保存的修改。");
    ASSERT_FALSE(window->session().editCell(0, {0, 0}, "300"));
    EXPECT_TRUE(button->isEnabled());
    window->session().undoStack()->undo();
    EXPECT_FALSE(button->isEnabled());
}

TEST_F(ChangeWindows, HistoryListsTheSavesShowsEachChangeAndRestoresAfterAskingRefusingAChangedFile)
{
    const std::string original = ws.shop("b.shp");
    typeInto(window->grid(0), 0, 0, "200");
    ASSERT_TRUE(save());
    const std::string first = ws.shop("b.shp");
    typeInto(window->grid(0), 0, 0, "300");
    ASSERT_TRUE(save());
    // The history is kept outside the workspace, in the test's own folder.
    const history::History kept(ws.dir.path(), "test");
    EXPECT_EQ(kept.folder().string().rfind(privateDataHome().string(), 0), 0u) << kept.folder();

    window->actions().history->trigger();
    auto* tool = window->historyWindow();
    ASSERT_NE(tool, nullptr);
    QSignalSpy changeShown(tool, &gui::HistoryWindow::changeShown);
    ASSERT_TRUE(changeShown.wait(10000));
    const auto entries = lines(tool->entryList());
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries[0].contains("|shopkeeper|b.shp|保存 b.shp")) << entries[0].toStdString();
    EXPECT_TRUE(lines(tool->places()).contains("b.shp|第1页 1行 1列|200  Milk|300  Shield"));
    tool->entryTable()->selectRow(1);
    ASSERT_TRUE(changeShown.wait(10000));
    EXPECT_TRUE(lines(tool->places()).contains("b.shp|第1页 1行 1列|100  Bread|200  Milk"))
        << lines(tool->places()).join('\n').toStdString();

    // The older save: the newer one changed the file since. Told, and not forced.
    QSignalSpy restored(tool, &gui::HistoryWindow::restoreFinished);
    dialogs.answers = {true, false};
    tool->restore();
    ASSERT_TRUE(restored.wait(10000));
    EXPECT_FALSE(restored.takeFirst().first().toBool());
    ASSERT_EQ(dialogs.questions.size(), 2u);
    EXPECT_TRUE(dialogs.questions[1].text.contains("又被修改过")) << dialogs.questions[1].text.toStdString();
    EXPECT_NE(ws.shop("b.shp"), original);

    // The newest save, with the open shop edited: asked about first, then read again as restored.
    ASSERT_TRUE(QTest::qWaitFor([&] { return tool->entryList()->rowCount() == 2; }, 5000));
    tool->entryTable()->selectRow(0);
    ASSERT_FALSE(window->session().editCell(0, {0, 1}, "555"));
    dialogs.answers = {true};
    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Discard};
    tool->restore();
    ASSERT_TRUE(restored.wait(10000));
    EXPECT_TRUE(restored.takeFirst().first().toBool());
    EXPECT_EQ(dialogs.questions.size(), 4u);
    EXPECT_EQ(ws.shop("b.shp"), first);
    EXPECT_EQ(cell(0, 0, 0), "200");
    EXPECT_EQ(cell(0, 0, 1), "-1");
    EXPECT_FALSE(window->session().isModified());
    // The restore is recorded too, and can itself be restored; the older one, forced, restores.
    ASSERT_TRUE(QTest::qWaitFor([&] { return tool->entryList()->rowCount() == 3; }, 5000));
    tool->entryTable()->selectRow(2);
    dialogs.answers = {true, true};
    tool->restore();
    ASSERT_TRUE(restored.wait(10000));
    EXPECT_TRUE(restored.takeFirst().first().toBool());
    EXPECT_EQ(ws.shop("b.shp"), original);
    EXPECT_EQ(cell(0, 0, 0), "100");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ChangeWindows, CompareCountsTheDifferencesShowsCellsSideBySideAndOpensTheCell)
{
    TempDir copy;
    std::filesystem::copy(ws.dir.path(), copy.path(), std::filesystem::copy_options::recursive);
    writeFile(copy / "itemshop/b.shp", shopText("weapon shop", "", "100\t-1\t300\t-1\t-1\t-1\t-1\t555\t"));
    std::filesystem::remove(copy / "itemshop/d.shp");
    writeFile(copy / "itemshop/z.shp", shopText("etc shop", "", "7\t"));

    dialogs.folderAnswers = {gui::fromPath(copy.path())};
    window->actions().compare->trigger();
    auto* tool = window->compareWindow();
    ASSERT_NE(tool, nullptr);
    QSignalSpy done(tool, &gui::ToolWindow::finished);
    ASSERT_TRUE(!tool->isBusy() || done.wait(10000));
    EXPECT_EQ(tool->otherBox()->text(), gui::nativePath(copy.path()));
    const auto shops = lines(tool->shopList());
    ASSERT_EQ(shops.size(), 4) << shops.join('\n').toStdString();
    EXPECT_EQ(shops[0], "b.shp|2 个格子");
    EXPECT_EQ(shops[1], "d.shp|只在本目录");
    EXPECT_EQ(shops[2], "z.shp|只在对方目录");
    EXPECT_TRUE(shops[3].startsWith("c.shp|无法读取："));
    EXPECT_EQ(lines(tool->places()),
              QStringList({"第1页 1行 3列|7  Sword|300  Shield", "第1页 2行 1列|（空）|555  Cake"}));

    // A double-click opens the shop of this workspace at that cell.
    openNpc(1);
    ASSERT_EQ(window->session().path().filename(), "a.shp");
    doubleClick(tool->table(), 0);
    EXPECT_EQ(window->session().path().filename(), "b.shp");
    EXPECT_EQ(cursor(), "1:1:3");

    // Stopped at once, a comparison leaves the window ready for the next.
    tool->compareWith(copy.path());
    tool->stop();
    EXPECT_FALSE(tool->isBusy());
    EXPECT_EQ(tool->shopList()->rowCount(), 0);
    tool->compareWith(ws.dir.path());
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(tool->statusLabel()->text(), "比较了 6 个商店：0 个商店不同，1 个无法读取");
}
