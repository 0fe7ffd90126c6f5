// Runs the built shopkeeper-cli on fixture folders and compares its output with the expected
// files beside them.
#include "TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using shopkeeper::test::readFile;
using shopkeeper::test::TempDir;
using shopkeeper::test::writeFile;

namespace {

const fs::path kData = SHOPKEEPER_CLI_DATA;

struct Run
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

Run cli(const std::string& arguments, const std::string& input = "")
{
    TempDir io;
    writeFile(io / "in", input);
    const std::string command = "\"" SHOPKEEPER_CLI "\" " + arguments + " < \"" + (io / "in").string() +
                                "\" > \"" + (io / "out").string() + "\" 2> \"" + (io / "err").string() + "\"";
    const int status = std::system(command.c_str());
    Run run;
#ifdef _WIN32
    run.exitCode = status;
#else
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    run.out = readFile(io / "out");
    run.err = readFile(io / "err");
    return run;
}

std::string quoted(const fs::path& path)
{
    return "\"" + path.string() + "\"";
}

// A writable copy of the basic workspace.
struct Workspace
{
    Workspace() { fs::copy(kData / "basic", dir.path(), fs::copy_options::recursive); }
    TempDir dir;
};

} // namespace

TEST(CliNpcs, ListsTheNpcShopsOfAWorkspace)
{
    const auto run = cli("npcs " + quoted(kData / "basic"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, readFile(kData / "expected/npcs.txt"));
}

TEST(CliNpcs, MissingFilesAndNoShopsHaveTheirOwnMessagesAndExitCodes)
{
    Workspace ws;
    fs::remove(ws.dir / "itemshop/itemshop.lst");
    const auto missing = cli("npcs " + quoted(ws.dir.path()));
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("缺少必要的文件！"), std::string::npos);
    EXPECT_NE(missing.err.find("itemshop.kor.str"), std::string::npos);
    EXPECT_NE(missing.err.find("itemshop.lst"), std::string::npos);
    EXPECT_NE(missing.err.find("npc.kor.str"), std::string::npos);
    EXPECT_TRUE(missing.out.empty());

    writeFile(ws.dir / "itemshop/itemshop.lst", "");
    fs::remove(ws.dir / "itemshop/potion.shp");
    fs::remove(ws.dir / "itemshop/blade.shp");
    const auto none = cli("npcs " + quoted(ws.dir.path()));
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_EQ(none.err, "没有找到可修改的NPC商店文件！\n");
}

TEST(CliShow, PrintsTheShopAsJson)
{
    const auto run = cli("show " + quoted(kData / "basic") + " potion.shp");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, readFile(kData / "expected/show-potion.json"));

    const auto missing = cli("show " + quoted(kData / "basic") + " nothing.shp");
    EXPECT_EQ(missing.exitCode, 4);
    EXPECT_FALSE(missing.err.empty());
    const auto outside = cli("show " + quoted(kData / "basic") + " ../npc/alchemist.npc");
    EXPECT_EQ(outside.exitCode, 4);
    EXPECT_NE(outside.err.find("路径"), std::string::npos);
}

TEST(CliSave, WritesExactlyTheEditedPlaces)
{
    Workspace ws;
    const auto run =
        cli("save " + quoted(ws.dir.path()) + " potion.shp", readFile(kData / "expected/save-potion.json"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(readFile(ws.dir / "itemshop/potion.shp"), readFile(kData / "expected/potion-after-save.shp"));
    EXPECT_EQ(readFile(ws.dir / "itemshop/itemshop.kor.str"),
              readFile(kData / "expected/itemshop-after-save.kor.str"));

    // Showing the saved shop gives back what was saved.
    const auto shown = cli("show " + quoted(ws.dir.path()) + " potion.shp");
    EXPECT_NE(shown.out.find("\"repairable\":true"), std::string::npos);
    EXPECT_NE(shown.out.find("\"name\":\"药剂\""), std::string::npos);
}

TEST(CliSave, BadInputAndFailedSavesAreReported)
{
    Workspace ws;
    const auto before = readFile(ws.dir / "itemshop/potion.shp");
    for (const char* input :
         {"not json", "{\"pages\": [{}, {}, {}, {}, {}, {}]}",
          "{\"pages\": [{\"rows\": [[1, 2, 3, 4, 5, 6, 7, 8]]}]}",
          "{\"pages\": [{\"rows\": [[\"potion\"]]}]}", "{\"repairable\": 1, \"pages\": []}"}) {
        const auto run = cli("save " + quoted(ws.dir.path()) + " potion.shp", input);
        EXPECT_EQ(run.exitCode, 6) << input;
        EXPECT_FALSE(run.err.empty()) << input;
    }
    EXPECT_EQ(readFile(ws.dir / "itemshop/potion.shp"), before);

    const auto unbig5 = cli("save " + quoted(ws.dir.path()) + " potion.shp",
                            "{\"pages\": [{\"name\": \"☃\", \"rows\": [[\"1\"]]}]}");
    EXPECT_EQ(unbig5.exitCode, 5);
    EXPECT_NE(unbig5.err.find("保存失败！"), std::string::npos);
    EXPECT_NE(unbig5.err.find("☃"), std::string::npos);
    EXPECT_EQ(readFile(ws.dir / "itemshop/potion.shp"), before);
}

TEST(CliBlock, ReadAndWriteTheSellItemText)
{
    const auto read = cli("block read", "1\t2\t-2\t3\t");
    EXPECT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(read.out, "{\"pages\":[{\"rows\":[[\"1\",\"2\",\"\",\"\",\"\",\"\",\"\"]]},{\"rows\":[[\"3\","
                        "\"\",\"\",\"\",\"\",\"\",\"\"]]},"
                        "{\"rows\":[]},{\"rows\":[]},{\"rows\":[]}]}\n");
    const auto write = cli("block write", read.out);
    EXPECT_EQ(write.exitCode, 0) << write.err;
    EXPECT_EQ(write.out, "1\t2\t-1\t-1\t-1\t-1\t-1\t-2\t3\t-1\t-1\t-1\t-1\t-1\t-1\t");

    const auto six = cli("block read", "1\t-2\t2\t-2\t3\t-2\t4\t-2\t5\t-2\t6\t");
    EXPECT_EQ(six.exitCode, 6);
    EXPECT_EQ(six.err, "商店数据超过5页无法读取，请删除多出的页数据！\n");
}

TEST(CliUsage, HelpAndUnknownCommands)
{
    const auto help = cli("--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"npcs", "show", "save", "block", "make-workspace"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    EXPECT_NE(cli("frobnicate").exitCode, 0);
    EXPECT_NE(cli("npcs").exitCode, 0);
}

TEST(CliMakeWorkspace, WritesAWorkspaceThatLists)
{
    TempDir dir;
    const auto made = cli("make-workspace " + quoted(dir / "ws") + " --shops 12 --npcs 9 --seed 3");
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const auto listed = cli("npcs " + quoted(dir / "ws"));
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 12);
    EXPECT_NE(cli("make-workspace " + quoted(dir / "x") + " --shops many").exitCode, 0);
}
