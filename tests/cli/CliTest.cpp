// Runs the built shopkeeper-cli on fixture folders and compares its output with the expected
// files beside them.
#include "CliRun.h"
#include "TestFiles.h"
#include "core/io/FileLock.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using shopkeeper::test::readFile;
using shopkeeper::test::TempDir;
using shopkeeper::test::writeFile;

namespace {

const fs::path kData = SHOPKEEPER_CLI_DATA;

using Run = shopkeeper::test::CliRun;
using shopkeeper::test::quoted;

Run cli(const std::string& arguments, const std::string& input = "")
{
    return shopkeeper::test::runCli(arguments, input);
}

// A writable copy of the basic workspace, in a folder named as users name theirs: Chinese
// characters and a space, which reach the program as its arguments.
struct Workspace
{
    Workspace() { fs::copy(kData / "basic", dir.path(), fs::copy_options::recursive); }
    TempDir dir{"商店 工作区-"};
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

// What a save will write, then the save in the history outside the workspace, and back.
TEST(CliSave, ADryRunTellsTheSaveWhichHistoryKeepsAndRestoreUndoes)
{
    Workspace ws;
    const auto input = readFile(kData / "expected/save-potion.json");
    const auto shop = readFile(ws.dir / "itemshop/potion.shp");
    const auto table = readFile(ws.dir / "itemshop/itemshop.kor.str");
    const auto dry = cli("save " + quoted(ws.dir.path()) + " potion.shp --dry-run", input);
    EXPECT_EQ(dry.exitCode, 0) << dry.err;
    EXPECT_NE(dry.out.find("repair\tfalse\ttrue\n"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("name\t1\t"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("\ntable\t"), std::string::npos) << dry.out;
    EXPECT_EQ(readFile(ws.dir / "itemshop/potion.shp"), shop);
    const auto json = cli("save " + quoted(ws.dir.path()) + " potion.shp --dry-run --json", input);
    EXPECT_EQ(json.out.rfind("{\"cells\":[", 0), 0u) << json.out;
    EXPECT_EQ(cli("save " + quoted(ws.dir.path()) + " potion.shp --dry-run", "{").exitCode, 6);

    ASSERT_EQ(cli("save " + quoted(ws.dir.path()) + " potion.shp", input).exitCode, 0);
    const auto listed = cli("history " + quoted(ws.dir.path()));
    EXPECT_EQ(listed.exitCode, 0);
    ASSERT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 1) << listed.out;
    const auto id = listed.out.substr(0, listed.out.find('\t'));
    EXPECT_NE(listed.out.find("\tpotion.shp\t"), std::string::npos) << listed.out;
    EXPECT_TRUE(cli("history " + quoted(ws.dir.path()) + " blade.shp").out.empty());
    for (const auto& entry : fs::recursive_directory_iterator(ws.dir.path()))
        EXPECT_EQ(entry.path().string().find("history"), std::string::npos) << entry.path();

    const auto restored = cli("restore " + quoted(ws.dir.path()) + " " + id);
    EXPECT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(readFile(ws.dir / "itemshop/potion.shp"), shop);
    EXPECT_EQ(readFile(ws.dir / "itemshop/itemshop.kor.str"), table);
    EXPECT_EQ(cli("restore " + quoted(ws.dir.path()) + " " + id).exitCode, 7);
    EXPECT_EQ(cli("restore " + quoted(ws.dir.path()) + " " + id + " --force").exitCode, 0); // changes nothing
    EXPECT_EQ(cli("restore " + quoted(ws.dir.path()) + " 1999").exitCode, 6);
    // The restore is an entry of its own: restoring it brings the save back.
    const auto undone = restored.out.substr(0, restored.out.find('\t'));
    EXPECT_EQ(cli("restore " + quoted(ws.dir.path()) + " " + undone).exitCode, 0);
    EXPECT_EQ(readFile(ws.dir / "itemshop/potion.shp"), readFile(kData / "expected/potion-after-save.shp"));
    const auto after = cli("history " + quoted(ws.dir.path())).out;
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), 3) << after;
}

// Two workspaces compared shop by shop: the shops only one side has, and the cells, names and
// repair flag of the others; an unreadable shop is named and the rest still compared.
TEST(CliDiff, TellsWhatDiffersBetweenTwoWorkspaces)
{
    Workspace a, b;
    EXPECT_EQ(cli("diff " + quoted(a.dir.path()) + " " + quoted(b.dir.path())).exitCode, 0);
    ASSERT_EQ(
        cli("save " + quoted(b.dir.path()) + " potion.shp", readFile(kData / "expected/save-potion.json"))
            .exitCode,
        0);
    fs::rename(b.dir / "itemshop/blade.shp", b.dir / "itemshop/sword.shp");
    // The same two pages in the other order: each cell of both pages differs, in its own place.
    writeFile(a.dir / "itemshop/plain.shp",
              "`[item shop]`\r\n[sell item]\r\n1\t2\t-2\t3\t\r\n[/sell item]\r\n");
    writeFile(b.dir / "itemshop/plain.shp",
              "`[item shop]`\r\n[sell item]\r\n3\t-2\t1\t2\t\r\n[/sell item]\r\n");
    const auto run = cli("diff " + quoted(a.dir.path()) + " " + quoted(b.dir.path()));
    EXPECT_EQ(run.exitCode, 8) << run.err;
    EXPECT_EQ(run.out.rfind("blade.shp\tonly-in-a\nsword.shp\tonly-in-b\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("plain.shp\t1:1:1\t1\t3\nplain.shp\t1:1:2\t2\t\n"
                           "plain.shp\t2:1:1\t3\t1\nplain.shp\t2:1:2\t\t2\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("potion.shp\trepair\tfalse\ttrue\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("potion.shp\tname:1\t"), std::string::npos) << run.out;
    writeFile(b.dir / "itemshop/potion.shp", "no block");
    const auto unreadable = cli("diff " + quoted(a.dir.path()) + " " + quoted(b.dir.path()));
    EXPECT_EQ(unreadable.exitCode, 4);
    EXPECT_NE(unreadable.err.find("potion.shp"), std::string::npos);
    EXPECT_NE(unreadable.out.find("only-in-b"), std::string::npos);
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
    EXPECT_EQ(unbig5.exitCode, 6) << "a name the table cannot hold is bad input";
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
    for (const char* told : {"revision", "  4  ", "  6  ", "  7  "})
        EXPECT_NE(help.out.find(told), std::string::npos) << told;
    EXPECT_NE(cli("frobnicate").exitCode, 0);
    EXPECT_NE(cli("npcs").exitCode, 0);
    const auto version = cli("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "shopkeeper-cli " SHOPKEEPER_VERSION "\n");
}

// --help, the README and the man page give one table of exit codes, line for line.
TEST(CliUsage, HelpReadmeAndManPageGiveTheSameExitCodes)
{
    const auto help = cli("--help").out;
    const auto readme = readFile(kData / "../../../README.md");
    auto manPage = readFile(kData / "../../../packaging/linux/shopkeeper-cli.1.in");
    for (std::size_t at; (at = manPage.find("\\-")) != std::string::npos;)
        manPage.erase(at, 1);
    const auto table = help.substr(help.find("\nexit codes:\n") + 13);
    int codes = 0;
    for (std::size_t begin = 0, end; (end = table.find('\n', begin)) != std::string::npos; begin = end + 1) {
        const auto line = table.substr(begin, end - begin);
        const auto gap = line.find("  ", 2);
        ASSERT_TRUE(line.starts_with("  ") && gap != std::string::npos) << line;
        const auto code = line.substr(2, gap - 2), meaning = line.substr(gap + 2);
        EXPECT_EQ(code, std::to_string(codes++));
        EXPECT_NE(readme.find("| " + code + " | " + meaning + " |\n"), std::string::npos) << line;
        EXPECT_NE(manPage.find(".B " + code + "\n" + meaning + "\n"), std::string::npos) << line;
    }
    EXPECT_EQ(codes, 9);
    for (const char* command : {"where-used", "replace", "check", "history", "restore", "diff"})
        EXPECT_NE(manPage.find(".BI \"" + std::string(command)), std::string::npos) << command;
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

    // The share of unknown items: none, or every item sold.
    const auto unknownItems = [&](const char* percent) {
        const auto folder = dir / ("unknown-" + std::string(percent));
        EXPECT_EQ(cli("make-workspace " + quoted(folder) + " --shops 12 --npcs 9 --seed 3 --unknown-items " +
                      percent)
                      .exitCode,
                  0);
        const auto checked = cli("check " + quoted(folder));
        std::size_t unknown = 0;
        for (std::size_t at = 0; (at = checked.out.find("unknown-item\t", at)) != std::string::npos; ++at)
            ++unknown;
        return unknown;
    };
    EXPECT_EQ(unknownItems("0"), 0u);
    EXPECT_GT(unknownItems("100"), 200u);
    EXPECT_NE(cli("make-workspace " + quoted(dir / "y") + " --unknown-items 101").exitCode, 0);
}

// Permission bits, FIFOs and POSIX shells: these need Linux.
#ifndef _WIN32
namespace {

// Runs the command as the user nobody when the tests run as root, so that permission bits
// count; empty when that is impossible (the caller skips, saying why).
std::optional<std::string> asUnprivileged()
{
    if (::geteuid() != 0)
        return std::string();
    if (std::system("setpriv --reuid=65534 --regid=65534 --clear-groups true > /dev/null 2>&1") != 0)
        return std::nullopt;
    return std::string("setpriv --reuid=65534 --regid=65534 --clear-groups ");
}

Run cliAs(const std::string& prefix, const std::string& arguments, const std::string& input = "")
{
    TempDir io;
    fs::permissions(io.path(), fs::perms::all);
    writeFile(io / "in", input);
    const std::string command = prefix + "\"" SHOPKEEPER_CLI "\" " + arguments + " < \"" +
                                (io / "in").string() + "\" > \"" + (io / "out").string() + "\" 2> \"" +
                                (io / "err").string() + "\"";
    const int status = std::system(command.c_str());
    Run run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(io / "out");
    run.err = readFile(io / "err");
    return run;
}

} // namespace

// A table that exists but cannot be read: the shop is not opened and nothing is written.
TEST(CliSafety, AnUnreadableTableExitsFourAndIsNeverReplaced)
{
    const auto prefix = asUnprivileged();
    if (!prefix)
        GTEST_SKIP() << "running as root and setpriv cannot switch to the user nobody: permission bits would "
                        "not stop a read";
    Workspace ws;
    const auto table = ws.dir / "itemshop/itemshop.kor.str";
    const auto tableBefore = readFile(table);
    const auto shopBefore = readFile(ws.dir / "itemshop/potion.shp");
    fs::permissions(table, fs::perms::owner_write);
    const auto shown = cliAs(*prefix, "show " + quoted(ws.dir.path()) + " potion.shp");
    EXPECT_EQ(shown.exitCode, 4) << shown.err;
    EXPECT_NE(shown.err.find("itemshop.kor.str"), std::string::npos) << shown.err;
    const auto saved = cliAs(*prefix, "save " + quoted(ws.dir.path()) + " potion.shp",
                             "{\"pages\": [{\"name\": \"新\", \"rows\": [[\"1\"]]}]}");
    EXPECT_EQ(saved.exitCode, 4) << saved.err;
    fs::permissions(table, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                               fs::perms::others_read);
    EXPECT_EQ(readFile(table), tableBefore);
    EXPECT_EQ(readFile(ws.dir / "itemshop/potion.shp"), shopBefore);

    // An unreadable index fails the NPC list with the file's name.
    fs::permissions(ws.dir / "itemshop/itemshop.lst", fs::perms::none);
    const auto listed = cliAs(*prefix, "npcs " + quoted(ws.dir.path()));
    EXPECT_EQ(listed.exitCode, 4);
    EXPECT_NE(listed.err.find("itemshop.lst"), std::string::npos) << listed.err;
}

#endif

// The shop file is changed by another program while the save waits for the workspace's lock,
// after the CLI has read it: the save is refused with exit 7, and --force overwrites.
TEST(CliSafety, AShopChangedDuringTheSaveIsRefusedUnlessForced)
{
    Workspace ws;
    const auto shop = ws.dir / "itemshop/potion.shp";
    const auto input = readFile(kData / "expected/save-potion.json");
    const std::string theirs = "`[etc shop]`\r\n[sell item]\r\n9\t\r\n[/sell item]\r\n";
    for (const bool force : {false, true}) {
        SCOPED_TRACE(force);
        fs::copy_file(kData / "basic/itemshop/potion.shp", shop, fs::copy_options::overwrite_existing);
        auto lock = shopkeeper::io::FileLock::acquire(ws.dir / "itemshop", std::chrono::milliseconds(0));
        ASSERT_TRUE(lock.has_value());
        ::Run run;
        std::thread saver([&] {
            run = cli("save " + quoted(ws.dir.path()) + " potion.shp" + (force ? " --force" : ""), input);
        });
        // The CLI reads the shop at once, then waits for the lock.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        writeFile(shop, theirs);
        lock->release();
        saver.join();
        if (force) {
            EXPECT_EQ(run.exitCode, 0) << run.err;
            EXPECT_EQ(readFile(shop), readFile(kData / "expected/potion-after-save.shp"));
        } else {
            EXPECT_EQ(run.exitCode, 7) << run.err;
            EXPECT_NE(run.err.find("--force"), std::string::npos);
            EXPECT_EQ(readFile(shop), theirs);
        }
    }
}

TEST(CliSafety, CellsThatWouldBecomePageBreaksAndOutOfRangeNumbersAreBadInput)
{
    Workspace ws;
    const auto before = readFile(ws.dir / "itemshop/potion.shp");
    const auto minus2 = readFile(kData / "../fuzz-findings/json-minus2-cell.json");
    const auto saved = cli("save " + quoted(ws.dir.path()) + " potion.shp", minus2);
    EXPECT_EQ(saved.exitCode, 6);
    EXPECT_NE(saved.err.find("分页"), std::string::npos) << saved.err;
    EXPECT_EQ(cli("block write", minus2).exitCode, 6);
    EXPECT_EQ(cli("block write", "{\"pages\":[{\"rows\":[[\"-1.6\"]]}]}").exitCode, 6);
    EXPECT_EQ(cli("block write", "{\"pages\":[{\"rows\":[[-2]]}]}").exitCode, 6);

    // Scripted cells are exact: nothing is rounded, cut to its leading number or kept as text.
    for (const char* cell :
         {"18446744073709551615", "9223372036854775808", "2147483648", "-2147483649", "1.5", "-0.5", "1e3",
          "-2147483648", "\"1e5\"", "\"99999999999999999999999\"", "\"2147483648\"", "\"007\"", "\"+5\"",
          "\" 5\"", "\"-5\"", "\"12.6\"", "\"0\"", "0", "\"00\""}) {
        const auto run = cli("block write", "{\"pages\":[{},{\"rows\":[[1,2," + std::string(cell) + "]]}]}");
        EXPECT_EQ(run.exitCode, 6) << cell;
        EXPECT_NE(run.err.find("第2页第1行第3列"), std::string::npos) << cell << run.err;
        const auto refused = cli("save " + quoted(ws.dir.path()) + " potion.shp",
                                 "{\"pages\":[{\"rows\":[[" + std::string(cell) + "]]}]}");
        EXPECT_EQ(refused.exitCode, 6) << cell;
    }
    const auto inRange =
        cli("block write", "{\"pages\":[{\"rows\":[[2147483647, null, -1, \"2147483647\", \"1\", "
                           "\"-1\", \"\"]]}]}");
    EXPECT_EQ(inRange.exitCode, 0) << inRange.err;
    EXPECT_EQ(inRange.out, "2147483647\t-1\t-1\t2147483647\t1\t-1\t-1\t");
    EXPECT_EQ(readFile(ws.dir / "itemshop/potion.shp"), before);
}

#ifndef _WIN32
// The workspace after real use: a FIFO is named with its reason instead of hanging the tool,
// the readable shops are still listed, and saves, done or refused, leave itemshop/ and npc/
// holding exactly the files that were there.
TEST(CliSafety, AFifoIsNamedNotWaitedForAndSavesLeaveNoTrace)
{
    Workspace ws;
    const auto shops = ws.dir / "itemshop";
    const auto names = [](const fs::path& folder) {
        std::set<std::string> out;
        for (const auto& entry : fs::directory_iterator(folder))
            out.insert(entry.path().filename().string());
        return out;
    };
    ASSERT_EQ(::mkfifo((shops / "fifo.shp").c_str(), 0644), 0);
    const auto listed = cliAs("timeout 20 ", "npcs " + quoted(ws.dir.path()));
    EXPECT_EQ(listed.exitCode, 4) << listed.err;
    EXPECT_EQ(listed.out, readFile(kData / "expected/npcs.txt"));
    EXPECT_NE(listed.err.find("fifo.shp"), std::string::npos) << listed.err;
    EXPECT_NE(listed.err.find("FIFO"), std::string::npos) << listed.err;
    EXPECT_EQ(cliAs("timeout 20 ", "show " + quoted(ws.dir.path()) + " fifo.shp").exitCode, 4);
    fs::remove(shops / "fifo.shp");

    const auto shopFiles = names(shops), npcFiles = names(ws.dir / "npc");
    writeFile(shops / "itemshop.kor.str.lock", ""); // as earlier versions left it
    EXPECT_EQ(
        cli("save " + quoted(ws.dir.path()) + " potion.shp", readFile(kData / "expected/save-potion.json"))
            .exitCode,
        0);
    EXPECT_EQ(cli("save " + quoted(ws.dir.path()) + " potion.shp",
                  "{\"pages\": [{\"name\": \"☃\", \"rows\": [[1]]}]}")
                  .exitCode,
              6);
    EXPECT_EQ(names(shops), shopFiles);
    EXPECT_EQ(names(ws.dir / "npc"), npcFiles);
}

// One condition, one exit code, in every command that reads the workspace.
TEST(CliExitCodes, EachConditionHasOneCodeInEveryCommand)
{
    const struct
    {
        const char* condition;
        std::function<void(const fs::path&)> make;
        int exitCode;
    } conditions[] = {
        {"no workspace", [](const fs::path& ws) { fs::remove_all(ws); }, 2},
        {"no npc folder", [](const fs::path& ws) { fs::remove_all(ws / "npc"); }, 2},
        {"itemshop is a file",
         [](const fs::path& ws) {
             fs::remove_all(ws / "itemshop");
             writeFile(ws / "itemshop", "");
         },
         4},
        {"the table is a FIFO",
         [](const fs::path& ws) {
             fs::remove(ws / "itemshop/itemshop.kor.str");
             ::mkfifo((ws / "itemshop/itemshop.kor.str").c_str(), 0644);
         },
         4},
        {"the table is a folder",
         [](const fs::path& ws) {
             fs::remove(ws / "itemshop/itemshop.kor.str");
             fs::create_directory(ws / "itemshop/itemshop.kor.str");
         },
         4},
    };
    for (const auto& c : conditions) {
        Workspace ws;
        c.make(ws.dir.path());
        for (const std::string command : {"npcs WS", "check WS", "where-used WS 1001", "replace WS 1001 1002",
                                          "replace WS 1001 1002 --dry-run", "show WS potion.shp",
                                          "history WS", "restore WS 20261210-000000-000000-1"}) {
            auto arguments = command;
            arguments.replace(arguments.find("WS"), 2, quoted(ws.dir.path()));
            const auto run = cliAs("timeout 20 ", arguments);
            EXPECT_EQ(run.exitCode, c.exitCode) << c.condition << ": " << command << "\n" << run.err;
            EXPECT_FALSE(run.err.empty()) << c.condition << ": " << command;
        }
        const auto saved = cliAs("timeout 20 ", "save " + quoted(ws.dir.path()) + " potion.shp",
                                 readFile(kData / "expected/save-potion.json"));
        EXPECT_EQ(saved.exitCode, c.exitCode) << c.condition << ": save\n" << saved.err;
    }
}
#endif

// JSON from show carries the shop file's revision: a file changed since is not overwritten
// unless forced, and JSON without a revision saves as before.
TEST(CliSafety, ASaveWithTheRevisionOfShowRefusesAFileChangedSince)
{
    Workspace ws;
    const auto shop = ws.dir / "itemshop/potion.shp";
    auto edited = cli("show " + quoted(ws.dir.path()) + " potion.shp").out;
    ASSERT_NE(edited.find("\"revision\":\""), std::string::npos) << edited;
    edited.replace(edited.find("\"1001\""), 6, "\"4242\"");
    const std::string theirs = "`[etc shop]`\r\n[sell item]\r\n9\t\r\n[/sell item]\r\n";
    writeFile(shop, theirs);
    const auto refused = cli("save " + quoted(ws.dir.path()) + " potion.shp", edited);
    EXPECT_EQ(refused.exitCode, 7) << refused.err;
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    EXPECT_EQ(readFile(shop), theirs);
    EXPECT_EQ(cli("save " + quoted(ws.dir.path()) + " potion.shp --force", edited).exitCode, 0);
    EXPECT_NE(readFile(shop).find("4242"), std::string::npos);
}

TEST(CliSafety, PageNamesThatWouldBreakTheTableAreBadInput)
{
    Workspace ws;
    const auto before = readFile(ws.dir / "itemshop/itemshop.kor.str");
    for (const char* name : {"A\\r\\ntab_name_12>B", "A\\nB", "A>B", "A\\u0000B"}) {
        const auto run = cli("save " + quoted(ws.dir.path()) + " potion.shp",
                             "{\"pages\": [{\"name\": \"" + std::string(name) + "\", \"rows\": [[\"1\"]]}]}");
        EXPECT_EQ(run.exitCode, 6) << name;
        EXPECT_NE(run.err.find("页名称不能包含"), std::string::npos) << run.err;
    }
    EXPECT_EQ(readFile(ws.dir / "itemshop/itemshop.kor.str"), before);
}

// Bad input is exit 6 at once whatever the disk holds: before the revision is compared and
// before the lock, here held by another save, is waited for.
TEST(CliSafety, BadInputIsToldAtOnceBeforeTheRevisionAndTheLock)
{
    Workspace ws;
    const auto before = readFile(ws.dir / "itemshop/potion.shp");
    auto lock = shopkeeper::io::FileLock::acquire(ws.dir / "itemshop", std::chrono::milliseconds(0));
    ASSERT_TRUE(lock.has_value());
    for (const std::string revision : {"", "\"revision\": \"1-0000000000000000\", "}) {
        for (const std::string page :
             {"\"name\": \"☃\", \"rows\": [[\"1\"]]", "\"name\": \"\", \"rows\": [[\"1\"]]",
              "\"name\": \"A>B\", \"rows\": [[\"1\"]]", "\"rows\": [[\"0\"]]"}) {
            const auto started = std::chrono::steady_clock::now();
            const auto run = cli("save " + quoted(ws.dir.path()) + " potion.shp",
                                 "{" + revision + "\"pages\": [{" + page + "}]}");
            EXPECT_EQ(run.exitCode, 6) << revision << page << "\n" << run.err;
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3))
                << revision << page;
        }
    }
    EXPECT_EQ(readFile(ws.dir / "itemshop/potion.shp"), before);
}

// show | save changes nothing a save from the window would not: the cells are read by the cell
// rule, so show prints what the grids show and a save of that writes the same bytes again.
TEST(CliSafety, ShowThenSaveAgreesWithTheCellRule)
{
    Workspace ws;
    writeFile(ws.dir / "itemshop/odd.shp",
              "`[etc shop]`\r\n[sell item]\r\n0\t007\t+5\t-1\t-01\t\r\n[/sell item]\r\n");
    writeFile(ws.dir / "itemshop/itemshop.lst",
              readFile(ws.dir / "itemshop/itemshop.lst") + "9\t`odd.shp`\r\n");
    const auto shown = cli("show " + quoted(ws.dir.path()) + " odd.shp");
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("[[\"\",\"7\",\"5\",\"-1\",\"-1\",\"\",\"\"]]"), std::string::npos) << shown.out;
    ASSERT_EQ(cli("save " + quoted(ws.dir.path()) + " odd.shp", shown.out).exitCode, 0);
    const auto first = readFile(ws.dir / "itemshop/odd.shp");
    EXPECT_NE(first.find("[sell item]\r\n-1\t7\t5\t-1\t-1\t-1\t-1\t\r\n"), std::string::npos) << first;
    const auto again = cli("show " + quoted(ws.dir.path()) + " odd.shp");
    ASSERT_EQ(cli("save " + quoted(ws.dir.path()) + " odd.shp", again.out).exitCode, 0);
    EXPECT_EQ(readFile(ws.dir / "itemshop/odd.shp"), first);
}

#ifndef _WIN32 // the processes are started by a POSIX shell
// Real processes saving at once, different shops of one workspace and one shop twice, many
// rounds: no page name is lost and every tab key has its table line.
TEST(CliSafety, ParallelSavesLoseNoPageName)
{
    Workspace ws;
    const std::vector<std::string> shops = {"s1.shp", "s2.shp", "s3.shp", "s4.shp"};
    for (const auto& name : shops)
        writeFile(ws.dir / "itemshop" / name, "`[etc shop]`\r\n[sell item]\r\n1\t\r\n[/sell item]\r\n");
    TempDir inputs;
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        std::string command = "(";
        for (std::size_t s = 0; s <= shops.size(); ++s) {
            // The last process saves the first shop a second time, forcing over the other.
            const auto& shop = shops[s % shops.size()];
            const auto input = inputs / ("in" + std::to_string(s));
            writeFile(input, "{\"pages\": [{\"name\": \"店" + std::to_string(s) + "轮" +
                                 std::to_string(round) + "\", \"rows\": [[\"1\"]]}, {\"name\": \"二" +
                                 std::to_string(s) + "\", \"rows\": [[\"2\"]]}]}");
            command += "\"" SHOPKEEPER_CLI "\" save " + quoted(ws.dir.path()) + " " + shop + " --force < " +
                       quoted(input) + " > /dev/null 2>> " + quoted(inputs / "err") + " & ";
        }
        command += "wait)";
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(readFile(inputs / "err"), "");
        for (std::size_t s = 0; s < shops.size(); ++s) {
            const auto shown = cli("show " + quoted(ws.dir.path()) + " " + shops[s]);
            ASSERT_EQ(shown.exitCode, 0) << shown.err;
            const auto name = "店" + std::to_string(s) + "轮" + std::to_string(round);
            const auto other = "店" + std::to_string(shops.size()) + "轮" + std::to_string(round);
            EXPECT_TRUE(shown.out.find("\"name\":\"" + name + "\"") != std::string::npos ||
                        (s == 0 && shown.out.find("\"name\":\"" + other + "\"") != std::string::npos))
                << shops[s] << ": " << shown.out;
            EXPECT_EQ(shown.out.find("第一页"), std::string::npos)
                << "a tab key without its line: " << shown.out;
            EXPECT_EQ(shown.out.find("第二页"), std::string::npos)
                << "a tab key without its line: " << shown.out;
        }
    }
}
#endif
