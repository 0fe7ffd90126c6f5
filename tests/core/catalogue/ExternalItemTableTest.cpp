#include "catalogue/ExternalItemTable.h"

#include "TestFiles.h"
#include "text/GbkCodec.h"

#include <gtest/gtest.h>

using namespace shopkeeper;
using catalogue::ExternalItemTable;
using catalogue::ExternalTableError;

TEST(ExternalItemTable, AMissingFileOrOneWithoutATabIsRefusedWithItsMessage)
{
    test::TempDir dir;
    const auto missing = ExternalItemTable::load(dir / "id-name.txt");
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().kind, ExternalTableError::Kind::Missing);
    EXPECT_EQ(missing.error().message, catalogue::kExternalTableMissingMessage);
    for (const char* bytes : {"", "1001 铁剑\r\n1002 木盾", "\xEF\xBB\xBF"}) {
        const auto refused = ExternalItemTable::fromBytes(bytes);
        ASSERT_FALSE(refused.has_value()) << bytes;
        EXPECT_EQ(refused.error().kind, ExternalTableError::Kind::NoTab);
        EXPECT_EQ(refused.error().message, catalogue::kExternalTableFormatMessage);
    }
}

TEST(ExternalItemTable, ReadsGbkAndUtf8WithAndWithoutAByteOrderMark)
{
    const std::string text = "1001\t铁剑\r\n1002\t木盾\r\n";
    for (const std::string& bytes :
         {text::GbkCodec::fromUtf8(text), text, std::string("\xEF\xBB\xBF") + text}) {
        test::TempDir dir;
        test::writeFile(dir / "id-name.txt", bytes);
        const auto table = ExternalItemTable::load(dir / "id-name.txt");
        ASSERT_TRUE(table.has_value());
        EXPECT_EQ(table->nameOf("1001"), "铁剑");
        EXPECT_EQ(table->nameOf("1002"), "木盾");
    }
    // One line without a line break is a table of one line; a bare LF ends a line too.
    EXPECT_EQ(ExternalItemTable::fromBytes("7\t七")->lines().size(), 1u);
    EXPECT_EQ(ExternalItemTable::fromBytes("7\t七\n8\t八\n")->nameOf("8"), "八");
}

TEST(ExternalItemTable, AnIdIsMatchedByItsWholeFieldAndTheNameEndsAtTheSecondTab)
{
    const auto table =
        ExternalItemTable::fromBytes("21\t二十一\r\n 1 \t一\tmore text\r\nno tab here\r\n1\t又一\r\n");
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->nameOf("1"), "一"); // not the name of 21, which comes first
    EXPECT_EQ(table->nameOf("21"), "二十一");
    EXPECT_EQ(table->nameOf("2"), std::nullopt);
    EXPECT_EQ(table->nameOf("no tab here"), std::nullopt);
}
