#include "gui/grid/PreviewGridModel.h"

#include "GuiTestSupport.h"

#include <QAbstractItemModelTester>

using shopkeeper::gui::PreviewGridModel;

namespace {

int gFailures = 0;
void countFailures(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && message.contains("FAIL"))
        ++gFailures;
}

} // namespace

TEST(PreviewGridModel, KeepsTheModelContractThroughARefreshAndShowsNamesReadOnly)
{
    gFailures = 0;
    const auto previous = qInstallMessageHandler(countFailures);
    {
        PreviewGridModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
        model.setRowCount(3);
        model.shadeRows();
        model.setNames(1, {"甲", "乙", "", "丙", "丁", "戊", "己", "庚"});
        EXPECT_EQ(model.name(1, 0), "甲");
        EXPECT_EQ(model.name(2, 0), "庚");
        EXPECT_EQ(model.name(0, 0), "");
        EXPECT_TRUE(model.isRowShaded(1));
        EXPECT_FALSE(model.isRowShaded(2));
        EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
        // Names past the last row are dropped, not written out of bounds.
        model.setNames(2, std::vector<QString>(20, "x"));
        EXPECT_EQ(model.name(2, 6), "x");
        model.setRowCount(1);
        model.clear();
        EXPECT_EQ(model.rowCount(), 0);
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(gFailures, 0) << "the model broke the item-model contract";
}
