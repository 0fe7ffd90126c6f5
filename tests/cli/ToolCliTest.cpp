// Runs the built shopkeeper-cli's where-used, replace and check on the tools' hand-made workspace.
#include "CliRun.h"
#include "tools/ToolsWorkspace.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace shopkeeper;

namespace {

using Run = test::CliRun;

Run cli(const std::string& arguments)
{
    return test::runCli(arguments);
}

struct Case
{
    std::string arguments; // after the command, WORKSPACE is the fixture
    int exitCode;
    std::string out;     // exact
    std::string errPart; // must occur in stderr
    bool writes = false; // whether the shops change
};

} // namespace

TEST(ToolCli, OutputsExitCodesAndWhatIsWritten)
{
    const std::vector<Case> cases = {
        {"where-used WS 7 300", 4,
         "a.shp\tBaker\t1\t1\t1\t7\na.shp\tBaker\t2\t1\t1\t300\na.shp\tBaker\t2\t1\t2\t7\n"
         "b.shp\t未知NPC\t1\t1\t3\t7\nd.shp\t未知NPC\t1\t1\t2\t7\nf.shp\t未知NPC\t1\t1\t1\t300\n",
         "c.shp"},
        {"where-used WS --json 200", 4,
         "[{\"shop\":\"a.shp\",\"npc\":\"Baker\",\"page\":1,\"row\":1,\"column\":3,\"id\":\"200\"},"
         "{\"shop\":\"g.shp\",\"npc\":\"未知NPC\",\"page\":1,\"row\":1,\"column\":1,\"id\":\"200\"}]\n",
         "c.shp"},
        {"where-used WS 7 12.5", 6, "", "12.5"},
        {"where-used WS 4294967296", 6, "", "4294967296"},
        {"where-used WS -1", 6, "", "-1"},
        {"where-used WS 7 0300", 6, "", "0300"},
        {"where-used WS +7", 6, "", "+7"},
        {"replace WS 007 9", 6, "", "007"},
        {"replace WS 7 +9", 6, "", "+9"},
        {"where-used WS --bogus 7", 1, "", "usage"},
        {"replace WS 300 -1 --dry-run", 4, "a.shp\tBaker\t2\t1\t1\t300\nf.shp\t未知NPC\t1\t1\t1\t300\n",
         "c.shp"},
        {"replace WS 300 -1", 4, "", "--skip-unreadable"},
        {"replace WS abc 5", 6, "", "abc"},
        {"replace WS 300 0", 6, "", "0"},
        {"replace WS 300 301 --skip-unreadable", 4,
         "a.shp\tBaker\t2\t1\t1\t300\nf.shp\t未知NPC\t1\t1\t1\t300\n", "c.shp", true},
        {"check WS", 8,
         "missing-page-name\ta.shp\t\t第2个页名称键tab_name_2在itemshop.kor.str中没有对应的行\n"
         "duplicate-item\ta.shp\t1:1:4\t物品ID 100 已在第1页第1行第2列出现\n",
         ""},
    };
    for (const auto& c : cases) {
        test::ToolsWorkspace ws;
        const std::string before = ws.shop("a.shp") + ws.shop("f.shp");
        auto arguments = c.arguments;
        arguments.replace(arguments.find("WS"), 2, test::quoted(ws.dir.path()));
        const auto run = cli(arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.err;
        if (c.arguments.starts_with("check"))
            EXPECT_TRUE(run.out.starts_with(c.out)) << run.out;
        else
            EXPECT_EQ(run.out, c.out) << c.arguments;
        EXPECT_NE(run.err.find(c.errPart), std::string::npos) << c.arguments << "\n" << run.err;
        EXPECT_EQ(ws.shop("a.shp") + ws.shop("f.shp") != before, c.writes) << c.arguments;
    }
}

TEST(ToolCli, CheckOfACleanWorkspaceAndReplaceOnceEveryShopReads)
{
    test::ToolsWorkspace ws;
    const std::string dir = test::quoted(ws.dir.path());
    test::writeFile(ws.dir / "itemshop/c.shp", test::shopText("etc shop", "", "7\t"));
    const auto replaced = cli("replace " + dir + " 7 9");
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(cli("where-used " + dir + " 7").out, "");
    EXPECT_EQ(cli("where-used " + dir + " 9").out.size(), replaced.out.size());

    // Only the fixable problems are mended here; a workspace without any checks clean.
    for (const char* shop : {"a.shp", "b.shp", "d.shp", "f.shp", "g.shp"})
        std::filesystem::remove(ws.dir / "itemshop" / shop);
    const auto clean = cli("check " + dir + " --json");
    EXPECT_EQ(clean.exitCode, 0) << clean.out;
    EXPECT_EQ(clean.out, "[]\n");
}
