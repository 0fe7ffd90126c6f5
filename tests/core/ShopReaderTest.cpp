#include "core/shop/ShopReader.h"

#include "TestFiles.h"
#include "core/text/StringTableCodec.h"

#include <gtest/gtest.h>

using namespace shopkeeper;
using namespace shopkeeper::shop;

namespace {

text::StringTable table(const std::string& simplified)
{
    return text::StringTable::fromBytes(text::StringTableCodec::encode(simplified).value());
}

ShopDocument readOk(const std::string& text, const std::string& tableText = "")
{
    auto document = ShopReader::fromBytes(text, table(tableText));
    EXPECT_TRUE(document.has_value()) << (document ? "" : document.error().message);
    return document.value_or(ShopDocument{});
}

std::array<std::string, 5> captions(const ShopDocument& d)
{
    return d.names();
}

} // namespace

TEST(ShopReaderTest, ReadsPagesFlagAndSectionsWhateverTheTagCase)
{
    const std::string text = "`[Weapon Shop]`\r\n[SELL ITEM]\r\n1\t2\t-2\t3\t\r\n[/Sell Item]\r\n"
                             "[sell item]\r\n9\t\r\n[/sell item]\r\n";
    const auto d = readOk(text);
    EXPECT_TRUE(d.isRepairable());
    EXPECT_EQ(d.source().sellSection, "[SELL ITEM]\r\n1\t2\t-2\t3\t\r\n[/Sell Item]");
    EXPECT_EQ(d.source().sellBody, "1\t2\t-2\t3\t");
    EXPECT_EQ(d.pages()[0].items(), (std::vector<std::string>{"1", "2", "", "", "", "", ""}));
    EXPECT_EQ(d.pages()[1].cell(0, 0), "3");
    EXPECT_EQ(d.pages()[2].rowCount(), 0);
}

TEST(ShopReaderTest, OnlyABackQuotedWeaponShopRepairs)
{
    EXPECT_FALSE(readOk("[weapon shop]\r\n[sell item]\r\n1\t\r\n[/sell item]").isRepairable());
    EXPECT_FALSE(readOk("`[etc shop]`\r\n[sell item]\r\n1\t\r\n[/sell item]").isRepairable());
}

TEST(ShopReaderTest, AnEmptySellSectionOpensWithEveryGridEmpty)
{
    const auto d = readOk("[sell item]\r\n\r\n[/sell item]");
    for (const auto& page : d.pages())
        EXPECT_EQ(page.rowCount(), 0);
}

TEST(ShopReaderTest, AShopThatCannotBeReadFailsAsAWhole)
{
    for (const char* text : {"`[etc shop]` no block", "[/sell item] 1\t [sell item]", "[sell item]\r\n1\t"}) {
        const auto result = ShopReader::fromBytes(text, {});
        ASSERT_FALSE(result.has_value()) << text;
        EXPECT_EQ(result.error().message, kMissingSellBlockMessage);
    }
    const auto notNumeric = ShopReader::fromBytes("[sell item]\r\n1\tpotion\t\r\n[/sell item]", {});
    ASSERT_FALSE(notNumeric.has_value());
    EXPECT_EQ(notNumeric.error().kind, ShopReadError::Kind::UnknownFormat);
    EXPECT_EQ(notNumeric.error().message, "数据格式未知,无法读取！\r\n第一个无法读取的物品：第1页的“potion”");

    const std::string six = "1\t-2\t2\t-2\t3\t-2\t4\t-2\t5\t-2\t6\t";
    const auto tooMany = ShopReader::fromBytes("[sell item]\r\n" + six + "\r\n[/sell item]", {});
    ASSERT_FALSE(tooMany.has_value());
    EXPECT_TRUE(tooMany.error().tooManyPages);
    EXPECT_EQ(tooMany.error().sellBody, six);

    test::TempDir dir;
    const auto missing = ShopReader::read(dir / "none.shp", {});
    EXPECT_FALSE(missing.has_value());
}

TEST(ShopReaderTabNames, NamesComeFromTheTableByExactKey)
{
    const std::string text =
        "[tab name]\r\n\t<5::tab_name_1`商店`>\r\n<5::TAB_NAME_12`商店`>\r\n<5::missing`商店`>\r\n"
        "[/tab name]\r\n[sell item]\r\n1\t-2\t2\t-2\t3\t\r\n[/sell item]";
    const auto d = readOk(text, "tab_name_12>十二\r\ntab_name_1>一\r\n");
    EXPECT_EQ(d.source().tabKeys, (std::vector<std::string>{"tab_name_1", "TAB_NAME_12", "missing"}));
    EXPECT_EQ(d.source().pageNames, (std::vector<std::optional<std::string>>{"一", "十二", std::nullopt}));
    EXPECT_EQ(captions(d), (std::array<std::string, 5>{"一", "十二", "第三页", "第四页", "第五页"}));
}

TEST(ShopReaderTabNames, AnOpenBlockWithoutItsCloseTagIsNoBlock)
{
    const auto d =
        readOk("[tab name]\r\n<5::tab_name_1`x`>\r\n[sell item]\r\n1\t\r\n[/sell item]", "tab_name_1>一");
    EXPECT_TRUE(d.source().tabSection.empty());
    EXPECT_TRUE(d.source().tabKeys.empty());
    EXPECT_EQ(d.names()[0], "第一页");
}

TEST(ShopReaderTabNames, AnEmptyBlockKeepsItsSectionButNamesNothing)
{
    const auto d = readOk("[tab name]\r\n\r\n[/tab name]\r\n[sell item]\r\n1\t\r\n[/sell item]");
    EXPECT_EQ(d.source().tabSection, "[tab name]\r\n\r\n[/tab name]");
    EXPECT_TRUE(d.source().tabKeys.empty());
}

TEST(ShopReaderTest, ReadsAFileFromDiskAndBindsIt)
{
    test::TempDir dir;
    test::writeFile(dir / "a.shp", std::string("\xEF\xBB\xBF[sell item]\r\n5\t\r\n[/sell item]\r\n\0", 35));
    const auto d = ShopReader::read(dir / "a.shp", {});
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->path(), dir / "a.shp");
    EXPECT_EQ(d->pages()[0].cell(0, 0), "5");
    EXPECT_EQ(d->source().file.tail, std::string(1, '\0'));
}

TEST(IsOwnKeyTest, TabNameFollowedByDigitsOrNothing)
{
    EXPECT_TRUE(isOwnKey("tab_name_12"));
    EXPECT_TRUE(isOwnKey("TAB_NAME_7"));
    EXPECT_TRUE(isOwnKey("tab_name_"));
    EXPECT_FALSE(isOwnKey("tab_name_common"));
    EXPECT_FALSE(isOwnKey("tab_name_12x"));
    EXPECT_FALSE(isOwnKey("xtab_name_12"));
    EXPECT_FALSE(isOwnKey("shop_common_food"));
}
