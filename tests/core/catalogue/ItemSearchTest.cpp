#include "core/catalogue/ItemSearch.h"

#include "BuiltinItemData.h"
#include "LiteralCatalogue.h"
#include "core/catalogue/GbkText.h"

#include <gtest/gtest.h>

using namespace shopkeeper;
using namespace shopkeeper::catalogue;

namespace {

std::string gbk(std::string_view utf8)
{
    auto bytes = utf8ToGbk(utf8);
    EXPECT_TRUE(bytes.has_value()) << utf8;
    return bytes.value_or("");
}

std::vector<std::string> entries(const ItemCatalogue& catalogue, std::string_view text)
{
    auto hits = searchAllItems(catalogue, text);
    EXPECT_TRUE(hits.has_value()) << text;
    std::vector<std::string> out;
    for (const auto& hit : hits.value_or(std::vector<ItemHit>{}))
        out.push_back(hit.entryText());
    return out;
}

const std::string kNames = "烈焰长剑\r\n寒霜战甲\r\nVIP月卡\r\n烈焰长剑\r\n龙王法袍\r\n烈焰战靴";
const std::string kIds = "10\r\n20\r\n30\r\n40\r\n50\r\n60";

ItemCatalogue smallCatalogue()
{
    return ItemCatalogue(BuiltinItemList::fromGbk(gbk(kNames), kIds));
}

} // namespace

TEST(ItemSearch, ExternalLinesComeFirstAndHideBuiltInEntriesOfTheirNames)
{
    ItemCatalogue catalogue = smallCatalogue();
    EXPECT_EQ(entries(catalogue, "烈焰"),
              (std::vector<std::string>{"10---烈焰长剑", "40---烈焰长剑", "60---烈焰战靴"}));

    catalogue.setExternalTable(
        *ExternalItemTable::fromBytes("900\t烈焰长剑\r\n901\t烈焰之心\r\n902\r\n903\t\r\n烈焰\t无名\t多余"));
    // Both built-in 烈焰长剑 go; the line without TAB and the one with nothing after it give
    // nothing; a line is matched on its whole text, the ID field included.
    EXPECT_EQ(entries(catalogue, "烈焰"),
              (std::vector<std::string>{"900---烈焰长剑", "901---烈焰之心", "烈焰---无名", "60---烈焰战靴"}));
    EXPECT_EQ(entries(catalogue, "9019"), std::vector<std::string>{});
    EXPECT_EQ(entries(catalogue, "\t烈焰之"), std::vector<std::string>{"901---烈焰之心"});
    EXPECT_EQ(entries(catalogue, "901\t"), std::vector<std::string>{"901---烈焰之心"});
}

TEST(ItemSearch, FoldsAsciiCaseInBothTablesAndInTheDedupe)
{
    ItemCatalogue catalogue = smallCatalogue();
    EXPECT_EQ(entries(catalogue, "vip月"), std::vector<std::string>{"30---VIP月卡"});
    EXPECT_EQ(entries(catalogue, "Vip月卡"), std::vector<std::string>{"30---VIP月卡"});
    catalogue.setExternalTable(*ExternalItemTable::fromBytes("77\tvip月卡\r\n78\tVIP周卡"));
    EXPECT_EQ(entries(catalogue, "vip周"), std::vector<std::string>{"78---VIP周卡"});
    // The built-in VIP月卡 is hidden by the external vip月卡.
    EXPECT_EQ(entries(catalogue, "月卡"), std::vector<std::string>{"77---vip月卡"});
}

TEST(ItemSearch, NeedsFourBytesAsGbkCountsThem)
{
    const ItemCatalogue catalogue = smallCatalogue();
    for (const char* shortText : {"", "ab", "abc", "龙", "龙a"}) {
        EXPECT_FALSE(isSearchTextLongEnough(shortText)) << shortText;
        auto refused = searchAllItems(catalogue, shortText);
        ASSERT_FALSE(refused.has_value()) << shortText;
        EXPECT_EQ(refused.error().message, kSearchTooShortMessage);
    }
    for (const char* longEnough : {"abcd", "龙王", "龙ab", "月卡"})
        EXPECT_TRUE(isSearchTextLongEnough(longEnough)) << longEnough;
    EXPECT_EQ(entries(catalogue, "VIP月"), std::vector<std::string>{"30---VIP月卡"});
    EXPECT_EQ(foundCountText(0), "已找到0个物品");
    EXPECT_EQ(foundCountText(123), "已找到123个物品");
}

TEST(ItemSearch, StreamsBatchesWithABoundaryAfterTheHundredAndFirstHitAndStops)
{
    std::string names;
    std::string ids;
    for (int i = 0; i < 300; ++i) {
        names += (i ? "\r\n" : "") + gbk("宝箱" + std::to_string(i));
        ids += (i ? "\r\n" : "") + std::to_string(i);
    }
    const ItemCatalogue catalogue(BuiltinItemList::fromGbk(names, ids));

    std::vector<std::size_t> sizes;
    std::vector<std::size_t> totals;
    std::size_t next = 0;
    auto end = searchItems(
        catalogue, "宝箱",
        [&](std::vector<ItemHit>&& batch, std::size_t total) {
            for (const auto& hit : batch)
                EXPECT_EQ(hit.id, std::to_string(next++)); // in order, none lost
            sizes.push_back(batch.size());
            totals.push_back(total);
            return true;
        },
        nullptr, 40);
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(*end, SearchEnd::Finished);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{40, 40, 21, 40, 40, 40, 40, 39}));
    EXPECT_EQ(totals[2], 101u);
    EXPECT_EQ(totals.back(), 300u);

    // "Yes, stop" at the question: the 101 hits stay, nothing follows.
    std::size_t calls = 0;
    std::size_t seen = 0;
    end = searchItems(
        catalogue, "宝箱",
        [&](std::vector<ItemHit>&& batch, std::size_t total) {
            ++calls;
            seen += batch.size();
            return total <= kHitQuestionThreshold;
        },
        nullptr, 1000);
    EXPECT_EQ(*end, SearchEnd::Stopped);
    EXPECT_EQ(calls, 1u);
    EXPECT_EQ(seen, 101u);

    // A cancel flag set meanwhile (a new search, the window closing) ends it at the next entry.
    std::atomic<bool> cancel{false};
    calls = 0;
    end = searchItems(
        catalogue, "宝箱",
        [&](std::vector<ItemHit>&&, std::size_t) {
            ++calls;
            cancel = true;
            return true;
        },
        &cancel, 10);
    EXPECT_EQ(*end, SearchEnd::Stopped);
    EXPECT_EQ(calls, 1u);
}

TEST(ItemSearch, GivesWhatRebuildingAndTestingEveryLineGivesOnTheBuiltInList)
{
    const std::string_view namesGbk = itemdata::builtinItemNames();
    const std::string_view idsGbk = itemdata::builtinItemIds();
    const auto& list = BuiltinItemList::instance();
    ASSERT_GT(list.size(), 500u);
    // A user table that repeats built-in names (one in other case), adds its own, and has lines
    // the search must skip.
    std::string external;
    for (std::size_t i = 0; i < list.size(); i += list.size() / 200) {
        std::string name(list.name(i));
        if (name.find('\t') != std::string::npos)
            continue;
        external += std::to_string(900000000 + i) + "\t" + name + "\r\n";
    }
    external += "123\tvip月卡(7天)\r\n555\t自制龙王法袍\t备注\r\n556\r\n557\t\r\n";
    const std::string externalGbk = gbk(external);

    ItemCatalogue builtinOnly;
    ItemCatalogue withExternal;
    withExternal.setExternalTable(*ExternalItemTable::fromBytes(externalGbk));
    for (const char* query : {"龙王", "vip月卡", "天罡战甲", "(7天)", "lv12", "水x50", "剑+12", "9000",
                              "战甲\t", "的太虚", "碎片Lv", "之魂+", "【限时】", "宝珠(", "永久)x"}) {
        for (const bool useExternal : {false, true}) {
            const auto expected = test::literalSearch(
                namesGbk, idsGbk, useExternal ? std::string_view(externalGbk) : "", gbk(query));
            const auto got = entries(useExternal ? withExternal : builtinOnly, query);
            ASSERT_EQ(got.size(), expected.size()) << query << " external " << useExternal;
            for (std::size_t i = 0; i < got.size(); ++i)
                ASSERT_EQ(got[i], gbkToUtf8(expected[i])) << query << " #" << i;
        }
    }
}
