#include "core/shop/ShopDocument.h"

#include <functional>
#include <gtest/gtest.h>

using namespace shopkeeper;
using shop::CellPosition;
using shop::DocumentChange;
using Kind = shop::DocumentChange::Kind;

namespace {

shop::ShopDocument documentWith(int page, std::vector<std::string> items)
{
    shop::ShopDocument document;
    shop::ShopPages pages;
    pages[static_cast<std::size_t>(page)] = shop::ShopPage::fromItems(items);
    document.showPages(pages);
    return document;
}

// What a change says, without its layout number, which is new for every change.
struct Told
{
    Kind kind;
    int page;
    std::vector<CellPosition> cells;
    std::vector<int> rowsFrom;
    bool operator==(const Told&) const = default;
};

std::vector<Told> told(const shop::DocumentChanges& changes)
{
    std::vector<Told> out;
    for (const auto& c : changes)
        out.push_back({c.kind, c.page, c.cells, c.rowsFrom});
    return out;
}

} // namespace

TEST(ShopDocumentEdits, EachOperationReportsWhatItChangedAndRefusesWhatItsRuleRefuses)
{
    // Page 0: row 0 = 1..7, row 1 = 8 and six empty cells.
    struct Case
    {
        const char* what;
        std::function<shop::DocumentChanges(shop::ShopDocument&)> edit;
        std::vector<Told> expected;
        std::function<bool(const shop::ShopDocument&)> holds;
    };
    const auto cellIs = [](int row, int column, std::string text) {
        return [=](const shop::ShopDocument& d) { return d.page(0).cell(row, column) == text; };
    };
    const auto setCell = [](CellPosition at, std::string typed) {
        return [=](shop::ShopDocument& d) { return d.setCell(0, at, typed).value(); };
    };
    const std::vector<Case> cases = {
        {"a typed value in cell form",
         setCell({0, 0}, "007"),
         {{Kind::Cells, 0, {{0, 0}}, {}}},
         cellIs(0, 0, "7")},
        {"the value the cell holds", setCell({0, 0}, "1.2"), {}, cellIs(0, 0, "1")},
        {"0 empties the cell", setCell({0, 1}, "0"), {{Kind::Cells, 0, {{0, 1}}, {}}}, cellIs(0, 1, "")},
        {"no such row", setCell({9, 0}, "5"), {}, nullptr},
        {"a paste over two rows and one more",
         [](shop::ShopDocument& d) {
             int refused = 0;
             auto changes = d.paste(0, {1, 5}, "10\t11\r\nx\t12\r\n", refused);
             EXPECT_EQ(refused, 1);
             return changes;
         },
         {{Kind::Rows, 0, {{1, 5}, {1, 6}}, {0, 1, -1}}},
         cellIs(2, 6, "12")},
        {"a delete of filled and empty cells",
         [](shop::ShopDocument& d) {
             return d.clearCells(0, {{0, 2}, {1, 3}, {20, 0}});
         },
         {{Kind::Cells, 0, {{0, 2}}, {}}},
         cellIs(0, 2, "")},
        {"two rows more",
         [](shop::ShopDocument& d) { return d.addRows(0, 2); },
         {{Kind::Rows, 0, {}, {0, 1, -1, -1}}},
         [](const shop::ShopDocument& d) { return d.page(0).rowCount() == 4; }},
        {"a page cleared",
         [](shop::ShopDocument& d) { return d.clearPage(0); },
         {{Kind::Rows, 0, {}, {}}},
         [](const shop::ShopDocument& d) { return d.page(0).rowCount() == 0; }},
        {"an empty page cleared", [](shop::ShopDocument& d) { return d.clearPage(3); }, {}, nullptr},
        {"tidying fills the empty cells of a page whose rows all stay",
         [](shop::ShopDocument& d) { return d.tidy(); },
         {{Kind::Cells, 0, {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}}, {}}},
         cellIs(1, 6, "-1")},
        {"tidying drops empty rows, the others keep who they were",
         [](shop::ShopDocument& d) {
             d.addRows(0, 1);
             d.clearCells(0, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}});
             return d.tidy();
         },
         {{Kind::Rows, 0, {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}}, {1}}},
         cellIs(0, 0, "8")},
        {"an item replaced on every page",
         [](shop::ShopDocument& d) { return d.replaceItem("8", "77"); },
         {{Kind::Cells, 0, {{1, 0}}, {}}},
         cellIs(1, 0, "77")},
        {"the repair flag",
         [](shop::ShopDocument& d) { return d.setRepairable(true); },
         {{Kind::Repair, -1, {}, {}}},
         [](const shop::ShopDocument& d) { return d.isRepairable(); }},
        {"the repair flag as it is",
         [](shop::ShopDocument& d) { return d.setRepairable(false); },
         {},
         nullptr},
        {"names by the rename rules",
         [](shop::ShopDocument& d) {
             auto names = d.names();
             names[1] = "药水";
             names[2] = "-1";
             return d.rename(names).value();
         },
         {{Kind::Names, -1, {}, {}}},
         [](const shop::ShopDocument& d) { return d.names()[1] == "药水" && d.names()[2] == "第三页"; }},
        {"the pages of a pasted block",
         [](shop::ShopDocument& d) { return d.showPages({}); },
         {{Kind::PageReset, 0, {}, {}},
          {Kind::PageReset, 1, {}, {}},
          {Kind::PageReset, 2, {}, {}},
          {Kind::PageReset, 3, {}, {}},
          {Kind::PageReset, 4, {}, {}}},
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto document = documentWith(0, {"1", "2", "3", "4", "5", "6", "7", "8"});
        EXPECT_EQ(told(c.edit(document)), c.expected);
        if (c.holds) {
            EXPECT_TRUE(c.holds(document));
        }
    }

    // The refusals leave everything as it was and report nothing.
    auto document = documentWith(0, {"1", "2"});
    EXPECT_EQ(document.setCell(0, {0, 1}, "abc").error(), shop::CellRefusal::NotANumber);
    EXPECT_EQ(document.page(0).cell(0, 1), "2");
    auto names = document.names();
    names[0] = "a>b";
    names[1] = "好";
    EXPECT_FALSE(document.rename(names).has_value());
    EXPECT_EQ(document.names(), shop::ShopSource::defaultPageNames());
    EXPECT_FALSE(document.fillSelectedCell(0, {0, 0}, "5").has_value()) << "a filled cell stays";
}

TEST(ShopDocumentEdits, AnUndoBringsALayoutBackWithItsNumberAndTheRowsThatStayedPut)
{
    auto document = documentWith(0, {"1", "2", "3", "4", "5", "6", "7", "8"});
    const auto before = document.snapshot(0);
    const auto added = document.addRows(0, 2);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_NE(added[0].layout, before.layout);
    EXPECT_EQ(document.snapshot(0).layout, added[0].layout);

    // Back to two rows: the first two rows are the same rows, the layout the one before.
    const auto undone = document.restorePage(0, before);
    ASSERT_EQ(undone.size(), 1u);
    EXPECT_EQ(undone[0].kind, Kind::PageReset);
    EXPECT_EQ(undone[0].layout, before.layout);
    EXPECT_EQ(undone[0].rowsFrom, (std::vector<int>{0, 1}));
    EXPECT_EQ(document.snapshot(0), before);

    // A cell edit keeps the layout; a reset to other rows keeps only the rows that begin alike.
    (void)document.setCell(0, {1, 1}, "9");
    EXPECT_EQ(document.snapshot(0).layout, before.layout);
    EXPECT_EQ(document.restorePage(0, before)[0].rowsFrom, (std::vector<int>{0, -1}));
    EXPECT_TRUE(document.restoreCell(0, {0, 0}, "1").empty()) << "the text it holds";

    // What was read stays when the pages go: forgetting the file resets names and flag.
    document.setRepairable(true);
    (void)document.rename({"甲", "乙", "丙", "丁", "戊"});
    EXPECT_EQ(told(document.forgetSource()),
              (std::vector<Told>{{Kind::Names, -1, {}, {}}, {Kind::Repair, -1, {}, {}}}));
    EXPECT_EQ(document.page(0).cell(0, 0), "1");
    EXPECT_FALSE(document.isBound());
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
        const auto fill = document.fillSelectedCell(0, c.cursor, c.text);
        EXPECT_EQ(fill ? std::optional(fill->next) : std::nullopt, c.next);
        if (fill) {
            EXPECT_EQ(fill->changes.empty(), c.stored.empty()) << "a cell left empty is no change";
        }
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
    EXPECT_EQ(told(document.replaceItem("5", "77")),
              (std::vector<Told>{{Kind::Cells, 0, {{0, 0}, {0, 2}}, {}}, {Kind::Cells, 3, {{0, 1}}, {}}}));
    EXPECT_EQ(document.page(0).items()[2], "77");
    EXPECT_EQ(document.page(3).items()[0], "15");
    EXPECT_EQ(document.replaceItem("77", "-1").size(), 2u);
    EXPECT_EQ(document.page(0).cell(0, 0), "-1");

    EXPECT_EQ(shop::pageNameFromInput(3, "-1").value(), "第三页");
    EXPECT_FALSE(shop::pageNameFromInput(3, "").has_value()) << "it would read back as 第三页";
    EXPECT_EQ(shop::pageNameFromInput(3, "武器 & 防具").value(), "武器 & 防具");
    EXPECT_FALSE(shop::pageNameFromInput(3, "a>b").has_value());
    EXPECT_FALSE(shop::pageNameFromInput(3, "a\nb").has_value());
}
