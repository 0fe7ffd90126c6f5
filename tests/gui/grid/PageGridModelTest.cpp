#include "GuiTestSupport.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QUndoStack>

using namespace shopkeeper;
using gui::PageGridModel;

namespace {

// Counts what the model tester reports, so a broken model contract fails the test.
int gTesterFailures = 0;
void countFailures(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && message.contains("FAIL"))
        ++gTesterFailures;
}

class CheckedModel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gTesterFailures = 0;
        previous = qInstallMessageHandler(countFailures);
        tester = std::make_unique<QAbstractItemModelTester>(
            &model, QAbstractItemModelTester::FailureReportingMode::Warning);
    }
    void TearDown() override
    {
        tester.reset();
        qInstallMessageHandler(previous);
        EXPECT_EQ(gTesterFailures, 0) << "the model broke the item-model contract";
    }

    // The page models adapt the session's document; every change goes through the session.
    gui::ShopSession session{std::filesystem::temp_directory_path()};
    PageGridModel model{session, 0};
    QUndoStack& undo = *session.undoStack();

    // The page as a pasted item list: a read, with an empty undo history.
    void fill(const QString& items) { session.readPasted(items); }
    std::unique_ptr<QAbstractItemModelTester> tester;
    QtMessageHandler previous = nullptr;
};

} // namespace

TEST_F(CheckedModel, EveryGridOperationKeepsTheModelContract)
{
    fill("1\t2\t3\t4\t5\t6\t7\t8\t");
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_TRUE(model.isRowShaded(1));
    session.addTwoRows(0);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_TRUE(model.isRowShaded(3));
    session.tidyPages("tidy");
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.cellText(1, 6), "-1");
    EXPECT_EQ(model.index(1, 6).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_TRUE(session.paste(0, {1, 0}, "10\t11\t12\r\n13\r\n"));
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_TRUE(session.clearCells(0, {{0, 0}, {2, 5}}));
    session.clearPage(0);
    EXPECT_EQ(model.rowCount(), 0);
    // Undo brings whole pages back: before the clearing, the delete, then the paste.
    undo.undo();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.cellText(2, 0), "13");
    EXPECT_EQ(model.cellText(0, 0), "");
    undo.undo();
    EXPECT_EQ(model.cellText(0, 0), "1");
    undo.undo();
    EXPECT_EQ(model.rowCount(), 2);
}

TEST_F(CheckedModel, GreyRowsMoveWithTheirRowsAndComeBackWithAnUndo)
{
    const auto shading = [this] {
        std::vector<bool> out;
        for (int r = 0; r < model.rowCount(); ++r) {
            const bool grey = model.isRowShaded(r);
            EXPECT_EQ(model.index(r, 0).data(Qt::BackgroundRole).value<QColor>(),
                      grey ? QColor(PageGridModel::kShadeColour) : QColor(Qt::white));
            out.push_back(grey);
        }
        return out;
    };
    fill("1\t2\t3\t4\t5\t6\t7\t8\t");
    EXPECT_EQ(shading(), (std::vector<bool>{false, true}));
    // Two rows more, then a paste that grows the page: every second row is grey.
    session.addTwoRows(0);
    EXPECT_EQ(shading(), (std::vector<bool>{false, true, false, true}));
    EXPECT_TRUE(session.paste(0, {3, 5}, "10\t11\t12\r\nx\r\n13\r\n"));
    EXPECT_EQ(shading(), (std::vector<bool>{false, true, false, true, false, true}));

    // Tidying drops the empty rows 1, 2 and 4 with their shading: grey rows stay grey as they
    // move up. An undo brings the rows back with the grey they had; a redo takes them again.
    EXPECT_TRUE(session.clearCells(0, {{3, 5}, {1, 0}, {20, 0}}));
    session.tidyPages("tidy");
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(shading(), (std::vector<bool>{false, true, true}));
    EXPECT_EQ(model.cellText(1, 6), "11");
    undo.undo();
    EXPECT_EQ(shading(), (std::vector<bool>{false, true, false, true, false, true}));
    undo.redo();
    EXPECT_EQ(shading(), (std::vector<bool>{false, true, true}));
    // Added rows paint every second row again; the rows that moved keep their grey.
    session.addTwoRows(0);
    EXPECT_EQ(shading(), (std::vector<bool>{false, true, true, true, false}));

    // Cleared pages start white again.
    session.clearAllPages();
    session.addTwoRows(0);
    EXPECT_EQ(shading(), (std::vector<bool>{false, true}));
}

TEST_F(CheckedModel, TypedValuesFollowTheCellRuleAndRefusalsSayWhy)
{
    QSignalSpy refused(&session, &gui::ShopSession::cellRefused);
    const auto at = model.index(0, 0);
    model.setData(at, "007", Qt::EditRole);
    EXPECT_EQ(model.cellText(0, 0), "7");
    model.setData(at, "+5", Qt::EditRole);
    EXPECT_EQ(model.cellText(0, 0), "5");
    model.setData(at, "0", Qt::EditRole);
    EXPECT_EQ(model.cellText(0, 0), "");
    EXPECT_EQ(refused.count(), 0);

    model.setData(model.index(0, 1), "1001", Qt::EditRole);
    for (const char* bad : {"abc", "-2", "-1.6", "0.2"}) {
        model.setData(model.index(0, 1), bad, Qt::EditRole);
        EXPECT_EQ(model.cellText(0, 1), "1001") << bad;
    }
    ASSERT_EQ(refused.count(), 4);
    EXPECT_TRUE(refused[0][3].toString().contains("abc"));
    EXPECT_TRUE(refused[1][3].toString().contains("分页"));
    EXPECT_TRUE(refused[2][3].toString().contains("-1.6"));
}

TEST_F(CheckedModel, TypingACellBackToItsTextIsNoChange)
{
    fill("500\t");
    model.setData(model.index(0, 0), "600", Qt::EditRole);
    EXPECT_FALSE(undo.isClean());
    model.setData(model.index(0, 0), "500", Qt::EditRole);
    EXPECT_TRUE(undo.isClean());
    EXPECT_EQ(undo.count(), 0);
    // Another cell in between: the two edits stay two steps.
    model.setData(model.index(0, 0), "600", Qt::EditRole);
    model.setData(model.index(0, 1), "1", Qt::EditRole);
    EXPECT_EQ(undo.count(), 2);
}

TEST_F(CheckedModel, AGridThatIsNotEditableRefusesEveryUserChange)
{
    fill("1\t2\t");
    session.setDocumentState(gui::DocumentState::Saving);
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    model.setData(model.index(0, 0), "9", Qt::EditRole);
    EXPECT_FALSE(session.paste(0, {0, 0}, "8\t8"));
    EXPECT_FALSE(session.clearCells(0, {{0, 1}}));
    EXPECT_EQ(model.cellText(0, 0), "1");
    EXPECT_EQ(model.cellText(0, 1), "2");
    EXPECT_EQ(undo.count(), 0);
    session.setDocumentState(gui::DocumentState::Idle);
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(CheckedModel, ACellsTooltipNamesItsItem)
{
    fill("1001\t-1\t");
    EXPECT_FALSE(model.index(0, 0).data(Qt::ToolTipRole).isValid());
    model.setNameLookup(
        [](const QString& id) { return id == "1001" ? QString("铁剑") : QString("未知物品"); });
    EXPECT_EQ(model.index(0, 0).data(Qt::ToolTipRole).toString(), "铁剑");
    EXPECT_FALSE(model.index(0, 1).data(Qt::ToolTipRole).isValid()); // an empty slot names nothing
    EXPECT_FALSE(model.index(0, 2).data(Qt::ToolTipRole).isValid());
}
