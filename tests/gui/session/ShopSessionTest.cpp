#include "gui/session/ShopSession.h"

#include "GuiTestSupport.h"
#include "core/shop/ShopReader.h"
#include "core/workspace/NpcDiscovery.h"
#include "gui/grid/PageGridModel.h"

#include <QSignalSpy>

using namespace shopkeeper;
using namespace shopkeeper::test;
using gui::ShopSession;

namespace {

class Session : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            generator::generateWorkspace(dir.path(), {.shops = 8, .npcs = 8, .seed = 11}).has_value());
        shops = workspace::loadWorkspace(workspace::Workspace(dir.path())).value().shopFiles;
        session = std::make_unique<ShopSession>(dir.path());
    }
    shop::ShopDocument coreRead(const std::filesystem::path& shop)
    {
        const workspace::Workspace ws(dir.path());
        return shop::ShopReader::open(shop, ws.shopStringTablePath()).value();
    }

    // A grid's model over the session, as the window makes it.
    gui::PageGridModel* model(int page)
    {
        auto& made = models[static_cast<std::size_t>(page)];
        if (!made)
            made = std::make_unique<gui::PageGridModel>(*session, page);
        return made.get();
    }

    TempDir dir;
    std::vector<std::filesystem::path> shops;
    std::unique_ptr<ShopSession> session;
    std::array<std::unique_ptr<gui::PageGridModel>, 5> models;
};

} // namespace

TEST_F(Session, OpensAShopAsTheCoreReadsIt)
{
    QSignalSpy binding(session.get(), &ShopSession::bindingChanged);
    ASSERT_EQ(session->open(shops[0]).status, ShopSession::OpenStatus::Opened);
    const auto read = coreRead(shops[0]);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(session->document().page(k), read.page(k));
        EXPECT_EQ(session->pageNames()[static_cast<std::size_t>(k)],
                  gui::qs(read.names()[static_cast<std::size_t>(k)]));
    }
    EXPECT_EQ(session->isRepairable(), read.isRepairable());
    EXPECT_TRUE(session->isBound());
    EXPECT_EQ(session->path(), shops[0]);
    EXPECT_FALSE(session->isModified());
    EXPECT_GE(binding.count(), 1);
}

TEST_F(Session, EditsMarkTheShopModifiedAndUndoingThemMakesItCleanAgain)
{
    ASSERT_EQ(session->open(shops[1]).status, ShopSession::OpenStatus::Opened);
    QSignalSpy modified(session.get(), &ShopSession::modifiedChanged);
    auto* grid = model(0);
    const QString old = grid->cellText(0, 0);
    grid->setData(grid->index(0, 0), "31337", Qt::EditRole);
    EXPECT_TRUE(session->isModified());
    ASSERT_EQ(modified.count(), 1);
    EXPECT_TRUE(modified[0][0].toBool());
    session->undoStack()->undo();
    EXPECT_FALSE(session->isModified());
    EXPECT_FALSE(modified.last()[0].toBool());
    EXPECT_EQ(grid->cellText(0, 0), old);

    // Ticking and unticking the repair box is no change.
    const bool flag = session->isRepairable();
    session->setRepairable(!flag);
    EXPECT_TRUE(session->isModified());
    session->setRepairable(flag);
    EXPECT_FALSE(session->isModified());
    EXPECT_EQ(session->undoStack()->count(), 0);

    auto names = session->pageNames();
    names[3] = "杂货";
    session->renamePages(names);
    EXPECT_TRUE(session->isModified());
    EXPECT_EQ(session->pageNames()[3], "杂货");
    session->undoStack()->undo();
    EXPECT_NE(session->pageNames()[3], "杂货");
}

TEST_F(Session, SaveWritesTheEditsAndReopeningShowsThem)
{
    ASSERT_EQ(session->open(shops[2]).status, ShopSession::OpenStatus::Opened);
    auto* grid = model(0);
    grid->setData(grid->index(0, 0), "424242", Qt::EditRole);
    auto names = session->pageNames();
    names[0] = "宝石";
    session->renamePages(names);
    session->setRepairable(!session->isRepairable());
    const bool repairable = session->isRepairable();

    QSignalSpy modified(session.get(), &ShopSession::modifiedChanged);
    ASSERT_EQ(session->save().status, ShopSession::SaveStatus::Saved);
    EXPECT_FALSE(session->isModified());
    ASSERT_EQ(modified.count(), 1);

    const auto read = coreRead(shops[2]);
    EXPECT_EQ(read.page(0).cell(0, 0), "424242");
    EXPECT_EQ(read.names()[0], "宝石");
    EXPECT_EQ(read.isRepairable(), repairable);
    ASSERT_EQ(session->reopen().status, ShopSession::OpenStatus::Opened);
    EXPECT_EQ(model(0)->cellText(0, 0), "424242");
    EXPECT_EQ(session->pageNames()[0], "宝石");
    EXPECT_FALSE(session->isModified());
}

TEST_F(Session, WhileNotEditableNothingChangesTheShop)
{
    ASSERT_EQ(session->open(shops[0]).status, ShopSession::OpenStatus::Opened);
    const auto before = session->document().snapshot(0);
    const auto names = session->pageNames();
    session->setDocumentState(gui::DocumentState::Saving);
    session->addTwoRows(0);
    session->clearPage(0);
    session->clearAllPages();
    auto renamed = names;
    renamed[0] = "x";
    session->renamePages(renamed);
    session->setRepairable(!session->isRepairable());
    model(0)->setData(model(0)->index(0, 0), "77", Qt::EditRole);
    EXPECT_EQ(session->document().snapshot(0), before);
    EXPECT_EQ(session->pageNames(), names);
    EXPECT_FALSE(session->isModified());
    session->setDocumentState(gui::DocumentState::Idle);
    session->addTwoRows(0);
    EXPECT_TRUE(session->isModified());
}

TEST_F(Session, AShopThatCannotBeReadLeavesNothingBound)
{
    ASSERT_EQ(session->open(shops[0]).status, ShopSession::OpenStatus::Opened);
    writeFile(shops[1], "`[etc shop]`\r\n[sell item]\r\n1\tpotion\t\r\n[/sell item]\r\n");
    const auto result = session->open(shops[1]);
    EXPECT_EQ(result.status, ShopSession::OpenStatus::Unreadable);
    EXPECT_TRUE(result.message.startsWith("数据格式未知,无法读取！"));
    EXPECT_FALSE(session->isBound());
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(model(k)->rowCount(), 0);
    EXPECT_EQ(session->save().status, ShopSession::SaveStatus::Failed);
}

TEST_F(Session, PastedItemsLeaveTheFileAndTheirOutputIsNoEdit)
{
    ASSERT_EQ(session->open(shops[0]).status, ShopSession::OpenStatus::Opened);
    const auto read = session->readPasted("1\t2\t\t-2\t3\t");
    ASSERT_EQ(read.status, ShopSession::BlockStatus::Read);
    EXPECT_FALSE(session->isBound());
    EXPECT_EQ(session->pageNames()[0], "第一页");
    EXPECT_FALSE(session->isRepairable());
    EXPECT_EQ(model(0)->cellText(0, 2), "");
    EXPECT_EQ(model(1)->cellText(0, 0), "3");

    EXPECT_EQ(session->output(), "1\t2\t-1\t-1\t-1\t-1\t-1\t-2\t3\t-1\t-1\t-1\t-1\t-1\t-1\t");
    EXPECT_FALSE(session->isModified());
    EXPECT_EQ(model(0)->cellText(0, 2), "-1");

    EXPECT_EQ(session->readPasted("1 2 3").status, ShopSession::BlockStatus::NotABlock);
    EXPECT_EQ(session->readPasted("1\t-2\t2\t-2\t3\t-2\t4\t-2\t5\t-2\t6\t").status,
              ShopSession::BlockStatus::TooManyPages);
    EXPECT_EQ(model(1)->cellText(0, 0), "3"); // refused texts leave the pages alone

    // A pasted empty item between two TABs is an empty cell: the items after it keep their places.
    ASSERT_EQ(session->readPasted("1\t\t2\t").status, ShopSession::BlockStatus::Read);
    EXPECT_EQ(model(0)->cellText(0, 1), "");
    EXPECT_EQ(model(0)->cellText(0, 2), "2");
}

TEST_F(Session, AShopsBlockWithoutATabEmptiesTheGrids)
{
    ASSERT_EQ(session->open(shops[0]).status, ShopSession::OpenStatus::Opened);
    EXPECT_EQ(session->readMended("no items here").status, ShopSession::BlockStatus::NotABlock);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(model(k)->rowCount(), 0);
    EXPECT_TRUE(session->isBound());
}
