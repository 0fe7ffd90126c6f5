#include "core/shop/ShopDocument.h"

#include <gtest/gtest.h>

using namespace shopkeeper;
using shop::CellPosition;

namespace {

shop::ShopDocument documentWith(int page, std::vector<std::string> items)
{
    shop::ShopDocument document;
    shop::ShopPages pages;
    pages[static_cast<std::size_t>(page)] = shop::ShopPage::fromItems(items);
    document.showPages(pages);
    return document;
}

std::vector<bool> shadingOf(const shop::ShopDocument& document, int page)
{
    std::vector<bool> out;
    for (int r = 0; r < document.page(page).rowCount(); ++r)
        out.push_back(document.isRowShaded(page, r));
    return out;
}

} // namespace

TEST(ShopDocumentEdits, CellsFollowTheCellRuleAndRowsKeepTheirShading)
{
    auto document = documentWith(0, {"1", "2", "3", "4", "5", "6", "7", "8"});
    EXPECT_EQ(shadingOf(document, 0), (std::vector<bool>{false, true}));

    EXPECT_EQ(document.setCell(0, {0, 0}, "007"), true);
    EXPECT_EQ(document.page(0).cell(0, 0), "7");
    EXPECT_EQ(document.setCell(0, {0, 0}, "7.2"), false); // the same value: no change
    EXPECT_EQ(document.setCell(0, {0, 1}, "abc").error(), shop::CellRefusal::NotANumber);
    EXPECT_EQ(document.page(0).cell(0, 1), "2");
    EXPECT_EQ(document.setCell(0, {0, 1}, "0"), true);
    EXPECT_EQ(document.page(0).cell(0, 1), "");
    EXPECT_EQ(document.setCell(0, {9, 0}, "5"), false); // no such row

    // Two rows more: the grey rows are 1 and 3; the paste grows the page and shades it again.
    document.addRows(0, 2);
    EXPECT_EQ(shadingOf(document, 0), (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(document.paste(0, {3, 5}, "10\t11\t12\r\nx\r\n13\r\n"), 1);
    EXPECT_EQ(document.page(0).rowCount(), 6);
    EXPECT_EQ(document.page(0).cell(3, 6), "11");
    EXPECT_EQ(document.page(0).cell(5, 5), "13");
    EXPECT_EQ(shadingOf(document, 0), (std::vector<bool>{false, true, false, true, false, true}));

    // Tidying drops the empty rows 1, 2 and 4 with their shading: grey rows stay grey as they
    // move up, and the empty cells become "-1". A row of "-1" is not empty.
    document.clearCells(0, {{3, 5}, {1, 0}, {20, 0}});
    const auto beforeTidy = document.pageState(0);
    document.tidy();
    ASSERT_EQ(document.page(0).rowCount(), 3);
    EXPECT_EQ(shadingOf(document, 0), (std::vector<bool>{false, true, true}));
    EXPECT_EQ(document.page(0).cell(1, 0), "-1");
    EXPECT_EQ(document.page(0).cell(1, 6), "11");
    EXPECT_EQ(document.page(0).cell(2, 5), "13");
    document.tidy();
    EXPECT_EQ(document.page(0).rowCount(), 3);

    document.restorePage(0, beforeTidy);
    EXPECT_EQ(document.pageState(0), beforeTidy);

    // Cleared pages start white again; clearing all keeps the names.
    document.captions[2] = "药水";
    document.clearAllPages();
    document.addRows(0, 2);
    EXPECT_EQ(shadingOf(document, 0), (std::vector<bool>{false, true}));
    EXPECT_EQ(document.page(1).rowCount(), 0);
    EXPECT_EQ(document.captions[2], "药水");
}

TEST(ShopDocumentEdits, FillSelectedCellMovesTheCursorOnlyWhenTheCellTakesTheValue)
{
    struct Case
    {
        CellPosition cursor;
        std::string text;
        std::optional<CellPosition> next;
        std::string stored;
    };
    // Page: row 0 = "1" then six empty cells, row 1 empty.
    const Case cases[] = {
        {{0, 1}, "1001", CellPosition{0, 2}, "1001"}, // along the row
        {{0, 6}, "1001", CellPosition{1, 0}, "1001"}, // last column: first cell of the next row
        {{1, 6}, "1001", CellPosition{1, 6}, "1001"}, // last cell: the cursor stays
        {{0, 0}, "2002", std::nullopt, "1"},          // a filled cell is never overwritten
        {{0, 3}, "0", CellPosition{0, 4}, ""},        // an ID of 0 leaves the cell empty and moves on
        {{0, 3}, "abc", std::nullopt, ""},            // refused by the cell rule: nothing moves
        {{5, 0}, "1001", std::nullopt, ""},           // no such cell
    };
    for (const auto& c : cases) {
        auto document = documentWith(0, {"1", "", "", "", "", "", "", "", "", "", "", "", "", ""});
        SCOPED_TRACE(c.text + " at " + std::to_string(c.cursor.row) + "," + std::to_string(c.cursor.column));
        EXPECT_EQ(document.fillSelectedCell(0, c.cursor, c.text), c.next);
        if (c.cursor.row < document.page(0).rowCount()) {
            EXPECT_EQ(document.page(0).cell(c.cursor.row, c.cursor.column), c.stored);
        }
    }
}

TEST(ShopDocumentEdits, ReplaceItemChangesEveryPageAndNamesFollowTheRenameRules)
{
    shop::ShopDocument document;
    shop::ShopPages pages;
    pages[0] = shop::ShopPage::fromItems({"5", "6", "5"});
    pages[3] = shop::ShopPage::fromItems({"15", "5", "-1"});
    document.showPages(pages);
    const auto changed = document.replaceItem("5", "77");
    EXPECT_EQ(changed, (std::vector<shop::CellAt>{{0, 0, 0}, {0, 0, 2}, {3, 0, 1}}));
    EXPECT_EQ(document.page(0).items()[2], "77");
    EXPECT_EQ(document.page(3).items()[0], "15");
    EXPECT_EQ(document.replaceItem("77", "-1").size(), 3u);
    EXPECT_EQ(document.page(0).cell(0, 0), "-1");

    EXPECT_EQ(shop::pageNameFromInput(3, "-1").value(), "第三页");
    EXPECT_FALSE(shop::pageNameFromInput(3, "").has_value()) << "it would read back as 第三页";
    EXPECT_EQ(shop::pageNameFromInput(3, "武器 & 防具").value(), "武器 & 防具");
    EXPECT_FALSE(shop::pageNameFromInput(3, "a>b").has_value());
    EXPECT_FALSE(shop::pageNameFromInput(3, "a\nb").has_value());
}
