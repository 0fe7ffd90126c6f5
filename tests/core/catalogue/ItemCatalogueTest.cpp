#include "catalogue/ItemCatalogue.h"

#include "text/GbkCodec.h"

#include <gtest/gtest.h>

using namespace shopkeeper;
using namespace shopkeeper::catalogue;

namespace {

BuiltinItemList builtin()
{
    return BuiltinItemList::fromTexts(
        text::GbkCodec::fromUtf8("铁剑\r\n木盾\r\nIron Helm\r\n铁剑\r\n小红药水\r\n双\t名"),
        "1\r\n2\r\n3\r\n3\r\n40\r\n41");
}

std::vector<std::string> hits(const ItemCatalogue& catalogue, std::string_view text)
{
    std::vector<std::string> out;
    catalogue.search(text, [&](std::string_view id, std::string_view name) {
        out.push_back(std::string(id) + "---" + std::string(name));
        return true;
    });
    return out;
}

} // namespace

TEST(ItemCatalogue, NamesComeFromTheUsersTableFirstThenTheBuiltInList)
{
    const auto list = builtin();
    const auto external = std::make_shared<const ExternalItemTable>(
        ExternalItemTable::fromBytes("21\t用户二十一\r\n2\t用户木盾\r\n").value());
    const ItemCatalogue both(&list, external);
    EXPECT_EQ(both.idToName("-1"), "");
    EXPECT_EQ(both.idToName("2"), "用户木盾");
    EXPECT_EQ(both.idToName("1"), "铁剑");      // "21" does not name 1
    EXPECT_EQ(both.idToName("3"), "Iron Helm"); // the first of a repeated ID
    EXPECT_EQ(both.idToName("41"), "双\t名");
    EXPECT_EQ(both.idToName("999"), "未知物品");
    const ItemCatalogue builtinOnly(&list, nullptr);
    EXPECT_EQ(builtinOnly.idToName("2"), "木盾");
    EXPECT_EQ(builtinOnly.idToName("21"), "未知物品");
    EXPECT_EQ(ItemCatalogue(nullptr, nullptr).idToName("-1"), "");
}

TEST(ItemCatalogue, SearchListsTheUsersLinesFirstAndEachNameOnce)
{
    const auto list = builtin();
    const auto external = std::make_shared<const ExternalItemTable>(
        ExternalItemTable::fromBytes("900\t铁剑\r\n901\t铁剑之魂\r\nno tab 铁剑\r\n902\t\r\n").value());
    const ItemCatalogue both(&list, external);
    EXPECT_EQ(hits(both, "铁剑"), (std::vector<std::string>{"900---铁剑", "901---铁剑之魂"}));
    EXPECT_EQ(hits(both, "90"),
              (std::vector<std::string>{"900---铁剑", "901---铁剑之魂"})); // found by the ID
    EXPECT_EQ(hits(ItemCatalogue(&list, nullptr), "铁剑"),
              (std::vector<std::string>{"1---铁剑", "3---铁剑"}));
    EXPECT_EQ(hits(both, "iron"), (std::vector<std::string>{"3---Iron Helm"}));
    EXPECT_EQ(hits(both, "IRON HE"), (std::vector<std::string>{"3---Iron Helm"}));
}

TEST(ItemCatalogue, SearchStopsWhenAskedAndWhenCancelled)
{
    const auto list = builtin();
    const ItemCatalogue catalogue(&list, nullptr);
    int seen = 0;
    catalogue.search("铁剑", [&](std::string_view, std::string_view) { return ++seen < 1; });
    EXPECT_EQ(seen, 1);
    std::atomic<bool> cancel{true};
    seen = 0;
    catalogue.search(
        "铁剑", [&](std::string_view, std::string_view) { return ++seen > 0; }, &cancel);
    EXPECT_EQ(seen, 0);
}

TEST(ItemCatalogue, ASearchTextNeedsFourBytesTheWayGbkCountsThem)
{
    EXPECT_FALSE(ItemCatalogue::checkSearchText("ab").has_value());
    EXPECT_FALSE(ItemCatalogue::checkSearchText("铁").has_value());
    EXPECT_FALSE(ItemCatalogue::checkSearchText("铁a").has_value());
    EXPECT_EQ(ItemCatalogue::checkSearchText("ab").error().message, kSearchTooShortMessage);
    EXPECT_TRUE(ItemCatalogue::checkSearchText("abcd").has_value());
    EXPECT_TRUE(ItemCatalogue::checkSearchText("铁剑").has_value());
}
