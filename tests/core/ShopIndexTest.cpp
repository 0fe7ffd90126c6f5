#include "core/workspace/ShopIndex.h"

#include <gtest/gtest.h>

using shopkeeper::workspace::ShopIndex;

TEST(ShopIndexTest, FindsTheNumberByTheWholeFileName)
{
    const auto index = ShopIndex::fromText("; header\r\n"
                                           "7\t`itemshop\\aa.shp`\r\n"
                                           "8\t`itemshop/a.shp`\r\n"
                                           " 9 \tplain.shp extra\r\n"
                                           "5\t\r\n"
                                           "10\t`itemshop\\a.shp`\r\n");
    EXPECT_EQ(index.shopNumberOf("a.shp"), "8"); // not 7: "a.shp" is inside "aa.shp"
    EXPECT_EQ(index.shopNumberOf("AA.SHP"), "7");
    EXPECT_EQ(index.shopNumberOf("plain.shp"), "9");
    EXPECT_EQ(index.shopNumberOf("missing.shp"), std::nullopt);
    EXPECT_EQ(index.shopNumberOf(""), std::nullopt);
}

TEST(ShopIndexTest, ALineOfANumberAndATabAloneNamesNoFile)
{
    EXPECT_EQ(ShopIndex::fromText("5\t").size(), 0u);
    EXPECT_EQ(ShopIndex::fromText("5\t`x.shp`").shopNumberOf("x.shp"), "5");
    EXPECT_EQ(ShopIndex::fromText("5\t`x.shp`\n6\t`y.shp`\n").shopNumberOf("y.shp"), "6");
}
