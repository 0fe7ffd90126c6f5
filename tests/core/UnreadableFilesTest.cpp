// A file that exists but cannot be read is never taken for an empty one: the shop does not
// open, the load names the file, and no save writes a table built from a failed read.
// Permission cases run in a child process as the user nobody when the tests run as root.
#include "DocumentEdits.h"
#include "TestFiles.h"
#include "TestProcesses.h"
#include "core/io/AtomicFile.h"
#include "core/io/FileSystem.h"
#include "core/io/SystemError.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"
#include "core/text/StringTableCodec.h"
#include "core/workspace/Workspace.h"
#include "generator/WorkspaceGenerator.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace shopkeeper;
using test::readFile;
using test::runInChild;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

namespace {

constexpr auto kNoAccess = fs::perms::none;
constexpr auto kWriteOnly = fs::perms::owner_write;

const std::string kShop = "`[etc shop]`\r\n[tab name]\r\n<5::tab_name_1`商店`>\r\n[/tab name]\r\n"
                          "[sell item]\r\n1\t\r\n[/sell item]\r\n";

class Unreadable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (auto reason = test::permissionsCannotBeTested())
            GTEST_SKIP() << *reason;
        writeFile(shopPath(), kShop);
        writeFile(tablePath(),
                  text::StringTableCodec::encode("tab_name_1>武器\r\nother_shop>别家的页\r\n").value());
    }
    fs::path shopPath() const { return dir / "itemshop/a.shp"; }
    fs::path tablePath() const { return dir / "itemshop/itemshop.kor.str"; }

    TempDir dir;
};

} // namespace

TEST_F(Unreadable, AnUnreadableTableStopsTheShopFromOpening)
{
    for (const auto mode : {kNoAccess, kWriteOnly}) {
        fs::permissions(tablePath(), mode);
        const int code = runInChild(
            [&] {
                const auto opened = shop::ShopReader::open(shopPath(), tablePath());
                if (opened)
                    return 1;
                if (opened.error().kind != shop::ShopReadError::Kind::TableUnreadable)
                    return 2;
                return opened.error().message.find("itemshop.kor.str") != std::string::npos ? 0 : 3;
            },
            true);
        EXPECT_EQ(code, 0) << "mode " << static_cast<int>(mode);
    }
    // A missing table is no failure: the shop opens with its default page names.
    fs::remove(tablePath());
    const auto opened = shop::ShopReader::open(shopPath(), tablePath());
    ASSERT_TRUE(opened.has_value()) << opened.error().message;
    EXPECT_EQ(opened->names()[0], "第一页");
}

TEST_F(Unreadable, AnUnreadableShopFileIsToldFromAMissingOne)
{
    fs::permissions(shopPath(), kNoAccess);
    EXPECT_EQ(runInChild(
                  [&] {
                      const auto opened = shop::ShopReader::open(shopPath(), tablePath());
                      return !opened && opened.error().kind == shop::ShopReadError::Kind::Unreadable ? 0 : 1;
                  },
                  true),
              0);
    const auto missing = shop::ShopReader::open(dir / "itemshop/none.shp", tablePath());
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().kind, shop::ShopReadError::Kind::Missing);
}

// The table becomes unreadable between the open and the save: the save reads it again, fails,
// and writes neither file.
TEST_F(Unreadable, ASaveNeverWritesATableBuiltFromAFailedRead)
{
    auto document = shop::ShopReader::open(shopPath(), tablePath()).value();
    test::setName(document, 0, "改名");
    const auto tableBefore = readFile(tablePath());
    // The lock file is there already and open to everyone, as after any earlier save.
    writeFile(shop::ShopWriter::lockFileFor(tablePath()), "");
    fs::permissions(shop::ShopWriter::lockFileFor(tablePath()), fs::perms::all);
    fs::permissions(tablePath(), kWriteOnly);
    const int code = runInChild(
        [&] {
            io::AtomicFileWriter disk;
            shop::ShopWriter writer;
            const auto saved = writer.save(document, tablePath(), disk);
            if (saved)
                return 1;
            return saved.error().kind == shop::SaveError::Kind::TableUnreadable ? 0 : 2;
        },
        true);
    EXPECT_EQ(code, 0);
    fs::permissions(tablePath(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(readFile(tablePath()), tableBefore);
    EXPECT_EQ(readFile(shopPath()), kShop);

    // Where permissions cannot stop a read, a folder in the table's place does.
    fs::remove(tablePath());
    fs::create_directory(tablePath());
    io::AtomicFileWriter disk;
    shop::ShopWriter writer;
    const auto saved = writer.save(document, tablePath(), disk);
    ASSERT_FALSE(saved.has_value());
    EXPECT_EQ(saved.error().kind, shop::SaveError::Kind::TableUnreadable);
    EXPECT_EQ(readFile(shopPath()), kShop);
}

TEST_F(Unreadable, TheLoadNamesTheFileThatCouldNotBeRead)
{
    TempDir root;
    ASSERT_TRUE(generator::generateWorkspace(root.path(), {.shops = 4, .npcs = 4, .seed = 3}).has_value());
    const workspace::Workspace ws(root.path());
    ASSERT_TRUE(workspace::loadWorkspace(ws).has_value());
    for (const auto& file : {ws.shopIndexPath(), ws.npcStringTablePath()}) {
        SCOPED_TRACE(file.string());
        fs::permissions(file, kNoAccess);
        const int code = runInChild(
            [&] {
                const auto state = workspace::loadWorkspace(ws);
                if (state)
                    return 1;
                if (state.error().kind != workspace::LoadError::Kind::UnreadableFile ||
                    state.error().file != file)
                    return 2;
                return state.error().message.find(io::displayPath(file.filename())) != std::string::npos ? 0
                                                                                                         : 3;
            },
            true);
        EXPECT_EQ(code, 0);
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    }

    // An unreadable shop is named with its reason and the others are still listed; a folder
    // that cannot be read is named as such, not taken for missing files.
    const auto shops = workspace::loadWorkspace(ws).value().shopFiles;
    fs::permissions(shops.front(), kNoAccess);
    fs::permissions(ws.npcFolder(), kNoAccess);
    const int code = runInChild(
        [&] {
            const auto state = workspace::loadWorkspace(ws);
            const auto check = ws.checkRequiredFiles();
            if (state || state.error().kind != workspace::LoadError::Kind::UnreadableFile || check)
                return 1;
            for (const auto& message : {state.error().message, check.error().message}) {
                if (message.find("无法读取文件夹") == std::string::npos ||
                    message.find("npc") == std::string::npos)
                    return 2;
                if (message.find("（没有权限）") ==
                    std::string::npos) // the reason, in the message's language
                    return 3;
            }
            return 0;
        },
        true);
    EXPECT_EQ(code, 0);
    fs::permissions(ws.npcFolder(), fs::perms::all);
    const int listed = runInChild(
        [&] {
            const auto state = workspace::loadWorkspace(ws);
            if (!state || state->shopFiles != std::vector<fs::path>(shops.begin() + 1, shops.end()))
                return 1;
            const auto message = workspace::unreadableShopsMessage(*state);
            return state->unreadableShops.size() == 1 &&
                           message.find(io::displayPath(shops.front().filename())) != std::string::npos
                       ? 0
                       : 2;
        },
        true);
    EXPECT_EQ(listed, 0);
}

// A FIFO in the place of a shop file, a table or the NPC-name table is refused at once with
// its name and why; the child gives up after 20 s, so a hang fails the test.
TEST(NotRegularFiles, AFifoIsRefusedAtOnceWhereverItStands)
{
    TempDir root;
    ASSERT_TRUE(generator::generateWorkspace(root.path(), {.shops = 4, .npcs = 4, .seed = 5}).has_value());
    const workspace::Workspace ws(root.path());
    const auto shops = workspace::loadWorkspace(ws).value().shopFiles;
    auto document = shop::ShopReader::open(shops.back(), ws.shopStringTablePath()).value();
    const auto makeFifo = [](const fs::path& path) {
        fs::remove(path);
        return ::mkfifo(path.c_str(), 0644) == 0;
    };
    const int code = runInChild([&] {
        ::alarm(20);
        const auto isFifoMessage = [](const std::string& message, const fs::path& file) {
            return message.find("FIFO") != std::string::npos &&
                   message.find(io::displayPath(file.filename())) != std::string::npos;
        };
        if (!makeFifo(shops.front()))
            return 1;
        const auto state = workspace::loadWorkspace(ws);
        if (!state || state->unreadableShops.size() != 1 ||
            !isFifoMessage(workspace::unreadableShopsMessage(*state), shops.front()))
            return 2;
        const auto opened = shop::ShopReader::open(shops.front(), ws.shopStringTablePath());
        if (opened || !isFifoMessage(opened.error().message, shops.front()))
            return 3;
        if (!makeFifo(ws.shopStringTablePath()))
            return 4;
        io::AtomicFileWriter disk;
        const auto saved = shop::ShopWriter().save(document, ws.shopStringTablePath(), disk);
        if (saved || saved.error().kind != shop::SaveError::Kind::TableUnreadable)
            return 5;
        // The load, as every tool, refuses a shop table it could not read.
        const auto table = workspace::loadWorkspace(ws);
        if (table || !isFifoMessage(table.error().message, ws.shopStringTablePath()))
            return 8;
        fs::remove(ws.shopStringTablePath());
        std::ofstream(ws.shopStringTablePath()) << "";
        if (!makeFifo(ws.npcStringTablePath()))
            return 6;
        const auto names = workspace::loadWorkspace(ws);
        return !names && isFifoMessage(names.error().message, ws.npcStringTablePath()) ? 0 : 7;
    });
    EXPECT_EQ(code, 0);
}

// The common reasons a system call gives are said in Chinese inside the Chinese messages; the
// rest keep the system's own words.
TEST(SystemReasons, CommonOnesAreInChineseAndTheRestAsTheSystemSaysThem)
{
    using std::errc;
    for (const auto& [code, text] : {std::pair{errc::no_such_file_or_directory, "没有这个文件或文件夹"},
                                     {errc::permission_denied, "没有权限"},
                                     {errc::not_a_directory, "不是文件夹"},
                                     {errc::no_space_on_device, "磁盘已满"},
                                     {errc::read_only_file_system, "文件系统是只读的"},
                                     {errc::device_or_resource_busy, "文件或设备正忙"}}) {
        EXPECT_EQ(io::systemErrorText(static_cast<int>(code)), text);
        EXPECT_EQ(io::systemErrorText(std::error_code(static_cast<int>(code), std::system_category())), text);
    }
    EXPECT_EQ(io::systemErrorText(EINVAL), std::generic_category().message(EINVAL));

    // "npc" is a file where the folder should be: the message says so in Chinese.
    TempDir root;
    ASSERT_TRUE(generator::generateWorkspace(root.path(), {.shops = 2, .npcs = 2, .seed = 3}).has_value());
    const workspace::Workspace ws(root.path());
    fs::remove_all(ws.npcFolder());
    writeFile(ws.npcFolder(), "not a folder");
    const auto check = ws.checkRequiredFiles();
    ASSERT_FALSE(check.has_value());
    EXPECT_NE(
        check.error().message.find("无法读取文件夹：" + io::displayPath(ws.npcFolder()) + "（不是文件夹）"),
        std::string::npos)
        << check.error().message;
}
