#include "core/catalogue/ItemCatalogue.h"

#include "TestFiles.h"
#include "core/catalogue/GbkText.h"
#include "core/catalogue/ItemPreview.h"

#include <gtest/gtest.h>

using namespace shopkeeper;
using namespace shopkeeper::catalogue;
using test::TempDir;
using test::writeFile;

namespace {

std::string gbk(std::string_view utf8)
{
    auto bytes = utf8ToGbk(utf8);
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or("");
}

std::shared_ptr<const BuiltinItemList> smallList()
{
    return BuiltinItemList::fromGbk(gbk("烈焰长剑\r\n寒霜战甲\r\n龙王法袍\r\n生命药水\r\n烈焰长剑"),
                                    "1\r\n2\r\n21\r\n100\r\n100");
}

ExternalItemTable table(std::string_view bytes)
{
    auto loaded = ExternalItemTable::fromBytes(bytes);
    EXPECT_TRUE(loaded.has_value()) << (loaded ? "" : loaded.error().message);
    return loaded ? std::move(*loaded) : *ExternalItemTable::fromBytes("\t");
}

} // namespace

TEST(ItemCatalogue, EmptySlotsHaveNoNameWhateverTheTablesHold)
{
    ItemCatalogue catalogue(BuiltinItemList::fromGbk("x\r\ny", "-1\r\n"));
    EXPECT_EQ(catalogue.idToName("-1"), "");
    catalogue.setExternalTable(table("-1\t空格子\r\n\t无ID"));
    EXPECT_EQ(catalogue.idToName("-1"), "");
    EXPECT_EQ(catalogue.idToName(""), "");
}

TEST(ItemCatalogue, TheExternalTableComesFirstAndTheBuiltInListStillAnswers)
{
    ItemCatalogue catalogue(smallList());
    EXPECT_EQ(catalogue.statusText(), kBuiltinStatusText);
    EXPECT_EQ(catalogue.idToName("2"), "寒霜战甲");
    EXPECT_EQ(catalogue.idToName("100"), "生命药水"); // the first of two entries
    EXPECT_EQ(catalogue.idToName("3"), kUnknownItemName);
    EXPECT_EQ(catalogue.idToName("02"), kUnknownItemName); // IDs compare as whole texts

    catalogue.setExternalTable(table("2\t自制战甲\r\n999\t自制药水"));
    EXPECT_EQ(catalogue.statusText(), kExternalStatusText);
    EXPECT_EQ(catalogue.idToName("2"), "自制战甲");
    EXPECT_EQ(catalogue.idToName("999"), "自制药水");
    EXPECT_EQ(catalogue.idToName("1"), "烈焰长剑");
    EXPECT_EQ(catalogue.idToName("3"), kUnknownItemName);

    // The check's quick question answers as the name does, with and without the user's table
    // (a line without a name is unknown too).
    auto isUnknownAgrees = [](const ItemCatalogue& c) {
        for (const char* id : {"1", "2", "3", "02", "100", "999", "9", "-1", ""}) {
            if (c.isUnknown(id) != (c.idToName(id) == kUnknownItemName))
                return false;
        }
        return true;
    };
    EXPECT_TRUE(isUnknownAgrees(catalogue));
    catalogue.setExternalTable(table("2\t自制战甲\r\n999\t自制药水\r\n9\r\n3\t未知物品"));
    EXPECT_TRUE(catalogue.isUnknown("9"));
    EXPECT_TRUE(isUnknownAgrees(catalogue));

    // A copy handed to a worker keeps its tables when the box is unchecked.
    const ItemCatalogue snapshot = catalogue;
    catalogue.clearExternalTable();
    EXPECT_EQ(catalogue.idToName("2"), "寒霜战甲");
    EXPECT_EQ(snapshot.idToName("2"), "自制战甲");
}

TEST(ItemCatalogue, ALineMatchesByItsWholeIdField)
{
    ItemCatalogue catalogue(smallList());
    // "21" TAB contains "1" TAB: the line of item 21 must not name item 1.
    catalogue.setExternalTable(table("21\t二十一号\r\n1\t一号\r\n 7 \t七号\r\n7\t第二个七号\r\nA5\t字母\r\n"
                                     "8\t名字\t更多文字\r\n9\t\r\n10\t\t第三段\r\n无TAB的行"));
    EXPECT_EQ(catalogue.idToName("1"), "一号");
    EXPECT_EQ(catalogue.idToName("21"), "二十一号");
    EXPECT_EQ(catalogue.idToName("7"), "七号"); // white space around the field trimmed; first line wins
    EXPECT_EQ(catalogue.idToName("a5"), "字母");
    EXPECT_EQ(catalogue.idToName("8"), "名字");
    EXPECT_EQ(catalogue.idToName("9"), kUnknownItemName); // a hit, so no built-in look-up either
    EXPECT_EQ(catalogue.idToName("10"), "");
    EXPECT_EQ(catalogue.idToName("无TAB的行"), kUnknownItemName);
    EXPECT_EQ(catalogue.idToName("2"), "寒霜战甲");
}

TEST(ExternalItemTable, RefusesAMissingFileAndAFileWithoutTab)
{
    TempDir dir;
    ItemCatalogue catalogue(smallList());
    auto missing = catalogue.loadExternalTable(dir.path());
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().reason, ExternalTableError::Reason::Missing);
    EXPECT_EQ(missing.error().title, "加载失败");
    // The second line names the folder the table is read from.
    const std::string folderLine = "\n读取 id-name.txt 的文件夹：" + dir.path().string();
    EXPECT_EQ(missing.error().message, kMissingTableMessage + folderLine);

    for (const std::string& bytes :
         {std::string(), std::string("1 烈焰\r\n2 寒霜"), std::string("\0\t1", 3)}) {
        writeFile(dir / "id-name.txt", "1\tA");
        ASSERT_TRUE(catalogue.loadExternalTable(dir.path()).has_value());
        writeFile(dir / "id-name.txt", bytes);
        auto refused = catalogue.loadExternalTable(dir.path());
        ASSERT_FALSE(refused.has_value());
        EXPECT_EQ(refused.error().reason, ExternalTableError::Reason::Unsupported);
        EXPECT_EQ(refused.error().title, "加载失败");
        EXPECT_EQ(refused.error().message, kUnsupportedTableMessage + folderLine);
        // The failed load leaves the built-in list only.
        EXPECT_FALSE(catalogue.usesExternalTable());
        EXPECT_EQ(catalogue.idToName("1"), "烈焰长剑");
    }

    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_directory(dir / "sub/id-name.txt");
    auto folder = catalogue.loadExternalTable(dir / "sub");
    ASSERT_FALSE(folder.has_value());
    EXPECT_EQ(folder.error().reason, ExternalTableError::Reason::Unreadable);
    EXPECT_NE(folder.error().message.find("id-name.txt"), std::string::npos);
}

TEST(ExternalItemTable, ReadsGbkAndUtf8WithOrWithoutBom)
{
    const std::string utf8 = "1001\t龙纹剑\r\n1002\t凤羽衣";
    struct Case
    {
        const char* what;
        std::string bytes;
        ExternalItemTable::Encoding encoding;
    };
    for (const auto& c : {Case{"GBK", gbk(utf8), ExternalItemTable::Encoding::Gbk},
                          Case{"UTF-8", utf8, ExternalItemTable::Encoding::Utf8},
                          Case{"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8, ExternalItemTable::Encoding::Utf8}}) {
        TempDir dir;
        writeFile(dir / "id-name.txt", c.bytes);
        ItemCatalogue catalogue(smallList());
        ASSERT_TRUE(catalogue.loadExternalTable(dir.path()).has_value()) << c.what;
        EXPECT_EQ(catalogue.externalTable()->encoding(), c.encoding) << c.what;
        EXPECT_EQ(catalogue.externalTable()->lines().size(), 2u) << c.what;
        EXPECT_EQ(catalogue.idToName("1001"), "龙纹剑") << c.what;
        EXPECT_EQ(catalogue.idToName("1002"), "凤羽衣") << c.what;
    }
    // A BOM file with a broken sequence keeps its other characters.
    auto broken = table("\xEF\xBB\xBF"
                        "5\t\xE9\xBE\x99\xFF");
    EXPECT_EQ(*broken.nameOf("5"), "龙\xEF\xBF\xBD");
}

TEST(ExternalItemTable, LinesOfOneLineAndOfUnixFiles)
{
    auto one = table(gbk("12\t单行物品"));
    ASSERT_EQ(one.lines().size(), 1u);
    EXPECT_EQ(*one.nameOf("12"), "单行物品");

    // Without the bare-LF split a whole Unix file would be one line.
    auto lf = table("1\tA\n2\tB\r\n3\tC\n");
    ASSERT_EQ(lf.lines().size(), 3u);
    EXPECT_EQ(*lf.nameOf("1"), "A");
    EXPECT_EQ(*lf.nameOf("2"), "B");
    EXPECT_EQ(*lf.nameOf("3"), "C");

    auto blank = table("1\tA\r\n\r\n2\tB\r\n");
    EXPECT_EQ(blank.lines(), (std::vector<std::string>{"1\tA", "", "2\tB"}));
}

TEST(ExternalItemTable, CheckingAgainReadsTheFileAgainAndFindsItWithoutCase)
{
    TempDir dir;
    writeFile(dir / "ID-Name.TXT", "5\t旧名字");
    ItemCatalogue catalogue(smallList());
    ASSERT_TRUE(catalogue.loadExternalTable(dir.path()).has_value());
    EXPECT_EQ(catalogue.idToName("5"), "旧名字");
    writeFile(dir / "ID-Name.TXT", "5\t新名字");
    EXPECT_EQ(catalogue.idToName("5"), "旧名字"); // the file is not watched
    catalogue.clearExternalTable();
    ASSERT_TRUE(catalogue.loadExternalTable(dir.path()).has_value());
    EXPECT_EQ(catalogue.idToName("5"), "新名字");
}

TEST(ItemPreview, NamesEveryCellAndStopsWhenCancelled)
{
    ItemCatalogue catalogue(smallList());
    auto page = shop::ShopPage::fromItems({"1", "2", "-1", "555", "21", "-1", "-1", "100", "1"});
    page.fillEmptyCells();
    const auto rows = previewPage(catalogue, page);
    ASSERT_TRUE(rows.has_value());
    ASSERT_EQ(rows->size(), 2u);
    EXPECT_EQ((*rows)[0], (PreviewRow{"烈焰长剑", "寒霜战甲", "", kUnknownItemName, "龙王法袍", "", ""}));
    EXPECT_EQ((*rows)[1], (PreviewRow{"生命药水", "烈焰长剑", "", "", "", "", ""}));

    std::atomic<bool> cancel{true};
    EXPECT_FALSE(previewPage(catalogue, page, &cancel).has_value());
    EXPECT_TRUE(previewPage(catalogue, shop::ShopPage(), &cancel).has_value()); // nothing to stop
}
