#include "GuiTestSupport.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/text/ScriptText.h"
#include "core/workspace/NpcDiscovery.h"
#include "gui/windows/TransferWindow.h"

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

shop::ShopDocument readShop(const std::filesystem::path& root, const std::filesystem::path& shop)
{
    const workspace::Workspace ws(root);
    return shop::ShopReader::open(shop, ws.shopStringTablePath()).value();
}

} // namespace

using EditCycle = EditorFixture;

TEST_F(EditCycle, ChooseEditSaveAndSeeTheSavedShop)
{
    makeWorkspace(10, 12, 21);
    ASSERT_TRUE(load());
    auto& w = window();
    const auto files = shopFiles(dir.path());
    choose(2);
    const auto original = readShop(dir.path(), files[1]);
    auto* tabs = child<QTabWidget>(&w, "选择夹1");
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(tabs->tabText(k), gui::qs(original.names()[static_cast<std::size_t>(k)]));
        EXPECT_EQ(w.grid(k)->gridModel()->page(), original.page(k));
    }
    EXPECT_EQ(child<QCheckBox>(&w, "修理选择框")->isChecked(), original.isRepairable());
    EXPECT_FALSE(w.session().isModified());

    // Type into a cell, add two rows, rename page 1, switch the repair flag.
    auto* grid = w.grid(0);
    typeInto(grid, 0, 0, "424242");
    EXPECT_EQ(grid->gridModel()->cellText(0, 0), "424242");
    child<QPushButton>(&w, "增加按钮")->click();
    grid->gridModel()->setData(grid->model()->index(grid->model()->rowCount() - 1, 3), "777", Qt::EditRole);
    dialogs.inputAnswers = {QString("宝石"), std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    child<QPushButton>(&w, "编辑页按钮")->click();
    child<QCheckBox>(&w, "修理选择框")->click();
    EXPECT_TRUE(w.session().isModified());
    EXPECT_TRUE(child<QLabel>(&w, "标签1")->text().contains("已修改"));

    QSignalSpy reopened(&w, &gui::MainWindow::shopOpened);
    EXPECT_TRUE(save());
    EXPECT_EQ(reopened.count(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(w.session().isModified());
    EXPECT_EQ(child<QPushButton>(&w, "保存按钮")->text(), "保存文件");

    // The files hold what the save defines, and the window shows them again.
    const auto saved = readShop(dir.path(), files[1]);
    EXPECT_EQ(saved.page(0).cell(0, 0), "424242");
    const int last = saved.page(0).rowCount() - 1;
    EXPECT_EQ(saved.page(0).cell(last, 3), "777");
    EXPECT_EQ(saved.page(0).cell(last, 0), "-1");
    EXPECT_EQ(saved.names()[0], "宝石");
    EXPECT_EQ(saved.isRepairable(), !original.isRepairable());
    EXPECT_EQ(text::contains(saved.source().file.text, "`[weapon shop]`"), !original.isRepairable());
    EXPECT_EQ(tabs->tabText(0), "宝石");
    EXPECT_EQ(grid->gridModel()->page(), saved.page(0));
    EXPECT_EQ(child<QCheckBox>(&w, "修理选择框")->isChecked(), saved.isRepairable());
    EXPECT_EQ(child<QLineEdit>(&w, "路径框")->text(), gui::nativePath(files[1]));
}

TEST_F(EditCycle, AFailedSaveSaysWhyAndKeepsTheEdits)
{
    makeWorkspace(5, 5);
    ASSERT_TRUE(load());
    choose(1);
    auto& w = window();
    w.grid(0)->gridModel()->setData(w.grid(0)->model()->index(0, 0), "9999", Qt::EditRole);
    const auto path = shopFiles(dir.path())[0];
    const auto before = readFile(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_FALSE(save());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "提示");
    EXPECT_EQ(dialogs.messages[0].icon, gui::Dialogs::Icon::Error);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("保存失败！"));
    EXPECT_TRUE(dialogs.messages[0].text.contains("只读"));
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(w.grid(0)->gridModel()->cellText(0, 0), "9999");
    EXPECT_TRUE(w.session().isModified());
    EXPECT_TRUE(child<QPushButton>(&w, "保存按钮")->isEnabled());

    // A page name BIG5 cannot hold is refused the same way.
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    auto names = w.session().pageNames();
    names[0] = "☃";
    w.session().renamePages(names);
    EXPECT_FALSE(save());
    EXPECT_TRUE(dialogs.messages.back().text.contains("☃"));
    EXPECT_EQ(readFile(path), before);
}

TEST_F(EditCycle, AShopThatCannotBeReadShowsWhyAndCannotBeSaved)
{
    makeWorkspace(5, 5);
    const auto path = shopFiles(dir.path())[0];
    writeFile(path, "`[etc shop]`\r\n[sell item]\r\n1\tpotion\t\r\n[/sell item]\r\n");
    ASSERT_TRUE(load());
    choose(2);
    ASSERT_GT(window().grid(0)->model()->rowCount(), 0);
    choose(1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("数据格式未知,无法读取！\r\n"));
    EXPECT_TRUE(dialogs.messages[0].text.contains("potion")); // the second line names the bad item
    EXPECT_EQ(dialogs.messages[0].title, "错误");
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(window().grid(k)->model()->rowCount(), 0);
    // Nothing is bound: the path box is empty and the save button off.
    EXPECT_TRUE(child<QLineEdit>(&window(), "路径框")->text().isEmpty());
    EXPECT_FALSE(child<QPushButton>(&window(), "保存按钮")->isEnabled());
    EXPECT_FALSE(save());
    EXPECT_EQ(readFile(path), "`[etc shop]`\r\n[sell item]\r\n1\tpotion\t\r\n[/sell item]\r\n");
}

TEST_F(EditCycle, SwitchingNpcWithUnsavedChangesAsksFirst)
{
    makeWorkspace(6, 6);
    ASSERT_TRUE(load());
    choose(1);
    auto& w = window();
    w.grid(0)->gridModel()->setData(w.grid(0)->model()->index(0, 0), "5555", Qt::EditRole);
    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Cancel};
    choose(2);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].text, "当前商店尚未保存，是否先保存修改？");
    EXPECT_EQ(combo()->currentIndex(), 1);
    EXPECT_EQ(w.grid(0)->gridModel()->cellText(0, 0), "5555");

    // Choosing the open NPC again would read it again: that asks too.
    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Cancel};
    choose(1);
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(w.grid(0)->gridModel()->cellText(0, 0), "5555");

    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Discard};
    choose(2);
    EXPECT_EQ(combo()->currentIndex(), 2);
    EXPECT_FALSE(w.session().isModified());
    EXPECT_EQ(child<QLineEdit>(&w, "路径框")->text(), gui::nativePath(shopFiles(dir.path())[1]));
}

TEST_F(EditCycle, UndoAndRedoCoverEveryKindOfChange)
{
    makeWorkspace(4, 4);
    ASSERT_TRUE(load());
    choose(1);
    auto& w = window();
    auto* model = w.grid(0)->gridModel();
    const auto opened = shownPage(*model);
    const int rows = model->rowCount();

    model->setData(model->index(0, 0), "1", Qt::EditRole);
    model->setData(model->index(0, 0), "12", Qt::EditRole); // same cell: one step
    child<QPushButton>(&w, "增加按钮")->click();
    dialogs.inputAnswers = {QString("新页"), std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    w.editPageNames();
    dialogs.answers = {true};
    child<QPushButton>(&w, "清空本页按钮")->click();
    EXPECT_EQ(w.session().undoStack()->count(), 4);

    auto* tabs = child<QTabWidget>(&w, "选择夹1");
    w.session().undoStack()->undo();
    EXPECT_EQ(model->rowCount(), rows + 2);
    w.session().undoStack()->undo();
    EXPECT_NE(tabs->tabText(0), "新页");
    w.session().undoStack()->undo();
    EXPECT_EQ(model->rowCount(), rows);
    w.session().undoStack()->undo();
    EXPECT_EQ(shownPage(*model), opened);
    EXPECT_FALSE(w.session().isModified());

    QTest::keySequence(&w, QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(model->cellText(0, 0), "12");
    w.session().undoStack()->redo();
    w.session().undoStack()->redo();
    EXPECT_EQ(tabs->tabText(0), "新页");
    QTest::keySequence(&w, QKeySequence::Undo);
    EXPECT_NE(tabs->tabText(0), "新页");
}

TEST_F(EditCycle, LoadingAndClosingOverUnsavedChangesAskFirst)
{
    makeWorkspace(4, 4);
    ASSERT_TRUE(load());
    choose(1);
    auto& w = window();
    w.grid(0)->gridModel()->setData(w.grid(0)->model()->index(0, 0), "6161", Qt::EditRole);
    const int items = combo()->count();

    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Cancel};
    child<QPushButton>(&w, "载入按钮")->click();
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(combo()->count(), items);
    EXPECT_EQ(w.grid(0)->gridModel()->cellText(0, 0), "6161");

    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Cancel};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Discard};
    EXPECT_TRUE(w.close());
    EXPECT_EQ(dialogs.questions.size(), 3u);
    EXPECT_EQ(dialogs.questions.back().text, "当前商店尚未保存，是否先保存修改？");
}

TEST_F(EditCycle, NothingChangesTheShopFromTheSaveUntilItHasBeenReadAgain)
{
    makeWorkspace(5, 5);
    ASSERT_TRUE(load());
    choose(1);
    auto& w = window();
    w.setSaveConfirmationDelay(150);
    auto* model = w.grid(0)->gridModel();
    model->setData(model->index(0, 0), "8080", Qt::EditRole);
    bool checked = false;
    QObject::connect(&w, &gui::MainWindow::saveConfirming, [&] {
        // The user types, adds rows and ticks the box during the tick.
        model->setData(model->index(0, 1), "9191", Qt::EditRole);
        EXPECT_FALSE(child<QPushButton>(&w, "增加按钮")->isEnabled());
        EXPECT_FALSE(child<QPushButton>(&w, "清空本页按钮")->isEnabled());
        EXPECT_FALSE(child<QPushButton>(&w, "清空所有按钮")->isEnabled());
        w.session().addTwoRows(0);
        w.session().setRepairable(!w.session().isRepairable());
        EXPECT_FALSE(w.session().isModified());
        checked = true;
    });
    const auto rows = model->rowCount();
    EXPECT_TRUE(save());
    EXPECT_TRUE(checked);
    EXPECT_EQ(model->cellText(0, 0), "8080");
    EXPECT_NE(model->cellText(0, 1), "9191");
    EXPECT_EQ(model->rowCount(), rows);
    EXPECT_FALSE(w.session().isModified());
    EXPECT_TRUE(child<QPushButton>(&w, "增加按钮")->isEnabled());
    EXPECT_TRUE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(EditCycle, TheSaveChoiceSavesFirstThenGoesOn)
{
    makeWorkspace(6, 6);
    ASSERT_TRUE(load());
    choose(1);
    auto& w = window();
    w.grid(0)->gridModel()->setData(w.grid(0)->model()->index(0, 0), "7373", Qt::EditRole);
    dialogs.saveChoices = {gui::Dialogs::SaveChoice::Save};
    choose(2);
    EXPECT_EQ(combo()->currentIndex(), 2);
    EXPECT_EQ(readShop(dir.path(), shopFiles(dir.path())[0]).page(0).cell(0, 0), "7373");
    EXPECT_EQ(child<QLineEdit>(&w, "路径框")->text(), gui::nativePath(shopFiles(dir.path())[1]));
}

TEST_F(EditCycle, KeyboardFocusComesBackToTheGridAfterLoadsSavesAndBoxes)
{
    makeWorkspace(4, 4);
    auto& w = window();
    ASSERT_TRUE(load());
    EXPECT_EQ(QApplication::focusWidget(), w.currentPageGrid());
    choose(1);
    EXPECT_EQ(QApplication::focusWidget(), w.currentPageGrid());
    child<QTabWidget>(&w, "选择夹1")->setCurrentIndex(2);
    w.session().addTwoRows(2);
    EXPECT_TRUE(save());
    EXPECT_EQ(QApplication::focusWidget(), w.grid(2));
    dialogs.answers = {false};
    child<QPushButton>(&w, "清空本页按钮")->click();
    EXPECT_EQ(QApplication::focusWidget(), w.grid(2));
    // Ctrl+Z reaches the window without a click first.
    w.grid(2)->gridModel()->setData(w.grid(2)->model()->index(0, 0), "55", Qt::EditRole);
    QTest::keySequence(QApplication::focusWidget(), QKeySequence::Undo);
    EXPECT_FALSE(w.session().isModified());
}

TEST_F(EditCycle, AShopChangedByAnotherProgramIsOverwrittenOnlyWhenTheUserSaysSo)
{
    makeWorkspace(5, 5);
    ASSERT_TRUE(load());
    choose(1);
    auto& w = window();
    w.grid(0)->gridModel()->setData(w.grid(0)->model()->index(0, 0), "6464", Qt::EditRole);
    const auto path = shopFiles(dir.path())[0];
    const auto theirs = readFile(path) + "; changed elsewhere\r\n";
    writeFile(path, theirs);

    dialogs.answers = {false};
    EXPECT_FALSE(save());
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].text, "文件已被其他程序修改，是否覆盖？");
    EXPECT_EQ(readFile(path), theirs);
    EXPECT_TRUE(w.session().isModified());
    EXPECT_EQ(w.grid(0)->gridModel()->cellText(0, 0), "6464");
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.answers = {true};
    EXPECT_TRUE(save());
    EXPECT_EQ(readShop(dir.path(), path).page(0).cell(0, 0), "6464");
    EXPECT_FALSE(w.session().isModified());
}

// A page-name table that exists but cannot be read must not open the shop: its save would
// write a table without every other shop's names.
TEST_F(EditCycle, AnUnreadablePageNameTableKeepsTheShopClosed)
{
    makeWorkspace(4, 4);
    ASSERT_TRUE(load());
    const auto table = dir / "itemshop/itemshop.kor.str";
    const auto bytes = readFile(table);
    // A folder in the table's place cannot be read, also by root.
    std::filesystem::remove(table);
    std::filesystem::create_directory(table);
    choose(1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "错误");
    EXPECT_TRUE(dialogs.messages[0].text.contains("itemshop.kor.str"))
        << dialogs.messages[0].text.toStdString();
    EXPECT_FALSE(window().session().isBound());
    EXPECT_FALSE(child<QPushButton>(&window(), "保存按钮")->isEnabled());
    EXPECT_TRUE(child<QLineEdit>(&window(), "路径框")->text().isEmpty());
    std::filesystem::remove(table);
    writeFile(table, bytes);
    choose(1);
    EXPECT_TRUE(window().session().isBound());
}
