// Runs the built shopkeeper-cli's name and search commands on real folders.
#include "CliRun.h"
#include "TestFiles.h"
#include "core/catalogue/GbkText.h"
#include "core/catalogue/ItemCatalogue.h"
#include "core/catalogue/ItemSearch.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace shopkeeper;
using test::readFile;
using test::TempDir;
using test::writeFile;

namespace {

using Run = test::CliRun;

Run cli(const std::string& arguments)
{
    return test::runCli(arguments);
}

using test::quoted;

const catalogue::BuiltinItemList& builtin()
{
    return catalogue::BuiltinItemList::instance();
}

} // namespace

TEST(CliName, PrintsIdTabNameForEachIdFromTheBuiltInList)
{
    const std::string last(builtin().id(builtin().size() - 1));
    const auto run = cli("name 0 39912 -1 4000000000 " + last);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const catalogue::ItemCatalogue catalogue;
    EXPECT_EQ(run.out, "0\t" + catalogue.idToName("0") + "\n39912\t" + catalogue.idToName("39912") +
                           "\n-1\t\n4000000000\t未知物品\n" + last + "\t" +
                           std::string(builtin().name(builtin().size() - 1)) + "\n");
    EXPECT_FALSE(catalogue.idToName("0").empty());

    const auto json = cli("name --json 0 -1");
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out, "[{\"id\":\"0\",\"name\":\"" + catalogue.idToName("0") +
                            "\"},{\"id\":\"-1\",\"name\":\"\"}]\n");

    EXPECT_EQ(cli("name").exitCode, 1);
    EXPECT_EQ(cli("name --workspace").exitCode, 1);
}

TEST(CliName, UsesTheWorkspaceTableFirstAndReportsItsFailures)
{
    TempDir ws;
    writeFile(ws / "id-name.txt", *catalogue::utf8ToGbk("21\t二十一号\r\n1\t一号\r\n0\t自制零号"));
    const auto run = cli("name --workspace " + quoted(ws.path()) + " 1 21 0 39912");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "1\t一号\n21\t二十一号\n0\t自制零号\n39912\t" +
                           catalogue::ItemCatalogue().idToName("39912") + "\n");

    writeFile(ws / "id-name.txt", "no tab here");
    const auto unsupported = cli("name --workspace " + quoted(ws.path()) + " 1");
    EXPECT_EQ(unsupported.exitCode, 6);
    const std::string folderLine = "\n读取 id-name.txt 的文件夹：" + test::utf8(ws.path()) + "\n";
    EXPECT_EQ(unsupported.err, std::string("加载失败: ") + catalogue::kUnsupportedTableMessage + folderLine);
    EXPECT_TRUE(unsupported.out.empty());

    fs::remove(ws / "id-name.txt");
    const auto missing = cli("name --workspace " + quoted(ws.path()) + " 1");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, std::string("加载失败: ") + catalogue::kMissingTableMessage + folderLine);
}

TEST(CliSearch, PrintsTheEntriesInTheWindowsOrder)
{
    // An external name that the built-in list also has, under another ID.
    std::string shared;
    for (std::size_t i = 0; i < builtin().size() && shared.empty(); ++i) {
        if (builtin().name(i).starts_with("龙王的") && builtin().name(i).find('\t') == std::string_view::npos)
            shared = builtin().name(i);
    }
    ASSERT_FALSE(shared.empty());
    TempDir ws;
    writeFile(ws / "id-name.txt", "\xEF\xBB\xBF"
                                  "777\t" +
                                      shared + "\r\n778\t龙王的自制宝物\r\n");

    const auto run = cli("search --workspace " + quoted(ws.path()) + " 龙王的");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    catalogue::ItemCatalogue catalogue;
    ASSERT_TRUE(catalogue.loadExternalTable(ws.path()).has_value());
    std::string expected;
    const auto hits = catalogue::searchAllItems(catalogue, "龙王的");
    ASSERT_TRUE(hits.has_value());
    for (const auto& hit : *hits)
        expected += hit.entryText() + "\n";
    EXPECT_EQ(run.out, expected);
    EXPECT_TRUE(run.out.starts_with("777---" + shared + "\n778---龙王的自制宝物\n"));
    EXPECT_GT(std::count(run.out.begin(), run.out.end(), '\n'), 100);      // no question at 100 hits
    EXPECT_EQ(run.out.find("---" + shared + "\n", 10), std::string::npos); // listed once

    const auto json = cli("search --json --workspace " + quoted(ws.path()) + " 自制宝物");
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out, "[{\"id\":\"778\",\"name\":\"龙王的自制宝物\"}]\n");

    const auto none = cli("search 没有这种东西");
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "");
}

TEST(CliSearch, RefusesTextUnderFourGbkBytes)
{
    for (const char* text : {"ab", "abc", "龙", "龙a"}) {
        const auto run = cli(std::string("search ") + text);
        EXPECT_EQ(run.exitCode, 6) << text;
        EXPECT_EQ(run.err, "请输入要搜索的物品名,至少2个汉字长度！\n");
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_EQ(cli("search abcd").exitCode, 0);
    EXPECT_EQ(cli("search").exitCode, 1);
    EXPECT_EQ(cli("search 龙王 凤凰").exitCode, 1);
}
