// A save works against the disk as it is at the moment of writing: the table is read again and
// only this save's lines change, a shop file someone else changed is not overwritten unasked,
// and two saves of one workspace never run at once. Other writers are real processes.
#include "DocumentEdits.h"
#include "TestFiles.h"
#include "core/io/AtomicFile.h"
#include "core/io/FileLock.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"
#include "core/text/StringTableCodec.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include "TestProcesses.h"
#endif

using namespace shopkeeper;
using namespace shopkeeper::shop;
using test::readFile;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;
#ifndef _WIN32
using test::runInChild;
#endif

namespace {

std::string big5(const std::string& simplified)
{
    return text::StringTableCodec::encode(simplified).value();
}

std::string shopText(const std::string& key, const std::string& items)
{
    return "`[etc shop]`\r\n[tab name]\r\n<5::" + key + "`商店`>\r\n[/tab name]\r\n[sell item]\r\n" + items +
           "\r\n[/sell item]\r\n";
}

class SaveAgainstDisk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeFile(shop("a"), shopText("tab_name_1", "1\t"));
        writeFile(shop("b"), shopText("tab_name_2", "2\t"));
        writeFile(table(), big5("tab_name_1>甲店\r\ntab_name_2>乙店\r\nother_shop>别家\r\n"));
    }
    // A workspace folder with Chinese characters and a space, as users name theirs.
    fs::path root() const { return dir / io::pathFromUtf8("工作 目录"); }
    fs::path shop(const std::string& name) const { return root() / ("itemshop/" + name + ".shp"); }
    fs::path table() const { return root() / "itemshop/itemshop.kor.str"; }
    ShopDocument open(const std::string& name) const
    {
        auto d = ShopReader::open(shop(name), table());
        EXPECT_TRUE(d.has_value()) << (d ? "" : d.error().message);
        return d.value_or(ShopDocument{});
    }
    SaveResult<void> save(ShopDocument& d, const SaveOptions& options = {}) const
    {
        io::AtomicFileWriter disk;
        ShopWriter writer;
        return writer.save(d, table(), disk, options);
    }
    text::StringTable savedTable() const { return text::StringTable::read(table()).value(); }

    TempDir dir;
};

} // namespace

#ifndef _WIN32 // other writers are forked processes
TEST_F(SaveAgainstDisk, AnotherShopSavedInBetweenKeepsItsNames)
{
    auto a = open("a");
    // Another process saves shop b with a new name and two new pages while a is open.
    ASSERT_EQ(runInChild([&] {
                  auto b = open("b");
                  test::setName(b, 0, "乙店新名");
                  test::setPage(b, 1, ShopPage::fromItems({"3"}));
                  test::setPage(b, 2, ShopPage::fromItems({"4"}));
                  test::setName(b, 1, "乙二");
                  test::setName(b, 2, "乙三");
                  return save(b) ? 0 : 1;
              }),
              0);
    const auto afterB = open("b");
    test::setName(a, 0, "甲店新名");
    test::setPage(a, 1, ShopPage::fromItems({"5"}));
    test::setName(a, 1, "甲二");
    ASSERT_TRUE(save(a).has_value());

    const auto t = savedTable();
    EXPECT_EQ(t.lookup("tab_name_1"), "甲店新名");
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_EQ(t.lookup(afterB.source().pageKeys[k].value()), afterB.names()[k]) << k;
    // a's new key is new in the table as it was on disk, not only in a's old snapshot.
    const auto againA = open("a");
    const auto newKey = againA.source().pageKeys[1].value();
    for (const auto& key : afterB.source().pageKeys)
        EXPECT_NE(key.value_or(""), newKey);
    EXPECT_EQ(againA.names()[1], "甲二");
    EXPECT_EQ(open("b").names(), afterB.names());
}
#endif

TEST_F(SaveAgainstDisk, LinesThisSaveDoesNotChangeKeepTheirBytesOnDisk)
{
    auto a = open("a");
    // Another program rewrites the table: a's own line gets another name, a line is added and
    // a line the codec would not give back byte for byte is kept.
    const std::string other = big5("tab_name_1>甲店改\r\ntab_name_2>乙店\r\n") + "odd>\xA5\xA4\xA5\xA4\r\n" +
                              big5("other_shop>别家\r\nadded_line>新行\r\n");
    writeFile(table(), other);
    (void)a.setCell(static_cast<int>(0), {0, 1}, "9");
    ASSERT_TRUE(save(a).has_value());
    EXPECT_EQ(readFile(table()), other) << "a changed no name, so no line of the table changes";
    EXPECT_EQ(open("a").names()[0], "甲店改");
    EXPECT_EQ(open("a").pages()[0].cell(0, 1), "9");
}

#ifndef _WIN32 // other writers are forked processes
TEST_F(SaveAgainstDisk, AShopFileChangedSinceItWasReadIsNotOverwrittenUnasked)
{
    auto a = open("a");
    test::setName(a, 0, "我的名字");
    const std::string theirs = shopText("tab_name_1", "77\t");
    ASSERT_EQ(runInChild([&] {
                  writeFile(shop("a"), theirs);
                  return 0;
              }),
              0);
    const auto tableBefore = readFile(table());
    const auto refused = save(a);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().kind, SaveError::Kind::ChangedOnDisk);
    EXPECT_TRUE(refused.error().message.starts_with(kChangedOnDiskMessage));
    EXPECT_EQ(readFile(shop("a")), theirs);
    EXPECT_EQ(readFile(table()), tableBefore);
    EXPECT_EQ(a.names()[0], "我的名字") << "a refused save keeps the user's edits";

    ASSERT_TRUE(save(a, {.overwriteChanged = true}).has_value());
    EXPECT_EQ(open("a").pages()[0].cell(0, 0), "1");
    EXPECT_EQ(open("a").names()[0], "我的名字");
    // After its own save the document knows the file again: the next save needs no force.
    test::setName(a, 0, "再改");
    EXPECT_TRUE(save(a).has_value());
}
#endif

TEST_F(SaveAgainstDisk, ANewTimeOverTheSameBytesIsNoChangeButADeletedFileIs)
{
    auto a = open("a");
    fs::last_write_time(shop("a"), fs::last_write_time(shop("a")) + std::chrono::hours(1));
    EXPECT_TRUE(save(a).has_value());

    auto again = open("a");
    fs::remove(shop("a"));
    const auto refused = save(again);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().kind, SaveError::Kind::ChangedOnDisk);
    EXPECT_FALSE(fs::exists(shop("a")));
}

#ifndef _WIN32 // other writers are forked processes
// A second save waits for the lock a first one holds, a bounded time, then fails clearly.
TEST_F(SaveAgainstDisk, ASecondSaveWaitsForTheFirstAndGivesUpAfterItsTime)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        auto lock = io::FileLock::acquire(ShopWriter::lockFileFor(table()), std::chrono::milliseconds(0));
        const char byte = lock ? 'y' : 'n';
        (void)!::write(ready[1], &byte, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');

    auto a = open("a");
    // Bad input is told as such at once, without waiting for the lock.
    test::setName(a, 0, "雪人☃");
    const auto bad = save(a, {.lockWait = std::chrono::milliseconds(200)});
    ASSERT_FALSE(bad.has_value());
    EXPECT_EQ(bad.error().kind, SaveError::Kind::CannotEncode);
    EXPECT_NE(bad.error().message.find("☃"), std::string::npos);

    test::setName(a, 0, "等待");
    const auto tableBefore = readFile(table());
    const auto busy = save(a, {.lockWait = std::chrono::milliseconds(200)});
    ASSERT_FALSE(busy.has_value());
    EXPECT_EQ(busy.error().kind, SaveError::Kind::Busy);
    EXPECT_NE(busy.error().message.find("另一个程序正在保存"), std::string::npos);
    EXPECT_EQ(readFile(table()), tableBefore);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(save(a, {.lockWait = std::chrono::seconds(10)}).has_value());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500))
        << "the save must have waited for the holder";
    EXPECT_EQ(savedTable().lookup("tab_name_1"), "等待");
    int status = 0;
    ::waitpid(holder, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

// Many saves at once from real processes, of different shops and of the same shop: no page
// name is lost and every tab key has its table line.
TEST_F(SaveAgainstDisk, ConcurrentSavesLoseNoNameAndLeaveNoKeyWithoutALine)
{
    for (const char* name : {"c", "d", "e"})
        writeFile(shop(name), shopText("shared_key", "1\t-2\t2\t"));
    constexpr int kRounds = 6;
    std::vector<pid_t> children;
    const std::vector<std::string> shops = {"a", "b", "c", "d", "e", "e"};
    for (std::size_t s = 0; s < shops.size(); ++s) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (int round = 0; round < kRounds; ++round) {
                auto d = open(shops[s]);
                test::setName(d, 0, "店" + std::to_string(s) + "轮" + std::to_string(round));
                test::setName(d, 1, "二" + std::to_string(s));
                test::setPage(d, 1, ShopPage::fromItems({std::to_string(100 + round)}));
                if (!save(d, {.overwriteChanged = true, .lockWait = std::chrono::seconds(30)}))
                    ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto t = savedTable();
    for (std::size_t s = 0; s + 1 < shops.size(); ++s) {
        SCOPED_TRACE(shops[s]);
        const auto d = open(shops[s]);
        for (const auto& key : d.source().tabKeys)
            EXPECT_TRUE(t.lookup(key).has_value()) << "tab key " << key << " has no table line";
        const auto last = "轮" + std::to_string(kRounds - 1);
        if (shops[s] != "e") {
            EXPECT_EQ(d.names()[0], "店" + std::to_string(s) + last);
            EXPECT_EQ(d.names()[1], "二" + std::to_string(s));
        } else {
            // Two writers of one shop: the last save wins whole.
            const bool fourth = d.names()[0] == "店4" + last;
            EXPECT_TRUE(fourth || d.names()[0] == "店5" + last) << d.names()[0];
            EXPECT_EQ(d.names()[1], fourth ? "二4" : "二5");
        }
    }
    EXPECT_EQ(t.lookup("other_shop"), "别家");
    // The lock left nothing behind in the folder.
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(root() / "itemshop"))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files,
              (std::vector<std::string>{"a.shp", "b.shp", "c.shp", "d.shp", "e.shp", "itemshop.kor.str"}));
}
#endif

#ifndef _WIN32 // other writers are forked processes
// A shop file and a table that are symbolic links are written through them: the files they
// point at get the edit, replaced in their own folder, and the links stay links.
TEST_F(SaveAgainstDisk, ASaveWritesThroughSymbolicLinks)
{
    const auto real = root() / "real";
    fs::create_directories(real / "tables");
    fs::rename(shop("a"), real / "a.shp");
    fs::rename(table(), real / "tables/itemshop.kor.str");
    fs::create_symlink("../real/a.shp", shop("a"));
    fs::create_directory_symlink(real / "tables", root() / "tables-link");
    fs::create_symlink(root() / "tables-link/itemshop.kor.str", table());
    auto a = open("a");
    test::setName(a, 0, "链接");
    test::setPage(a, 0, ShopPage::fromItems({"777"}));
    ASSERT_TRUE(save(a).has_value());
    EXPECT_TRUE(fs::is_symlink(shop("a")));
    EXPECT_TRUE(fs::is_symlink(table()));
    EXPECT_NE(readFile(real / "a.shp").find("777"), std::string::npos);
    EXPECT_EQ(text::StringTable::read(real / "tables/itemshop.kor.str").value().lookup("tab_name_1"), "链接");
    EXPECT_EQ(open("a").names()[0], "链接");
}
#endif

#ifdef _WIN32
// Another program holds the shop file open without delete sharing, as editors and virus scanners
// do: the save says so, the file keeps its bytes and no temporary file stays. Once it lets go,
// the same save goes through.
TEST_F(SaveAgainstDisk, AShopFileHeldOpenByAnotherProgramIsReportedAndKept)
{
    auto a = open("a");
    (void)a.setCell(static_cast<int>(0), {0, 1}, "9");
    const auto before = readFile(shop("a"));
    HANDLE held = CreateFileW(shop("a").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const auto refused = save(a);
    ASSERT_FALSE(refused.has_value());
    EXPECT_NE(refused.error().message.find("其他程序打开"), std::string::npos) << refused.error().message;
    EXPECT_NE(refused.error().message.find("工作 目录"), std::string::npos) << refused.error().message;
    CloseHandle(held);
    EXPECT_EQ(readFile(shop("a")), before);
    for (const auto& entry : fs::directory_iterator(root() / "itemshop"))
        EXPECT_FALSE(io::temporaryFileWriter(io::displayPath(entry.path().filename())).has_value())
            << io::displayPath(entry.path());

    ASSERT_TRUE(save(a).has_value());
    EXPECT_EQ(open("a").pages()[0].cell(0, 1), "9");
    EXPECT_NE(readFile(shop("a")).find("\r\n[/sell item]\r\n"), std::string::npos) << "CR LF kept";
}
#endif
