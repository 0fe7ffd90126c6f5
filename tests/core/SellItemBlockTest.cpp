#include "core/shop/SellItemBlock.h"

#include "core/shop/CellRule.h"
#include "core/shop/ShopReader.h"

#include <gtest/gtest.h>

using namespace shopkeeper::shop;
using Items = std::vector<std::string>;
using PageList = std::vector<Items>;

TEST(CellRule, EmptyAndZeroLeaveTheCellEmptyAndOtherZerosAreRefused)
{
    EXPECT_EQ(normaliseCell(""), "");
    EXPECT_EQ(normaliseCell("0"), "");
    EXPECT_EQ(normaliseCell("abc"), std::nullopt);
    EXPECT_EQ(normaliseCell("0.0"), std::nullopt);
    EXPECT_EQ(normaliseCell("-0"), std::nullopt);
    EXPECT_EQ(normaliseCell("0.4"), std::nullopt);
}

TEST(CellRule, ValuesAreRoundedToWholeNumbers)
{
    EXPECT_EQ(normaliseCell("12.6"), "13");
    EXPECT_EQ(normaliseCell("12.4"), "12");
    EXPECT_EQ(normaliseCell("9.5"), "10");
    EXPECT_EQ(normaliseCell("-1"), "-1");
    EXPECT_EQ(normaliseCell("0.6"), "1");
    EXPECT_EQ(normaliseCell("007"), "7");
    EXPECT_EQ(normaliseCell("+5"), "5");
    EXPECT_EQ(normaliseCell(" 1001 "), "1001");
    EXPECT_EQ(normaliseCell("1001abc"), "1001");
    EXPECT_EQ(normaliseCell("2147483646.5"), "2147483647");
    EXPECT_EQ(normaliseCell("99999999999999999999.5"), std::nullopt) << "no 32-bit item ID";
}

// "-2" in a cell would be written as a page break: the rule refuses it and whatever it would
// round to it, and says why.
TEST(CellRule, NothingThatWouldBeStoredAsAPageBreakIsKept)
{
    for (const char* breakLike : {"-2", "-1.6", "-2.4", "-02", " -2 ", "-2abc", "-1.5"}) {
        const auto value = cellValue(breakLike);
        ASSERT_FALSE(value.has_value()) << breakLike;
        EXPECT_EQ(value.error(), CellRefusal::PageBreak) << breakLike;
        EXPECT_NE(cellRefusalMessage(value.error(), breakLike).find("分页"), std::string::npos);
    }
    EXPECT_EQ(cellValue("-1.4").value(), "-1");
    EXPECT_EQ(cellValue("-2.5").value(), "-3");
    EXPECT_EQ(cellValue("-25").value(), "-25");
    EXPECT_EQ(cellValue("abc").error(), CellRefusal::NotANumber);
    EXPECT_EQ(cellValue("00").error(), CellRefusal::Zero);
    // Item IDs are 32-bit: a value that does not fit is refused with its reason, typed or read.
    EXPECT_EQ(cellValue("2147483647").value(), "2147483647");
    EXPECT_EQ(cellValue("-2147483648").value(), "-2147483648");
    for (const char* tooLarge : {"2147483648", "99999999999999999999999", "-2147483649", "2147483647.5"}) {
        EXPECT_EQ(cellValue(tooLarge).error(), CellRefusal::TooLarge) << tooLarge;
        EXPECT_NE(cellRefusalMessage(CellRefusal::TooLarge, tooLarge).find("2147483647"), std::string::npos);
    }
    EXPECT_FALSE(SellItemBlock::read("1\t99999999999999999999999\t").has_value());
    ShopPage page;
    page.appendRows(1);
    EXPECT_FALSE(page.setCell(0, 0, "-1.6"));
    EXPECT_EQ(page.pasteAt(0, 1, "5\t-2\t7"), 1);
    EXPECT_EQ(page.items(), (std::vector<std::string>{"", "5", "", "7", "", "", ""}));
}

TEST(ShopPageTest, GeometryAndRowOperations)
{
    Items fourteen(14, "1"), fifteen(15, "1");
    EXPECT_EQ(ShopPage::fromItems(fourteen).rowCount(), 2);
    EXPECT_EQ(ShopPage::fromItems(fifteen).rowCount(), 3);
    EXPECT_EQ(ShopPage::fromItems({}).rowCount(), 1);
    auto page = ShopPage::fromItems({"1", "2", "3", "4", "5", "6", "7", "8"});
    EXPECT_EQ(page.cell(1, 0), "8");
    EXPECT_EQ(page.cell(1, 1), "");

    ShopPage grid;
    grid.appendRows(3);
    grid.setCellText(0, 0, "-1");
    grid.setCellText(2, 6, "5");
    grid.removeEmptyRows(); // the middle row goes, a row of "-1" stays
    ASSERT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.cell(1, 6), "5");
    grid.fillEmptyCells();
    EXPECT_EQ(grid.items(),
              (Items{"-1", "-1", "-1", "-1", "-1", "-1", "-1", "-1", "-1", "-1", "-1", "-1", "-1", "5"}));
    EXPECT_FALSE(grid.setCell(0, 0, "x"));
    EXPECT_EQ(grid.cell(0, 0), "-1");
    EXPECT_TRUE(grid.setCell(0, 0, "0"));
    EXPECT_EQ(grid.cell(0, 0), "");
}

TEST(SellItemBlockRead, PagesAreSeparatedByWholeMinusTwoItems)
{
    EXPECT_EQ(SellItemBlock::read("1\t2\t-2\t3\t").value(), (PageList{{"1", "2"}, {"3"}}));
    EXPECT_EQ(SellItemBlock::read("-2\t3\t").value(), (PageList{{}, {"3"}}));
    EXPECT_EQ(SellItemBlock::read("1\t-2\t").value(), (PageList{{"1"}}));
    EXPECT_EQ(SellItemBlock::read("-25\t1\t").value(), (PageList{{"-25", "1"}}));
    EXPECT_EQ(SellItemBlock::read("1\t-2\t-2\t3\t").value(), (PageList{{"1"}, {}, {"3"}}));
    EXPECT_TRUE(SellItemBlock::read("").value().empty());
    EXPECT_TRUE(SellItemBlock::read(" \r\n").value().empty());
}

// Each item ends with a TAB: an empty item between two TABs is an empty cell that keeps the
// later items in their places, in a pasted block and in a shop file alike; the line breaks and
// indents of a block written a row a line are no items.
TEST(SellItemBlockRead, ItemsAreThePiecesBetweenTabsAndEmptyOnesKeepTheirPlaces)
{
    const struct
    {
        const char* text;
        PageList pages;
    } cases[] = {
        {"1\t\t2\t", {{"1", "", "2"}}},
        {"\t1001\t1002\t-2\t\t5\t", {{"1001", "1002"}, {"", "5"}}},
        {"1\t2\t\r\n\t3\t\r\n\t\t4\t", {{"1", "2", "3", "", "4"}}},
        {"1001\t1002\t\r\n1003\t\r\n-2\t\r\n5\t\r\n", {{"1001", "1002", "1003"}, {"5"}}},
        {"1\t \t2\t3", {{"1", "", "2", "3"}}},
        {" \r\n\t", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SellItemBlock::read(c.text).value(), c.pages) << c.text;
    const auto shop = ShopReader::fromBytes("`[etc shop]`\r\n[sell item]\r\n1\t\t2\t\r\n[/sell item]\r\n",
                                            shopkeeper::text::StringTable{});
    ASSERT_TRUE(shop.has_value()) << shop.error().message;
    EXPECT_EQ(shop->pages()[0].items(), (Items{"1", "", "2", "", "", "", ""}));
    // White space inside an item makes it no item ID.
    EXPECT_EQ(SellItemBlock::read("1001 1002\t").error().message,
              "数据格式未知,无法读取！\r\n第一个无法读取的物品：第1页的“1001 1002”");
}

TEST(SellItemBlockRead, SixPagesAndNonNumericItemsAreRefused)
{
    const auto six = SellItemBlock::read("1\t-2\t2\t-2\t3\t-2\t4\t-2\t5\t-2\t6\t");
    ASSERT_FALSE(six.has_value());
    EXPECT_EQ(six.error().message, "商店数据超过5页无法读取，请删除多出的页数据！");
    EXPECT_TRUE(SellItemBlock::read("1\t-2\t2\t-2\t3\t-2\t4\t-2\t5\t").has_value());
    EXPECT_EQ(six.error().kind, BlockError::Kind::TooManyPages);
    for (const char* bad : {"1\tabc\t", "1\t12.5\t", "1\t-\t", "1\t+\t"}) {
        const auto result = SellItemBlock::read(bad);
        ASSERT_FALSE(result.has_value()) << bad;
        EXPECT_EQ(result.error().kind, BlockError::Kind::UnknownFormat);
        EXPECT_TRUE(result.error().message.starts_with("数据格式未知,无法读取！\r\n"))
            << result.error().message;
    }
    // The second line names the first bad item and its page; "-02" would become a page break.
    EXPECT_EQ(SellItemBlock::read("1\t-2\t2\tpotion\tx\t").error().message,
              "数据格式未知,无法读取！\r\n第一个无法读取的物品：第2页的“potion”");
    EXPECT_EQ(SellItemBlock::read("1\t-2\t2\t-2\t-02\t").error().message,
              "数据格式未知,无法读取！\r\n第一个无法读取的物品：第3页的“-02”");
}

// The cell rule applies as a block is read: the grids, show and save see the same cells.
TEST(SellItemBlockRead, ItemsAreReadByTheCellRule)
{
    const auto pages = SellItemBlock::read("0\t007\t+5\t-1\t00\t-0\t-01\t").value();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], (std::vector<std::string>{"", "7", "5", "-1", "", "", "-1"}));
}

TEST(SellItemBlockWrite, SerialisesPagesAndKeepsEveryPageInItsPlace)
{
    ShopPages pages;
    pages[0] = ShopPage::fromItems({"1", "2"});
    pages[2] = ShopPage::fromItems({"3"});
    pages[3].appendRows(2); // rows of empty cells are no page
    const std::string body = SellItemBlock::serialise(pages);
    EXPECT_EQ(body, "1\t2\t-1\t-1\t-1\t-1\t-1\t-2\t-2\t3\t-1\t-1\t-1\t-1\t-1\t-1\t");
    EXPECT_EQ(pages[3].rowCount(), 0);
    EXPECT_EQ(pages[0].cell(0, 2), "-1");
    // Read back, the empty second page keeps the third page's items on page 3.
    const auto back = SellItemBlock::toPages(SellItemBlock::read(body).value());
    EXPECT_FALSE(back[1].hasItems());
    EXPECT_EQ(back[2].cell(0, 0), "3");
}

TEST(SellItemBlockWrite, OutputThenReadGivesTheSamePagesWithMinusOnes)
{
    ShopPages pages;
    pages[0] = ShopPage::fromItems({"1", "", "3", "4", "5", "6", "7", "8"});
    pages[1] = ShopPage::fromItems({"-2000"});
    pages[4] = ShopPage::fromItems({"9"});
    ShopPages output = pages;
    const auto body = SellItemBlock::serialise(output);
    const auto again = SellItemBlock::toPages(SellItemBlock::read(body).value());
    for (std::size_t k = 0; k < again.size(); ++k) {
        auto page = again[k];
        page.removeEmptyRows();
        EXPECT_EQ(page, output[k]) << "page " << k + 1;
    }
    EXPECT_EQ(SellItemBlock::serialise(output), body) << "an unedited block is written as read";
    EXPECT_EQ(again[0].cell(0, 1), "-1");
    EXPECT_EQ(again[0].cell(1, 6), "-1");
    ShopPages none;
    EXPECT_EQ(SellItemBlock::serialise(none), "");
    EXPECT_FALSE(SellItemBlock::hasTab("1 2 3"));
}

TEST(ShopPageClipboard, PasteSpreadsFromTheCursorAddsRowsAndFollowsTheCellRule)
{
    ShopPage page;
    page.appendRows(1);
    std::string block;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 9; ++c)
            block += std::to_string(r * 10 + c + 1) + (c < 8 ? "\t" : "\r\n");
    }
    EXPECT_EQ(page.pasteAt(0, 1, block), 0);
    ASSERT_EQ(page.rowCount(), 3);
    EXPECT_EQ(page.cell(0, 0), "");
    EXPECT_EQ(page.cell(0, 1), "1");
    EXPECT_EQ(page.cell(2, 6), "26"); // columns past the seventh are dropped
    EXPECT_EQ(page.copyRange(1, 1, 2, 2), "11\t12\r\n21\t22\r\n");

    EXPECT_EQ(page.pasteAt(0, 0, "abc\t12.6\t0"), 1);
    EXPECT_EQ(page.cell(0, 0), "");
    EXPECT_EQ(page.cell(0, 1), "13");
    EXPECT_EQ(page.cell(0, 2), "");
}
