// The workspace tools (where used, replace, check) on the shared hand-made workspace.
#include "ToolsWorkspace.h"
#include "core/io/FileLock.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"
#include "core/tools/ItemId.h"
#include "core/tools/ItemReplace.h"
#include "core/tools/WhereUsed.h"
#include "core/tools/WorkspaceCheck.h"
#include "core/workspace/NpcDiscovery.h"

#include <gtest/gtest.h>

using namespace shopkeeper;
using test::ToolsWorkspace;

namespace {

std::string uses(const std::vector<tools::ItemUse>& found)
{
    std::string out;
    for (const auto& use : found)
        out += use.fileName + " " + use.npcName + " " + std::to_string(use.cell.page + 1) + ":" +
               std::to_string(use.cell.row + 1) + ":" + std::to_string(use.cell.column + 1) + " " + use.id +
               " " + use.pageName + "\n";
    return out;
}

// Fails the n-th write (from 1) and passes the others to the real writer.
struct FailingWriter : io::FileWriter
{
    int failAt = 0;
    int writes = 0;
    io::AtomicFileWriter real;
    Status write(const std::filesystem::path& path, std::string_view bytes) override
    {
        if (++writes == failAt)
            return fail("disk full");
        return real.write(path, bytes);
    }
};

std::string outsideItemList(const std::string& shop)
{
    const auto sell = shop::findSection(shop, "[sell item]", "[/sell item]");
    return shop.substr(0, sell->begin + 11) + "|" + shop.substr(sell->end - 12);
}

} // namespace

TEST(ItemId, TakesWholeNumbersThatFitAndRefusesTheRest)
{
    const std::vector<std::pair<const char*, const char*>> cases = {{"7", "7"},
                                                                    {"007", nullptr},
                                                                    {"+12", nullptr},
                                                                    {"1000000000", "1000000000"},
                                                                    {"99999999999", nullptr},
                                                                    {"2147483647", "2147483647"},
                                                                    {"2147483648", nullptr},
                                                                    {"-1", nullptr},
                                                                    {"0", nullptr},
                                                                    {"12.5", nullptr},
                                                                    {"abc", nullptr},
                                                                    {"", nullptr},
                                                                    {"-5", nullptr}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(tools::parseItemId(text), expected ? std::optional<std::string>(expected) : std::nullopt)
            << text;
}

TEST(WhereUsed, FindsEveryCellInListOrderNamesTheUnreadableAndFollowsTheNpcList)
{
    ToolsWorkspace ws;
    const workspace::Workspace workspace(ws.dir.path());
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    const auto result = tools::WhereUsed::find(
        workspace, {"7", "300"},
        {[&](std::size_t done, std::size_t total) { progress.emplace_back(done, total); }});
    ASSERT_TRUE(result);
    EXPECT_EQ(uses(result->uses), "a.shp Baker 1:1:1 7 Food\n"
                                  "a.shp Baker 2:1:1 300 第二页\n"
                                  "a.shp Baker 2:1:2 7 第二页\n"
                                  "b.shp 未知NPC 1:1:3 7 第一页\n"
                                  "d.shp 未知NPC 1:1:2 7 第一页\n"
                                  "f.shp 未知NPC 1:1:1 300 第一页\n");
    ASSERT_EQ(result->unreadable.size(), 1u);
    EXPECT_EQ(result->unreadable[0].fileName, "c.shp");
    EXPECT_EQ(result->unreadable[0].error.kind, shop::ShopReadError::Kind::UnknownFormat);
    // Every step once, in order, whichever thread read the shop.
    ASSERT_EQ(progress.size(), 7u);
    for (std::size_t k = 0; k < progress.size(); ++k)
        EXPECT_EQ(progress[k], std::make_pair(k, std::size_t{6}));

    // The shops and names are those of the NPC list.
    std::string scanned;
    std::string listed;
    ASSERT_TRUE(tools::WorkspaceScan::run(workspace, [&](tools::ScannedShop& shop) {
        scanned += shop.fileName + "=" + shop.naming.name + ";";
    }));
    for (const auto& entry : workspace::buildNpcList(*workspace::loadWorkspace(workspace)))
        listed += entry.shopFile.filename().string() + "=" + entry.npcName + ";";
    EXPECT_EQ(scanned, listed);

    // A cancel stops at the next shop, and a cancelled run reports no half result.
    std::atomic<bool> cancel{false};
    std::size_t lastDone = 0;
    const auto cancelled = tools::WhereUsed::find(workspace, {"7"},
                                                  {[&](std::size_t done, std::size_t) {
                                                       lastDone = done;
                                                       cancel = done == 1;
                                                   },
                                                   &cancel});
    EXPECT_TRUE(cancelled->cancelled);
    EXPECT_EQ(lastDone, 1u);
    EXPECT_TRUE(cancelled->uses.empty());
}

TEST(ItemReplace, AllOrNothingThenOnlyTheItemListsChange)
{
    ToolsWorkspace ws;
    const workspace::Workspace workspace(ws.dir.path());
    const auto tablePath = workspace.shopStringTablePath();
    const std::string a = ws.shop("a.shp"), b = ws.shop("b.shp"), table = test::readFile(tablePath);

    auto plan = tools::ItemReplace::plan(workspace, "7", "-1");
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->changes.size(), 4u);
    ASSERT_EQ(plan->shops.size(), 3u);
    io::AtomicFileWriter writer;

    // c.shp cannot be read: nothing is written.
    auto outcome = tools::ItemReplace::apply(*plan, tablePath, writer);
    EXPECT_EQ(outcome.kind, tools::ReplaceOutcome::Kind::Unreadable);
    EXPECT_EQ(outcome.notWritten.size(), 3u);
    EXPECT_EQ(ws.shop("a.shp"), a);

    // Another save holds the lock, or a planned shop changed since it was read: nothing either.
    {
        auto held =
            io::FileLock::acquire(shop::ShopWriter::lockFileFor(tablePath), std::chrono::milliseconds(100));
        ASSERT_TRUE(held);
        // Reading and planning take no lock: only the writes wait for it.
        const auto planned = tools::ItemReplace::plan(workspace, "7", "-1");
        ASSERT_TRUE(planned);
        EXPECT_EQ(planned->shops.size(), plan->shops.size());
        outcome = tools::ItemReplace::apply(*plan, tablePath, writer, {true, std::chrono::milliseconds(50)});
        EXPECT_EQ(outcome.kind, tools::ReplaceOutcome::Kind::Busy);
    }
    test::writeFile(ws.dir / "itemshop/d.shp", test::shopText("etc shop", "", "7\t7\t"));
    outcome = tools::ItemReplace::apply(*plan, tablePath, writer, {true});
    EXPECT_EQ(outcome.kind, tools::ReplaceOutcome::Kind::ChangedOnDisk);
    EXPECT_EQ(ws.shop("a.shp"), a);

    // A write failing midway says which shops were written.
    plan = tools::ItemReplace::plan(workspace, "7", "-1");
    FailingWriter failing;
    failing.failAt = 2;
    outcome = tools::ItemReplace::apply(*plan, tablePath, failing, {true});
    EXPECT_EQ(outcome.kind, tools::ReplaceOutcome::Kind::WriteFailed);
    EXPECT_EQ(outcome.written, std::vector<std::filesystem::path>{ws.dir / "itemshop/a.shp"});
    EXPECT_EQ(outcome.notWritten.size(), 2u);
    EXPECT_EQ(ws.shop("b.shp"), b);

    // Written: every byte outside the item lists stays, the table too, and the shops read back.
    plan = tools::ItemReplace::plan(workspace, "100", "8");
    outcome = tools::ItemReplace::apply(*plan, tablePath, writer, {true});
    EXPECT_EQ(outcome.kind, tools::ReplaceOutcome::Kind::Written);
    EXPECT_EQ(outsideItemList(ws.shop("a.shp")), outsideItemList(a));
    EXPECT_EQ(outsideItemList(ws.shop("b.shp")), outsideItemList(b) + '\0'); // a saved script ends in one NUL
    EXPECT_EQ(test::readFile(tablePath), table);
    const auto reread = shop::ShopReader::open(ws.dir / "itemshop/a.shp", tablePath);
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->pages()[0].items(),
              (std::vector<std::string>{"-1", "8", "200", "8", test::kUnknownId, "-1", "-1"}));
    EXPECT_EQ(reread->names()[0], "Food");
    EXPECT_EQ(shop::ShopReader::open(ws.dir / "itemshop/b.shp", tablePath)->page(0).items()[0], "8");
}

TEST(WorkspaceCheck, ReportsEachKindInListAndPlaceOrder)
{
    ToolsWorkspace ws;
    const workspace::Workspace workspace(ws.dir.path());
    const auto catalogue = tools::checkCatalogueFor(workspace);
    EXPECT_FALSE(catalogue.note);
    const auto result = tools::WorkspaceCheck::run(workspace, catalogue.catalogue);
    ASSERT_TRUE(result);
    std::string lines;
    for (const auto& problem : result->problems) {
        lines += std::string(tools::checkKindName(problem.kind)) + " " + problem.fileName;
        if (problem.cell)
            lines += " " + std::to_string(problem.cell->page + 1) + ":" +
                     std::to_string(problem.cell->row + 1) + ":" + std::to_string(problem.cell->column + 1);
        lines += " " + problem.detail + "\n";
    }
    EXPECT_EQ(lines, "missing-page-name a.shp 第2个页名称键tab_name_2在itemshop.kor.str中没有对应的行\n"
                     "duplicate-item a.shp 1:1:4 物品ID 100 已在第1页第1行第2列出现\n"
                     "unknown-item a.shp 1:1:5 物品ID 2100000000 在物品表中没有名称（未知物品）\n"
                     "duplicate-item a.shp 2:1:2 物品ID 7 已在第1页第1行第1列出现\n"
                     "unknown-npc b.shp NPC文件n2.npc的名称键name_2在npc.kor.str中没有名称\n"
                     "unreadable-shop c.shp " +
                         result->problems[5].detail +
                         "\n"
                         "unknown-npc d.shp 没有NPC文件打开编号为4的商店\n"
                         "unknown-item d.shp 1:1:1 物品ID 2100000000 在物品表中没有名称（未知物品）\n"
                         "unknown-npc f.shp 打开编号为6的商店的NPC文件n3.npc没有<8::名称链接\n"
                         "unknown-npc g.shp itemshop.lst中没有这个商店文件的编号\n");
    EXPECT_NE(result->problems[5].detail.find("abc"), std::string::npos);

    // A table the check box would refuse leaves the built-in list alone, and says so.
    test::writeFile(ws.dir / "id-name.txt", "no tab here");
    EXPECT_TRUE(tools::checkCatalogueFor(workspace).note);
}

// Under the save lock no other writer runs: whoever takes it removes what killed writers left in
// itemshop/ (whatever process id their names carry), and until then the check reports it.
TEST(WorkspaceCheck, LeftoversAreReportedUntilAReplaceOrSaveTakesTheLock)
{
    ToolsWorkspace ws;
    const workspace::Workspace workspace(ws.dir.path());
    const auto tablePath = workspace.shopStringTablePath();
    const auto leftover = io::temporaryFileFor(ws.dir / "itemshop/a.shp"); // of this process, which runs
    const auto oldLock = ws.dir / "itemshop/itemshop.kor.str.lock";
    test::writeFile(leftover, "half a shop");
    test::writeFile(oldLock, "");
    const auto catalogue = tools::checkCatalogueFor(workspace);
    auto leftovers = [&] {
        std::vector<std::string> names;
        const auto result = tools::WorkspaceCheck::run(workspace, catalogue.catalogue);
        for (const auto& problem : result->problems)
            if (problem.kind == tools::CheckProblem::Kind::LeftoverFile) {
                EXPECT_TRUE(problem.shopFile.empty());
                names.push_back(problem.fileName);
            }
        return names;
    };
    EXPECT_EQ(leftovers(), std::vector<std::string>{leftover.filename().string()});

    io::AtomicFileWriter writer;
    const auto plan = tools::ItemReplace::plan(workspace, "100", "8");
    ASSERT_TRUE(plan);
    EXPECT_EQ(tools::ItemReplace::apply(*plan, tablePath, writer, {true}).kind,
              tools::ReplaceOutcome::Kind::Written);
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_FALSE(std::filesystem::exists(oldLock));
    EXPECT_TRUE(leftovers().empty());
}
