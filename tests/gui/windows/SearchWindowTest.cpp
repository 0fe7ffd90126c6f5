#include "gui/windows/SearchWindow.h"

#include "FakeLookup.h"
#include "GuiTestSupport.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace shopkeeper;
using namespace shopkeeper::test;

namespace {

class Search : public EditorFixture
{
protected:
    void SetUp() override
    {
        lookup = std::make_shared<FakeLookup>();
        for (int i = 0; i < 300; ++i)
            lookup->entries.push_back({QString::number(5000 + i), QStringLiteral("铁剑%1").arg(i)});
        lookup->entries.push_back({"7001", "Iron Shield"});
        itemTables = std::make_unique<FixedTables>(lookup);
        child<QPushButton>(&window(), "搜索按钮")->click();
        search = window().searchWindow();
        ASSERT_NE(search, nullptr);
    }
    // Types text and presses the search button; waits for the search to end.
    bool find(const QString& text)
    {
        QSignalSpy done(search, &gui::SearchWindow::searchFinished);
        child<QLineEdit>(search, "搜索编辑框")->setText(text);
        child<QPushButton>(search, "搜索按钮")->click();
        return done.count() > 0 || done.wait(10000);
    }
    QListWidget* list() { return child<QListWidget>(search, "超级列表框1"); }
    QLabel* count() { return child<QLabel>(search, "状态标签S"); }

    std::shared_ptr<FakeLookup> lookup;
    gui::SearchWindow* search = nullptr;
};

} // namespace

TEST_F(Search, ATextUnderFourBytesIsRefusedAndFourAsciiLettersAreSearched)
{
    EXPECT_EQ(search->size(), QSize(330, 422));
    EXPECT_EQ(child<QLabel>(search, "标签1")->text(), "内置物品ID仅供参考！");
    child<QLineEdit>(search, "搜索编辑框")->setText("铁");
    child<QPushButton>(search, "搜索按钮")->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "请输入要搜索的物品名,至少2个汉字长度！");
    EXPECT_EQ(dialogs.messages[0].title, "提示");
    EXPECT_EQ(list()->count(), 0);

    ASSERT_TRUE(find("iron"));
    ASSERT_EQ(list()->count(), 1);
    EXPECT_EQ(list()->item(0)->text(), "7001---Iron Shield");
    EXPECT_EQ(count()->text(), "已找到1个物品");
    EXPECT_EQ(count()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(Search, TheHundredHitQuestionStopsOnYesAndIsAskedOnceOnNo)
{
    dialogs.answers = {true};
    ASSERT_TRUE(find("铁剑"));
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].text, "已找到的物品超过100个，建议输入详细物品名再搜索！是否停止查找？");
    EXPECT_EQ(dialogs.questions[0].icon, gui::Dialogs::Icon::Question);
    EXPECT_EQ(list()->count(), 101);
    EXPECT_EQ(count()->text(), "已找到101个物品");

    dialogs.answers = {false};
    ASSERT_TRUE(find("铁剑"));
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(list()->count(), 300);
    EXPECT_EQ(count()->text(), "已找到300个物品");
    EXPECT_EQ(list()->item(299)->text(), "5299---铁剑299");
}

TEST_F(Search, ANewSearchReplacesTheRunningOneAndClosingStopsIt)
{
    lookup->delayPerItem = std::chrono::milliseconds(2);
    child<QLineEdit>(search, "搜索编辑框")->setText("铁剑");
    dialogs.answers = {false};
    child<QPushButton>(search, "搜索按钮")->click();
    ASSERT_TRUE(search->isSearching());
    QTest::qWait(30);
    ASSERT_TRUE(find("Shield"));
    ASSERT_EQ(list()->count(), 1);
    EXPECT_EQ(list()->item(0)->text(), "7001---Iron Shield");

    child<QLineEdit>(search, "搜索编辑框")->setText("铁剑");
    child<QPushButton>(search, "搜索按钮")->click();
    ASSERT_TRUE(search->isSearching());
    QPointer<gui::SearchWindow> guard(search);
    search->close();
    QTest::qWait(50);
    EXPECT_TRUE(guard.isNull());
}

TEST_F(Search, ChoosingAResultFillsBothBoxesAndTheClipboard)
{
    ASSERT_TRUE(find("Shield"));
    list()->setCurrentRow(0);
    EXPECT_EQ(child<QLineEdit>(search, "ID编辑框")->text(), "7001");
    EXPECT_EQ(child<QLineEdit>(search, "搜索编辑框")->text(), "Iron Shield");
    EXPECT_EQ(QApplication::clipboard()->text(), "7001");
    QApplication::clipboard()->setText("x");
    emit list()->itemDoubleClicked(list()->item(0));
    EXPECT_EQ(QApplication::clipboard()->text(), "7001");

    // A search without hits leaves no ID of an earlier result behind.
    ASSERT_TRUE(find("Nothing like it"));
    EXPECT_EQ(list()->count(), 0);
    EXPECT_TRUE(child<QLineEdit>(search, "ID编辑框")->text().isEmpty());
}
