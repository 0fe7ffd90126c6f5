// The wait for the built-in list: one operation of the catalogue service, which the preview's
// fill and the search both wait through.
#include "gui/catalogue/CatalogueService.h"

#include "FakeLookup.h"
#include "GuiTestSupport.h"
#include "gui/grid/PreviewGridModel.h"

#include <QLineEdit>
#include <QListWidget>

using namespace shopkeeper;
using namespace shopkeeper::test;

namespace {

constexpr int kWaitMs = 10000;

std::shared_ptr<FakeLookup> someNames()
{
    auto lookup = std::make_shared<FakeLookup>();
    lookup->names = {{"1001", "铁剑"}};
    lookup->entries = {{"1001", "铁剑"}, {"1002", "铁盾"}};
    return lookup;
}

} // namespace

TEST(CatalogueWait, WorkWaitsForTheLoadRunsOnceAfterItAndADroppedWaitNever)
{
    TempDir dir;
    auto owned = std::make_unique<FixedTables>(someNames(), false);
    FixedTables* tables = owned.get();
    gui::CatalogueService service(dir.path(), std::move(owned));
    QObject first;
    QObject second;
    QObject dropped;
    int firstRuns = 0;
    int secondRuns = 0;
    int droppedRuns = 0;

    EXPECT_FALSE(service.isReady());
    const auto wait = service.whenReady(&first, [&] { ++firstRuns; });
    EXPECT_TRUE(wait);
    (void)service.whenReady(&second, [&] { ++secondRuns; });
    QObject::disconnect(service.whenReady(&dropped, [&] { ++droppedRuns; }));
    // One load for every waiter, off this thread.
    ASSERT_TRUE(QTest::qWaitFor([&] { return tables->loads() == 1; }, kWaitMs));
    QTest::qWait(20);
    EXPECT_EQ(firstRuns, 0);

    QSignalSpy ready(&service, &gui::CatalogueService::ready);
    tables->finishLoad();
    ASSERT_TRUE(ready.wait(kWaitMs));
    EXPECT_TRUE(service.isReady());
    EXPECT_EQ(firstRuns, 1);
    EXPECT_EQ(secondRuns, 1);
    EXPECT_EQ(droppedRuns, 0);
    EXPECT_FALSE(wait); // done with once it has run

    // Once loaded, the work runs at once, with no wait left behind.
    EXPECT_FALSE(service.whenReady(&first, [&] { ++firstRuns; }));
    EXPECT_EQ(firstRuns, 2);
    EXPECT_EQ(tables->loads(), 1);
}

class CatalogueWindows : public EditorFixture
{
protected:
    void SetUp() override
    {
        lookup = someNames();
        auto owned = std::make_unique<FixedTables>(lookup, false);
        tables = owned.get();
        itemTables = std::move(owned);
        (void)window();
    }
    void TearDown() override
    {
        // A load still held would keep the window from closing.
        tables->finishLoad();
    }

    std::shared_ptr<FakeLookup> lookup;
    FixedTables* tables = nullptr;
};

TEST_F(CatalogueWindows, ThePreviewAndTheSearchStartWhenTheBuiltInListIsThere)
{
    window().session().editCell(0, {0, 0}, "1001");
    child<QPushButton>(&window(), "预览按钮")->click();
    child<QPushButton>(&window(), "搜索按钮")->click();
    auto* preview = window().previewWindow();
    auto* search = window().searchWindow();
    ASSERT_NE(preview, nullptr);
    ASSERT_NE(search, nullptr);

    QSignalSpy refreshed(preview, &gui::PreviewWindow::refreshed);
    QSignalSpy searched(search, &gui::SearchWindow::searchFinished);
    child<QPushButton>(preview, "刷新按钮")->click();
    // A first search text replaced before the list is there is not searched as well.
    child<QLineEdit>(search, "搜索编辑框")->setText(QStringLiteral("铁盾"));
    search->search();
    child<QLineEdit>(search, "搜索编辑框")->setText(QStringLiteral("铁剑"));
    search->search();
    ASSERT_TRUE(QTest::qWaitFor([&] { return tables->loads() == 1; }, kWaitMs));
    QTest::qWait(20);
    EXPECT_TRUE(refreshed.isEmpty());
    EXPECT_TRUE(search->isSearching());
    EXPECT_FALSE(child<QPushButton>(preview, "刷新按钮")->isEnabled());

    tables->finishLoad();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !refreshed.isEmpty() && !searched.isEmpty(); }, kWaitMs));
    EXPECT_EQ(preview->model(0)->name(0, 0), "铁剑");
    QTest::qWait(20);
    EXPECT_EQ(searched.count(), 1);
    EXPECT_EQ(lookup->searches.load(), 1);
    ASSERT_EQ(search->results()->count(), 1);
    EXPECT_TRUE(search->results()->item(0)->text().contains("1001"));
    EXPECT_FALSE(search->isSearching());
}
