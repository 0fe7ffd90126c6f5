#include "GuiTestSupport.h"
#include "gui/catalogue/CatalogueService.h"
#include "gui/windows/HelpWindow.h"
#include "gui/windows/PreviewWindow.h"
#include "gui/windows/SearchWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using namespace shopkeeper;
using namespace shopkeeper::test;

namespace {

class ExternalTable : public EditorFixture
{
protected:
    QCheckBox* box() { return child<QCheckBox>(&window(), "外置ID选择框"); }
    bool waitForCatalogue()
    {
        auto& catalogue = window().catalogue();
        catalogue.prepare();
        return QTest::qWaitFor([&] { return catalogue.isReady(); }, 20000);
    }
    QString tooltip(int row, int column)
    {
        return window().grid(0)->model()->index(row, column).data(Qt::ToolTipRole).toString();
    }
};

} // namespace

TEST_F(ExternalTable, AMissingFileOrOneWithoutATabIsReportedAndTheBoxStaysClear)
{
    box()->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "加载失败");
    EXPECT_EQ(dialogs.messages[0].icon, gui::Dialogs::Icon::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains("id-name.txt"));
    EXPECT_FALSE(box()->isChecked());

    writeFile(dir / "id-name.txt", "1001 铁剑\r\n");
    box()->click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    // Both messages name the workspace folder as where the table is read from, and the two
    // encodings it may have; nothing says "beside the program" or "Ansi" any more.
    const QString folderLine = "\n读取 id-name.txt 的文件夹：" + gui::nativePath(dir.path());
    EXPECT_EQ(dialogs.messages[0].text,
              "找不到你的物品ID表。请把它以'ID (制表符) 物品名'的格式保存为GBK或UTF-8编码的文本文件，"
              "命名为'id-name.txt'，放在下面的文件夹里。" +
                  folderLine);
    EXPECT_EQ(dialogs.messages[1].text,
              "格式不支持！请以'ID (制表符) 物品名'的格式，保存为GBK或UTF-8编码的文本文件。" + folderLine);
    // The help says the same.
    const QString help = gui::HelpWindow::usageText(gui::nativePath(dir.path()));
    EXPECT_TRUE(help.contains("GBK 或 UTF-8")) << help.toStdString();
    for (const char* wrong : {"ANSI", "Ansi", "同目录"})
        EXPECT_FALSE(help.contains(wrong) || dialogs.messages[0].text.contains(wrong)) << wrong;
    EXPECT_FALSE(box()->isChecked());
    EXPECT_FALSE(window().catalogue().externalInUse());
}

TEST_F(ExternalTable, TheUsersNamesShowInTooltipsAndTheStatusFollowsTheBox)
{
    ASSERT_TRUE(waitForCatalogue());
    child<QPushButton>(&window(), "预览按钮")->click();
    child<QPushButton>(&window(), "搜索按钮")->click();
    auto* previewStatus = child<QLabel>(window().previewWindow(), "标签1");
    auto* searchStatus = child<QLabel>(window().searchWindow(), "标签1");
    EXPECT_EQ(previewStatus->text(), "内置物品ID仅供参考！");

    auto* model = window().grid(0)->gridModel();
    model->setData(model->index(0, 0), "987654321", Qt::EditRole);
    model->setData(model->index(0, 1), "-1", Qt::EditRole);
    EXPECT_EQ(tooltip(0, 0), "未知物品");
    EXPECT_EQ(tooltip(0, 1), "");

    writeFile(dir / "id-name.txt", "987654321\t自制神剑\r\n");
    box()->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(box()->isChecked());
    EXPECT_EQ(previewStatus->text(), "已加载外置物品ID表！");
    EXPECT_EQ(searchStatus->text(), "已加载外置物品ID表！");
    EXPECT_EQ(tooltip(0, 0), "自制神剑");

    // Unchecking drops the table; checking again reads the file as it is now.
    box()->click();
    EXPECT_EQ(searchStatus->text(), "内置物品ID仅供参考！");
    EXPECT_EQ(tooltip(0, 0), "未知物品");
    writeFile(dir / "id-name.txt", "987654321\t改名神剑\r\n");
    box()->click();
    EXPECT_EQ(tooltip(0, 0), "改名神剑");
}
