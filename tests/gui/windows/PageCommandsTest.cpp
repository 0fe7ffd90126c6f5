#include "GuiTestSupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolTip>

using namespace shopkeeper;
using namespace shopkeeper::test;

namespace {

QColor foreground(gui::PageGridView* view, int row, int column)
{
    return view->model()->index(row, column).data(Qt::ForegroundRole).value<QColor>();
}

QColor background(gui::PageGridView* view, int row)
{
    return view->model()->index(row, 0).data(Qt::BackgroundRole).value<QColor>();
}

const QColor kGrey(0xC0, 0xC0, 0xC0);

} // namespace

using PageGrid = EditorFixture;

TEST_F(PageGrid, GridsHaveSevenColumnsNoHeadersAndFillTheirWidth)
{
    auto* view = window().grid(0);
    EXPECT_EQ(view->objectName(), "物品表格1");
    EXPECT_EQ(window().grid(4)->objectName(), "物品表格5");
    EXPECT_EQ(view->model()->columnCount(), 7);
    EXPECT_EQ(view->model()->rowCount(), 1);
    EXPECT_FALSE(view->horizontalHeader()->isVisible());
    EXPECT_FALSE(view->verticalHeader()->isVisible());
    EXPECT_EQ(view->rowHeight(0), 24);
    // The seven columns fill the grid: no white strip beside the last one.
    const int used = view->columnViewportPosition(6) + view->columnWidth(6);
    EXPECT_GE(used, view->viewport()->width() - 1);
}

TEST_F(PageGrid, AddingRowsShadesEverySecondRowAndShadingOnlyPaints)
{
    auto& w = window();
    dialogs.answers = {true};
    child<QPushButton>(&w, "清空本页按钮")->click();
    EXPECT_EQ(w.grid(0)->model()->rowCount(), 0);
    child<QPushButton>(&w, "增加按钮")->click();
    ASSERT_EQ(w.grid(0)->model()->rowCount(), 2);
    EXPECT_EQ(background(w.grid(0), 0), QColor(Qt::white));
    EXPECT_EQ(background(w.grid(0), 1), kGrey);
    child<QPushButton>(&w, "增加按钮")->click();
    EXPECT_EQ(background(w.grid(0), 3), kGrey);

    // A grey row keeps its grey when the empty rows above it go.
    auto* model = w.grid(0)->gridModel();
    w.session().editCell(0, {1, 0}, "5");
    w.session().tidyPages("tidy");
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(background(w.grid(0), 0), kGrey);
}

TEST_F(PageGrid, TypedValuesFollowTheCellRuleAndMinusOneIsRed)
{
    auto* view = window().grid(0);
    typeInto(view, 0, 0, "0");
    EXPECT_EQ(view->gridModel()->cellText(0, 0), "");
    typeInto(view, 0, 1, "-1");
    EXPECT_EQ(view->gridModel()->cellText(0, 1), "-1");
    EXPECT_EQ(foreground(view, 0, 1), QColor(255, 0, 0));
    typeInto(view, 0, 1, "1001");
    EXPECT_EQ(view->gridModel()->cellText(0, 1), "1001");
    EXPECT_EQ(foreground(view, 0, 1), QColor(0, 0, 0));
    typeInto(view, 0, 2, "12.6");
    EXPECT_EQ(view->gridModel()->cellText(0, 2), "13");
    typeInto(view, 0, 2, "abc");
    EXPECT_EQ(view->gridModel()->cellText(0, 2), "13"); // refused, unchanged
}

TEST_F(PageGrid, FillSelectedCellFillsOnlyEmptyCellsAtTheSessionsCursorAndMovesIt)
{
    auto& w = window();
    auto& session = w.session();
    auto* view = w.grid(0);
    session.addTwoRows(0);
    // The grid tells the session where its cursor is; the fill goes there and the grid follows.
    view->setCurrentIndex(view->model()->index(0, 6));
    EXPECT_EQ(session.cursor(0), (shop::CellPosition{0, 6}));
    EXPECT_TRUE(session.fillSelectedCell("1001"));
    EXPECT_EQ(view->gridModel()->cellText(0, 6), "1001");
    EXPECT_EQ(session.cursor(0), (shop::CellPosition{1, 0}));
    EXPECT_EQ(view->currentIndex(), view->model()->index(1, 0));

    session.setCursor(0, shop::CellPosition{0, 6});
    EXPECT_EQ(view->currentIndex(), view->model()->index(0, 6));
    EXPECT_FALSE(session.fillSelectedCell("2002"));
    EXPECT_EQ(view->gridModel()->cellText(0, 6), "1001");
    EXPECT_EQ(view->currentIndex(), view->model()->index(0, 6));

    view->setCurrentIndex(view->model()->index(2, 6));
    EXPECT_TRUE(session.fillSelectedCell("3003"));
    EXPECT_EQ(view->currentIndex(), view->model()->index(2, 6)); // the last cell keeps the cursor

    // The page shown is the session's: its grid's cursor takes the next fill, page 1's stays.
    auto* tabs = child<QTabWidget>(&w, "选择夹1");
    tabs->setCurrentIndex(2);
    EXPECT_EQ(session.currentPage(), 2);
    session.setCursor(2, shop::CellPosition{0, 1});
    EXPECT_EQ(w.grid(2)->currentIndex(), w.grid(2)->model()->index(0, 1));
    EXPECT_TRUE(session.fillSelectedCell("4004"));
    EXPECT_EQ(w.grid(2)->gridModel()->cellText(0, 1), "4004");
    EXPECT_EQ(w.grid(2)->currentIndex(), w.grid(2)->model()->index(0, 2));
    EXPECT_EQ(session.cursor(0), (shop::CellPosition{2, 6}));
    session.setCurrentPage(4);
    EXPECT_EQ(tabs->currentIndex(), 4);
    // One undo step per filled cell.
    session.undoStack()->undo();
    EXPECT_EQ(w.grid(2)->gridModel()->cellText(0, 1), "");
    // A page cleared leaves its grid without a cursor: nothing is filled there.
    session.setCurrentPage(0);
    session.clearPage(0);
    EXPECT_FALSE(session.cursor(0).has_value());
    EXPECT_FALSE(session.fillSelectedCell("5005"));
}

TEST_F(PageGrid, PageNamesAreEditedOneByOneWithTheMinusOneRule)
{
    auto& w = window();
    auto* tabs = child<QTabWidget>(&w, "选择夹1");
    auto names = w.session().pageNames();
    names[2] = "卷轴";
    w.session().renamePages(names);
    // An empty name would be saved as the default name: it is refused and asked again.
    dialogs.inputAnswers = {QString("武器"), std::nullopt,  QString("-1"),
                            QString(""),     QString("书"), QString("时装")};
    w.editPageNames();
    ASSERT_EQ(dialogs.inputs.size(), 6u);
    EXPECT_EQ(dialogs.inputs[0].title, "请输入第一页名称");
    EXPECT_EQ(dialogs.inputs[4].title, "请输入第四页名称");
    EXPECT_EQ(dialogs.inputs[5].title, "请输入第五页名称");
    EXPECT_EQ(dialogs.inputs[2].text, "删除页名称请输入-1|卷轴");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("-1"));
    EXPECT_EQ(tabs->tabText(0), "武器");
    EXPECT_EQ(tabs->tabText(1), "第二页");
    EXPECT_EQ(tabs->tabText(2), "第三页");
    EXPECT_EQ(tabs->tabText(3), "书");
    EXPECT_EQ(tabs->tabText(4), "时装");
    w.session().undoStack()->undo();
    EXPECT_EQ(tabs->tabText(0), "第一页");
    EXPECT_EQ(tabs->tabText(2), "卷轴");
    // A name the table cannot hold as one line is refused with the character named, and asked again.
    dialogs.inputAnswers = {QString("A\r\ntab_name_1>B"), QString("甲>乙"), QString("甲乙")};
    w.editPageNames();
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.inputs[7].text, "删除页名称请输入-1|A\r\ntab_name_1>B");
    EXPECT_TRUE(dialogs.messages[2].text.contains(">"));
    EXPECT_EQ(w.session().pageNames()[0], "甲乙");
    w.session().undoStack()->undo();
    // A name with "&" shows as typed, not as a shortcut marker.
    dialogs.inputAnswers = {QString("刀&剑")};
    w.editPageNames();
    EXPECT_EQ(w.session().pageNames()[0], "刀&剑");
    EXPECT_EQ(tabs->tabText(0), "刀&&剑");
}

TEST_F(PageGrid, ClearingAsksFirstAndKeepsPageNames)
{
    auto& w = window();
    auto* tabs = child<QTabWidget>(&w, "选择夹1");
    auto names = w.session().pageNames();
    names[1] = "药水";
    w.session().renamePages(names);
    for (int k = 0; k < 5; ++k)
        w.session().editCell(k, {0, 0}, "7");
    dialogs.answers = {false};
    child<QPushButton>(&w, "清空所有按钮")->click();
    EXPECT_EQ(w.grid(3)->model()->rowCount(), 1);
    dialogs.answers = {true};
    child<QPushButton>(&w, "清空所有按钮")->click();
    ASSERT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(dialogs.questions[1].text, "确定要清空 所有页 的数据吗？");
    EXPECT_EQ(dialogs.questions[1].title, "提示");
    EXPECT_EQ(dialogs.questions[1].icon, gui::Dialogs::Icon::None);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(w.grid(k)->model()->rowCount(), 0);
    EXPECT_EQ(tabs->tabText(1), "药水");

    w.session().undoStack()->undo();
    EXPECT_EQ(w.grid(4)->gridModel()->cellText(0, 0), "7");
    tabs->setCurrentIndex(4);
    dialogs.answers = {true};
    child<QPushButton>(&w, "清空本页按钮")->click();
    EXPECT_EQ(dialogs.questions.back().text, "确定要清空本页的数据吗？");
    EXPECT_EQ(w.grid(4)->model()->rowCount(), 0);
    EXPECT_EQ(w.grid(3)->model()->rowCount(), 1);
}

TEST_F(PageGrid, TheRepairBoxColoursItsLabelAndTheLabelTogglesIt)
{
    makeWorkspace(4, 4);
    ASSERT_TRUE(load());
    auto* box = child<QCheckBox>(&window(), "修理选择框");
    auto* label = child<QLabel>(&window(), "标签8");
    box->click();
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0x00, 0x80, 0x00));
    box->click();
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(window().session().isRepairable());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0x00, 0x80, 0x00));
}

TEST_F(PageGrid, ARefusedValueSaysWhyAtItsCell)
{
    auto* view = window().grid(0);
    typeInto(view, 0, 0, "1001");
    typeInto(view, 0, 0, "abc");
    EXPECT_EQ(view->gridModel()->cellText(0, 0), "1001");
    EXPECT_TRUE(view->lastRefusal().contains("abc"));
    for (int i = 0; i < 50 && !QToolTip::isVisible(); ++i)
        QTest::qWait(20);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains("abc"));
}

TEST_F(PageGrid, CopyPasteAndDeleteWorkOnCellRanges)
{
    auto* view = window().grid(0);
    QString block;
    for (int r = 0; r < 3; ++r) {
        QStringList row;
        for (int c = 0; c < 9; ++c)
            row << QString::number(100 * (r + 1) + c);
        block += row.join('\t') + "\r\n";
    }
    QApplication::clipboard()->setText(block);
    view->setFocus();
    view->setCurrentIndex(view->model()->index(0, 2));
    QTest::keySequence(view, QKeySequence::Paste);
    ASSERT_EQ(view->model()->rowCount(), 3);
    EXPECT_EQ(view->gridModel()->cellText(0, 2), "100");
    EXPECT_EQ(view->gridModel()->cellText(2, 6), "304");
    EXPECT_EQ(view->gridModel()->cellText(0, 0), "");

    view->selectionModel()->select(QItemSelection(view->model()->index(1, 2), view->model()->index(2, 3)),
                                   QItemSelectionModel::ClearAndSelect);
    QTest::keySequence(view, QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "200\t201\r\n300\t301\r\n");
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(view->gridModel()->cellText(1, 2), "");
    EXPECT_EQ(view->gridModel()->cellText(2, 3), "");
    EXPECT_EQ(view->gridModel()->cellText(2, 4), "302");

    window().session().undoStack()->undo(); // the delete
    EXPECT_EQ(view->gridModel()->cellText(1, 2), "200");
    window().session().undoStack()->undo(); // the paste
    EXPECT_EQ(view->model()->rowCount(), 1);
    EXPECT_EQ(view->gridModel()->cellText(0, 2), "");
    window().session().undoStack()->redo();
    EXPECT_EQ(view->gridModel()->cellText(2, 6), "304");
}
