#include "core/shop/ShopWriter.h"

#include "DocumentEdits.h"
#include "TestFiles.h"
#include "core/io/AtomicFile.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/text/ScriptText.h"
#include "core/text/StringTableCodec.h"
#include "core/workspace/NpcDiscovery.h"
#include "core/workspace/Workspace.h"
#include "generator/WorkspaceGenerator.h"

#include <gtest/gtest.h>

using namespace shopkeeper;
using namespace shopkeeper::shop;
using test::readFile;
using test::TempDir;
using test::writeFile;

namespace {

std::string big5(const std::string& simplified)
{
    return text::StringTableCodec::encode(simplified).value();
}

// A failing disk: the write numbered failAt (from 1) fails, the others go through.
class FailingWriter : public io::FileWriter
{
public:
    explicit FailingWriter(int failAt) : failAt_(failAt) {}
    Status write(const std::filesystem::path& path, std::string_view bytes) override
    {
        if (++calls_ == failAt_)
            return fail("磁盘已满");
        return real_.write(path, bytes);
    }

private:
    int failAt_;
    int calls_ = 0;
    io::AtomicFileWriter real_;
};

class ShopFiles : public ::testing::Test
{
protected:
    void shop(const std::string& text) { writeFile(shopPath(), text); }
    void tableText(const std::string& simplified) { writeFile(tablePath(), big5(simplified)); }
    std::filesystem::path shopPath() const { return dir / "itemshop/a.shp"; }
    std::filesystem::path tablePath() const { return dir / "itemshop/itemshop.kor.str"; }

    ShopDocument open()
    {
        auto d = ShopReader::open(shopPath(), tablePath());
        EXPECT_TRUE(d.has_value()) << (d ? "" : d.error().message);
        return d.value_or(ShopDocument{});
    }
    SaveResult<void> save(ShopDocument& d, io::FileWriter& writer, const SaveOptions& options = {})
    {
        ShopWriter shopWriter(&random);
        return shopWriter.save(d, tablePath(), writer, options);
    }
    SaveResult<void> save(ShopDocument& d)
    {
        io::AtomicFileWriter writer;
        return save(d, writer);
    }
    std::string savedText() const { return text::ScriptTextFile::read(shopPath()).value().text; }
    text::StringTable savedTable() const { return text::StringTable::read(tablePath()).value(); }

    TempDir dir;
    std::mt19937 random{42};
};

const std::string kShop =
    "// 商店 ☃\r\n`[etc shop]`\r\n[tab name]\r\n<5::tab_name_1`商店`>\r\n<5::shop_common`商店`>\r\n"
    "<5::tab_name_3`商店`>\r\n[/tab name]\r\n[sell item]\r\n1\t2\t-2\t3\t-2\t4\t\r\n[/sell item]\r\n"
    "[buy item]\r\n`[all]`\r\n[/buy item]\r\n";
const std::string kTable = "tab_name_1>武器\r\nshop_common>常用\r\ntab_name_3>药水\r\nother>武器\r\n";

} // namespace

TEST_F(ShopFiles, ASaveWithoutChangesNormalisesOnlyTheThreePlaces)
{
    shop(kShop);
    tableText(kTable);
    auto d = open();
    ASSERT_TRUE(save(d).has_value());
    const std::string expected =
        "// 商店 ☃\r\n`[etc shop]`\r\n[tab name]\r\n<5::tab_name_1`商店`>\r\n<5::" +
        d.source().table.decodedLine(4).substr(0, 14) +
        "`商店`>\r\n<5::tab_name_3`商店`>\r\n[/tab name]\r\n[sell "
        "item]\r\n1\t2\t-1\t-1\t-1\t-1\t-1\t-2\t3\t-1\t-1\t-1\t-1\t-1\t-1\t"
        "-2\t4\t-1\t-1\t-1\t-1\t-1\t-1\t\r\n[/sell item]\r\n[buy item]\r\n`[all]`\r\n[/buy item]\r\n";
    EXPECT_EQ(readFile(shopPath()), expected + std::string(1, '\0'));
    // The shared key's page got a new key and line; the old lines are untouched.
    const auto table = savedTable();
    EXPECT_EQ(table.lineCount(), 5u);
    EXPECT_EQ(table.lookup("shop_common"), "常用");
    EXPECT_EQ(table.lookup(d.source().tabKeys.empty() ? "" : d.source().table.decodedLine(4).substr(0, 14)),
              "常用");
    EXPECT_EQ(readFile(tablePath()).substr(0, big5(kTable).size()), big5(kTable));

    // A second save of the re-read shop writes the same bytes.
    const auto firstShop = readFile(shopPath());
    const auto firstTable = readFile(tablePath());
    auto again = open();
    ASSERT_TRUE(save(again).has_value());
    EXPECT_EQ(readFile(shopPath()), firstShop);
    EXPECT_EQ(readFile(tablePath()), firstTable);
}

TEST_F(ShopFiles, OwnKeysKeepTheirKeyAndOnlyTheirLineChanges)
{
    shop(kShop);
    tableText(kTable);
    auto d = open();
    test::setName(d, 0, "防具");
    ASSERT_TRUE(save(d).has_value());
    const auto table = savedTable();
    EXPECT_EQ(table.lookup("tab_name_1"), "防具");
    EXPECT_EQ(table.lookup("other"), "武器");
    EXPECT_EQ(table.decodedLine(0), "tab_name_1>防具");
    EXPECT_NE(savedText().find("<5::tab_name_1`商店`>"), std::string::npos);
}

TEST_F(ShopFiles, TheKindFollowsTheRepairFlag)
{
    shop(kShop);
    tableText(kTable);
    auto d = open();
    d.setRepairable(true);
    ASSERT_TRUE(save(d).has_value());
    EXPECT_NE(savedText().find("`[weapon shop]`"), std::string::npos);
    auto back = open();
    EXPECT_TRUE(back.isRepairable());
    back.setRepairable(false);
    ASSERT_TRUE(save(back).has_value());
    EXPECT_NE(savedText().find("`[etc shop]`"), std::string::npos);

    shop("`[item shop]`\r\n[sell item]\r\n1\t\r\n[/sell item]\r\n");
    auto item = open();
    item.setRepairable(true);
    ASSERT_TRUE(save(item).has_value());
    EXPECT_NE(savedText().find("`[item shop]`"), std::string::npos);
    EXPECT_EQ(savedText().find("weapon"), std::string::npos);
}

TEST_F(ShopFiles, GrowingAndShrinkingThePageCount)
{
    shop(kShop);
    tableText(kTable);
    auto d = open();
    test::setPage(d, 3, ShopPage::fromItems({"5"}));
    test::setPage(d, 4, ShopPage::fromItems({"6"}));
    test::setName(d, 3, "宝石");
    test::setName(d, 4, "时装");
    ASSERT_TRUE(save(d).has_value());
    auto five = open();
    ASSERT_EQ(five.source().tabKeys.size(), 5u);
    EXPECT_EQ(five.source().tabKeys[0], "tab_name_1");
    EXPECT_EQ(five.source().tabKeys[2], "tab_name_3");
    EXPECT_EQ(five.names()[3], "宝石");
    EXPECT_EQ(five.names()[4], "时装");
    const auto table = savedTable();
    EXPECT_EQ(table.decodedLine(table.lineCount() - 2), five.source().tabKeys[3] + ">宝石");
    EXPECT_EQ(table.decodedLine(table.lineCount() - 1), five.source().tabKeys[4] + ">时装");

    five.clearPage(static_cast<int>(3));
    five.clearPage(static_cast<int>(4));
    ASSERT_TRUE(save(five).has_value());
    auto three = open();
    EXPECT_EQ(three.source().tabKeys.size(), 3u);
    EXPECT_EQ(savedTable().lineCount(), table.lineCount()); // surplus names stay in the table
}

TEST_F(ShopFiles, FiveEmptyGridsWriteEmptyBlocks)
{
    shop(kShop);
    tableText(kTable);
    auto d = open();
    d.clearAllPages();
    ASSERT_TRUE(save(d).has_value());
    const auto text = savedText();
    EXPECT_NE(text.find("[tab name]\r\n[/tab name]\r\n[sell item]\r\n\r\n[/sell item]"), std::string::npos);
}

TEST_F(ShopFiles, ANewTabBlockGoesOnItsOwnLinesBeforeTheSellBlock)
{
    shop("`[etc shop]`\r\n[sell item]\r\n\t1\t2\t\r\n[/sell item]\r\n[buy item]\r\n[/buy item]");
    tableText("x>y");
    auto d = open();
    ASSERT_TRUE(save(d).has_value());
    const auto text = savedText();
    ASSERT_TRUE(text.starts_with("`[etc shop]`\r\n[tab name]\r\n<5::tab_name_")) << text;
    EXPECT_TRUE(text.ends_with(
        "`商店`>\r\n[/tab name]\r\n[sell item]\r\n1\t2\t-1\t-1\t-1\t-1\t-1\t\r\n[/sell item]\r\n"
        "[buy item]\r\n[/buy item]"))
        << text;
    auto back = open();
    EXPECT_EQ(back.names()[0], "第一页");
    ASSERT_EQ(back.source().tabKeys.size(), 1u);
    EXPECT_EQ(savedTable().lookup(back.source().tabKeys[0]), "第一页");
    // The TAB that indents the block's line is layout, not an empty slot: the items keep their places.
    EXPECT_EQ(back.pages()[0].cell(0, 0), "1");
    EXPECT_EQ(back.pages()[0].cell(0, 1), "2");
}

TEST_F(ShopFiles, ANameBig5CannotHoldRefusesTheSaveAndWritesNothing)
{
    shop(kShop);
    tableText(kTable);
    const auto shopBefore = readFile(shopPath());
    const auto tableBefore = readFile(tablePath());
    auto d = open();
    test::setName(d, 1, "雪人☃");
    (void)d.setCell(static_cast<int>(0), {0, 0}, "777");
    const auto result = save(d);
    ASSERT_FALSE(result.has_value());
    EXPECT_NE(result.error().message.find("☃"), std::string::npos);
    EXPECT_EQ(readFile(shopPath()), shopBefore);
    EXPECT_EQ(readFile(tablePath()), tableBefore);
    EXPECT_EQ(d.pages()[0].cell(0, 0), "777");
}

TEST_F(ShopFiles, FailedWritesLeaveBothFilesWhollyOld)
{
    shop(kShop);
    tableText(kTable);
    const auto shopBefore = readFile(shopPath());
    const auto tableBefore = readFile(tablePath());
    for (int failAt : {1, 2}) {
        SCOPED_TRACE(failAt);
        auto d = open();
        test::setName(d, 0, "新名字");
        (void)d.setCell(static_cast<int>(0), {0, 0}, "4242");
        FailingWriter writer(failAt);
        const auto result = save(d, writer);
        ASSERT_FALSE(result.has_value());
        EXPECT_NE(result.error().message.find("磁盘已满"), std::string::npos);
        EXPECT_EQ(readFile(shopPath()), shopBefore);
        EXPECT_EQ(readFile(tablePath()), tableBefore);
        // The document keeps the user's edits, with its pages not yet normalised.
        EXPECT_EQ(d.names()[0], "新名字");
        EXPECT_EQ(d.pages()[0].cell(0, 2), "");
    }
}

TEST_F(ShopFiles, ReadOnlyFilesAndMissingFoldersAreReported)
{
    shop(kShop);
    tableText(kTable);
    const auto shopBefore = readFile(shopPath());
    const auto tableBefore = readFile(tablePath());
    using std::filesystem::perms;
    for (const auto& readOnly : {shopPath(), tablePath()}) {
        std::filesystem::permissions(readOnly, perms::owner_read | perms::group_read | perms::others_read);
        auto d = open();
        test::setName(d, 0, "改名");
        const auto result = save(d);
        ASSERT_FALSE(result.has_value());
        EXPECT_NE(result.error().message.find("只读"), std::string::npos) << result.error().message;
        EXPECT_EQ(readFile(shopPath()), shopBefore);
        EXPECT_EQ(readFile(tablePath()), tableBefore);
        std::filesystem::permissions(readOnly, perms::owner_write, std::filesystem::perm_options::add);
    }

    auto d = open();
    d.source().path = dir / "gone/a.shp";
    EXPECT_FALSE(save(d).has_value());
    EXPECT_EQ(readFile(tablePath()), tableBefore);
    ShopDocument unbound;
    EXPECT_FALSE(save(unbound).has_value());
}

TEST(ShopWriterKeys, NewKeysAvoidEveryTextOfTheTableAndGiveUpOnAFullOne)
{
    std::mt19937 random(1);
    ShopWriter writer(&random);
    auto table = text::StringTable::fromBytes("tab_name_500>x");
    for (int i = 0; i < 200; ++i) {
        auto key = writer.newKey(table);
        ASSERT_TRUE(key.has_value());
        EXPECT_FALSE(table.containsText(*key));
        const int number = std::stoi(key->substr(9));
        EXPECT_GE(number, 100);
        EXPECT_LE(number, 99999);
        table.appendLine(*key + ">y");
    }
    // Every five-digit key holds every shorter one as a prefix: no key is left to draw.
    std::string full;
    for (int n = 10000; n <= 99999; ++n)
        full += "tab_name_" + std::to_string(n) + ">\r\n";
    EXPECT_FALSE(writer.newKey(text::StringTable::fromBytes(full)).has_value());
}

// Every shop of generated workspaces: a save keeps each byte outside the three places, reads
// back to the same shop, and a second save changes nothing.
TEST(ShopRoundTrip, EveryGeneratedShop)
{
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        TempDir dir;
        ASSERT_TRUE(
            generator::generateWorkspace(dir.path(), {.shops = 24, .npcs = 10, .seed = seed}).has_value());
        const workspace::Workspace ws(dir.path());
        std::mt19937 random(static_cast<unsigned>(seed));
        ShopWriter writer(&random);
        io::AtomicFileWriter disk;
        for (const auto& path : io::listFiles(ws.shopFolder(), "*.shp")) {
            SCOPED_TRACE(io::displayPath(path));
            auto before = ShopReader::open(path, ws.shopStringTablePath());
            ASSERT_TRUE(before.has_value()) << before.error().message;
            const ShopDocument original = *before;
            ASSERT_TRUE(writer.save(*before, ws.shopStringTablePath(), disk).has_value());

            // Outside the sell block, the kind and the tab-name block, every byte is the old one.
            auto after = ShopReader::open(path, ws.shopStringTablePath());
            ASSERT_TRUE(after.has_value());
            auto outside = [](const ShopDocument& d) {
                std::string t = text::replaceFirst(d.source().file.text, d.source().sellSection, "<S>");
                if (!d.source().tabSection.empty())
                    t = text::replaceFirst(t, d.source().tabSection + "\r\n", "<T>");
                return t;
            };
            std::string expected = outside(original);
            if (original.source().tabSection.empty())
                expected = text::replaceFirst(expected, "<S>", "<T><S>");
            EXPECT_EQ(outside(*after), expected);

            EXPECT_EQ(after->pages(), before->pages());
            EXPECT_EQ(after->isRepairable(), original.isRepairable());
            for (int k = 0; k < kPageCount; ++k) {
                const auto i = static_cast<std::size_t>(k);
                if (before->pages()[i].rowCount() > 0) {
                    EXPECT_EQ(after->names()[i], original.names()[i]);
                }
            }

            const auto shopBytes = readFile(path);
            const auto tableBytes = readFile(ws.shopStringTablePath());
            ASSERT_TRUE(writer.save(*after, ws.shopStringTablePath(), disk).has_value());
            EXPECT_EQ(readFile(path), shopBytes);
            EXPECT_EQ(readFile(ws.shopStringTablePath()), tableBytes);
        }
    }
}

// Each pattern of empty and filled pages: after a save every page's name reads back on the
// page that holds its items, and its items are the ones it held.
TEST_F(ShopFiles, NamesLandOnThePageThatHoldsTheirItemsForEveryPatternOfEmptyPages)
{
    for (int mask = 0; mask < 32; ++mask) {
        SCOPED_TRACE(mask);
        shop(kShop);
        tableText(kTable);
        auto d = open();
        std::vector<std::pair<std::string, std::string>> filled; // first item, name
        for (int k = 0; k < kPageCount; ++k) {
            const auto i = static_cast<std::size_t>(k);
            d.clearPage(static_cast<int>(i));
            if (mask & (1 << k)) {
                test::setPage(d, i, ShopPage::fromItems({std::to_string(1000 + k)}));
                filled.emplace_back(std::to_string(1000 + k), "页名" + std::to_string(k));
            }
            test::setName(d, i, "页名" + std::to_string(k));
        }
        ASSERT_TRUE(save(d).has_value());
        const auto back = open();
        std::vector<std::pair<std::string, std::string>> found;
        for (const auto& page : back.pages()) {
            const auto i = static_cast<std::size_t>(&page - back.pages().data());
            if (page.hasItems())
                found.emplace_back(page.cell(0, 0), back.names()[i]);
            // Every page keeps its place: an empty page before a filled one stays an empty page.
            EXPECT_EQ(page.hasItems(), (mask & (1 << i)) != 0) << "page " << i + 1;
        }
        EXPECT_EQ(found, filled);
        // A second, unedited save writes the very same file.
        const auto saved = readFile(shopPath());
        auto again = open();
        ASSERT_TRUE(save(again).has_value());
        EXPECT_EQ(readFile(shopPath()), saved);
    }
}

TEST_F(ShopFiles, AnEmptyPagesNameIsNotWrittenAndCannotBlockTheSave)
{
    shop(kShop);
    tableText(kTable);
    auto d = open();
    d.clearPage(static_cast<int>(2));
    test::setName(d, 2, "雪人☃"); // BIG5 has no snowman, but the page is not written
    d.clearPage(static_cast<int>(3));
    test::setName(d, 3, "a\r\nb");
    ASSERT_TRUE(save(d).has_value()) << "an empty page's name must not block the save";
    EXPECT_FALSE(savedTable().containsText("雪人"));
}

// A name is refused when it holds a character that would break the table's lines, and nothing
// is written.
TEST_F(ShopFiles, NamesWithLineBreaksGreaterThanOrNulAreRefused)
{
    shop(kShop);
    tableText(kTable);
    const auto shopBefore = readFile(shopPath());
    const auto tableBefore = readFile(tablePath());
    const std::vector<std::pair<std::string, std::string>> bad = {{"A\r\ntab_name_3>B", "回车符"},
                                                                  {"A\nB", "换行符"},
                                                                  {"A>B", "“>”"},
                                                                  {std::string("A\0B", 3), "空字符"}};
    for (const auto& [name, what] : bad) {
        auto d = open();
        test::setName(d, 0, name);
        const auto result = save(d);
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error().kind, SaveError::Kind::BadPageName);
        EXPECT_NE(result.error().message.find(what), std::string::npos) << result.error().message;
        EXPECT_EQ(readFile(shopPath()), shopBefore);
        EXPECT_EQ(readFile(tablePath()), tableBefore);
    }
    EXPECT_TRUE(checkPageName("普通 名字 & `x`").has_value());
}

// A table line cut in the middle of a BIG5 character reads with a replacement character; a
// save that does not rename that page keeps the line's bytes, and a rename replaces it.
TEST_F(ShopFiles, AnUnchangedNameIsNotReEncodedEvenWhenItCouldNotBeDecoded)
{
    shop(kShop);
    const std::string cut = "tab_name_1>" + big5("武器") + "\xA5";
    const std::string shared = "shop_common>" + big5("常") + "\xB1";
    writeFile(tablePath(), cut + "\r\n" + shared + "\r\n" + big5("tab_name_3>药水\r\n"));
    auto d = open();
    ASSERT_NE(d.names()[0].find("\xEF\xBF\xBD"), std::string::npos) << "expected a replacement character";
    (void)d.setCell(static_cast<int>(0), {0, 5}, "55");
    ASSERT_TRUE(save(d).has_value());
    const auto table = readFile(tablePath());
    EXPECT_TRUE(table.starts_with(cut + "\r\n" + shared + "\r\n"));
    // The shared key's page got a new key whose line copies the old name's bytes.
    auto back = open();
    EXPECT_EQ(back.names()[1], d.names()[1]);
    EXPECT_NE(table.find(">" + big5("常") + "\xB1", cut.size() + shared.size()), std::string::npos);

    test::setName(back, 0, "刀剑");
    ASSERT_TRUE(save(back).has_value());
    EXPECT_EQ(savedTable().lookup("tab_name_1"), "刀剑");
}

// A "[tab name]" without its close tag is no block; the new block goes in ahead of it, so the
// next read finds exactly what was written.
TEST_F(ShopFiles, AnOrphanTabTagDoesNotShiftTheNamesOfTheNewBlock)
{
    shop("`[etc shop]`\r\n[tab name]\r\n<5::orphan_key`商店`>\r\n[sell item]\r\n1\t-2\t2\t\r\n[/sell "
         "item]\r\n");
    tableText("orphan_key>孤儿\r\n");
    auto d = open();
    EXPECT_EQ(d.names()[0], "第一页");
    test::setName(d, 0, "一号");
    test::setName(d, 1, "二号");
    ASSERT_TRUE(save(d).has_value());
    const auto back = open();
    EXPECT_EQ(back.names()[0], "一号");
    EXPECT_EQ(back.names()[1], "二号");
    EXPECT_TRUE(savedText().find("[tab name]") < savedText().find("<5::orphan_key"));
    const auto bytes = readFile(shopPath());
    auto again = open();
    ASSERT_TRUE(save(again).has_value());
    EXPECT_EQ(readFile(shopPath()), bytes);
}

// A cell the caller filled without the cell rule is checked before anything is written: a
// "-2" there would split the page.
TEST_F(ShopFiles, ACellThatWouldBeWrittenAsAPageBreakIsRefused)
{
    shop(kShop);
    tableText(kTable);
    const auto shopBefore = readFile(shopPath());
    for (const char* cell : {"-2", "abc", "007"}) {
        auto d = open();
        d.restoreCell(static_cast<int>(0), {0, 3}, cell);
        const auto result = save(d);
        ASSERT_FALSE(result.has_value()) << cell;
        EXPECT_EQ(result.error().kind, SaveError::Kind::BadCell);
        EXPECT_NE(result.error().message.find("第1页第1行第4列"), std::string::npos)
            << result.error().message;
        EXPECT_EQ(readFile(shopPath()), shopBefore);
    }
}

// A shop whose tab block and sell block overlap cannot be saved without changing it: it is
// refused when read.
TEST_F(ShopFiles, OverlappingBlocksAreRefusedWhenRead)
{
    shop("`[etc shop]`\r\n[tab name]\r\n<5::tab_name_1`x`>\r\n[sell item]\r\n1\t\r\n[/sell item]\r\n[/tab "
         "name]\r\n");
    tableText(kTable);
    const auto d = ShopReader::open(shopPath(), tablePath());
    ASSERT_FALSE(d.has_value());
    EXPECT_EQ(d.error().kind, ShopReadError::Kind::OverlappingBlocks);
}

// A dry run tells exactly what the save then does: its cells, names, repair flag and table lines
// are the difference of the files read before and after the real save.
TEST(ShopDryRun, TellsTheDifferenceOfTheFilesBeforeAndAfterTheSave)
{
    TempDir dir;
    ASSERT_TRUE(generator::generateWorkspace(dir.path(), {.shops = 16, .npcs = 6, .seed = 7}).has_value());
    const workspace::Workspace ws(dir.path());
    const auto tablePath = ws.shopStringTablePath();
    std::mt19937 random(7);
    ShopWriter writer; // its own keys: the dry run and the save draw the same
    io::AtomicFileWriter disk;
    int changedCells = 0;
    for (const auto& path : io::listFiles(ws.shopFolder(), "*.shp")) {
        SCOPED_TRACE(io::displayPath(path));
        auto document = ShopReader::open(path, tablePath);
        ASSERT_TRUE(document.has_value()) << document.error().message;
        const ShopDocument asRead = *document;
        const auto tableBefore = text::StringTable::fromBytes(readFile(tablePath));
        // Edits of every kind: a cell, a new row, a page's name, the repair flag.
        const int page = static_cast<int>(random() % kPageCount);
        document->addRows(page, 1);
        const int last = document->page(page).rowCount() - 1;
        (void)document->setCell(page, {last, static_cast<int>(random() % kColumns)},
                                std::to_string(100 + random() % 900));
        if (last > 0)
            (void)document->setCell(page, {0, 0}, "-1");
        test::setName(*document, static_cast<std::size_t>(page), "改动" + std::to_string(random() % 10));
        document->setRepairable(!document->isRepairable());

        const auto shopBytes = readFile(path);
        const auto tableBytes = readFile(tablePath);
        const auto change = writer.dryRun(*document, asRead, tablePath);
        ASSERT_TRUE(change.has_value()) << change.error().message;
        EXPECT_EQ(readFile(path), shopBytes);
        EXPECT_EQ(readFile(tablePath), tableBytes);
        ASSERT_TRUE(writer.save(*document, tablePath, disk).has_value());
        const auto after = ShopReader::open(path, tablePath);
        ASSERT_TRUE(after.has_value());
        const auto expected = compareShops(asRead, *after);
        ASSERT_EQ(change->cells.size(), expected.cells.size());
        for (std::size_t i = 0; i < expected.cells.size(); ++i) {
            EXPECT_EQ(change->cells[i].at, expected.cells[i].at);
            EXPECT_EQ(change->cells[i].after, expected.cells[i].after);
            EXPECT_EQ(change->cells[i].fill, expected.cells[i].fill);
        }
        changedCells += static_cast<int>(expected.cells.size());
        ASSERT_EQ(change->names.size(), expected.names.size());
        for (std::size_t i = 0; i < expected.names.size(); ++i)
            EXPECT_EQ(change->names[i].after, expected.names[i].after);
        EXPECT_EQ(change->repairable, expected.repairable);
        const auto lines = compareTables(tableBefore, text::StringTable::fromBytes(readFile(tablePath)));
        ASSERT_EQ(change->tableLines.size(), lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(change->tableLines[i].line, lines[i].line);
            EXPECT_EQ(change->tableLines[i].after, lines[i].after);
        }
    }
    EXPECT_GT(changedCells, 16);
}
