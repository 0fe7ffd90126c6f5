#include "core/catalogue/BuiltinItemList.h"

#include "BuiltinItemData.h"
#include "LiteralCatalogue.h"
#include "core/catalogue/GbkText.h"
#include "core/catalogue/ItemCatalogue.h"

#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

using namespace shopkeeper;
using namespace shopkeeper::catalogue;

namespace {

class BuiltinItemListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!itemdata::builtinItemListIsSample())
            GTEST_SKIP() << "built with the game's own item list; these cases know the sample's shape";
    }
};

} // namespace

TEST_F(BuiltinItemListTest, HasTheShapeOfTheGamesList)
{
    const auto& list = BuiltinItemList::instance();
    ASSERT_EQ(list.size(), 83977u);
    EXPECT_EQ(itemdata::builtinItemNames().size(), 1709653u);
    EXPECT_EQ(itemdata::builtinItemIds().size(), 713736u);
    EXPECT_EQ(list.id(0), "0");
    EXPECT_EQ(list.id(list.size() - 1), "690001555");

    std::size_t withTab = 0;
    for (std::size_t i = 0; i < list.size(); ++i)
        withTab += list.name(i).find('\t') != std::string_view::npos;
    EXPECT_EQ(withTab, 16u);
}

TEST_F(BuiltinItemListTest, EveryEntryIsItsGbkPieceInUtf8)
{
    const auto& list = BuiltinItemList::instance();
    const auto names = text::splitText(itemdata::builtinItemNames(), "\r\n");
    const auto ids = text::splitText(itemdata::builtinItemIds(), "\r\n");
    ASSERT_EQ(names.size(), list.size());
    ASSERT_EQ(ids.size(), list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        ASSERT_EQ(list.name(i), gbkToUtf8(names[i])) << i;
        ASSERT_EQ(list.id(i), ids[i]) << i;
    }
}

TEST_F(BuiltinItemListTest, TheDuplicateIdTakesItsFirstEntry)
{
    const auto& list = BuiltinItemList::instance();
    const auto first = list.indexOf("39912");
    ASSERT_TRUE(first.has_value());
    ASSERT_EQ(list.id(*first + 1), "39912");
    EXPECT_NE(list.id(*first - 1), "39912");
    EXPECT_NE(list.name(*first), list.name(*first + 1));
    EXPECT_EQ(ItemCatalogue().idToName("39912"), list.name(*first));

    // Every ID finds its own entry, or the first of its kind.
    for (std::size_t i = 0; i < list.size(); i += 7) {
        const auto found = list.indexOf(list.id(i));
        ASSERT_TRUE(found.has_value());
        ASSERT_TRUE(*found == i || (list.id(i) == "39912" && *found == i - 1)) << list.id(i);
    }
    for (const char* absent : {"", "-1", "00", "039912", "690001556", "39912 ", "abc"})
        EXPECT_FALSE(list.indexOf(absent).has_value()) << absent;
}

TEST_F(BuiltinItemListTest, LoadsOnceWhoeverAsksFirst)
{
    std::vector<const BuiltinItemList*> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&seen, t] { seen[t] = &BuiltinItemList::instance(); });
    for (auto& thread : threads)
        thread.join();
    EXPECT_TRUE(BuiltinItemList::isLoaded());
    for (const auto* list : seen)
        EXPECT_EQ(list, seen[0]);
    EXPECT_EQ(BuiltinItemList::shared().get(), seen[0]);
}

TEST(BuiltinItemListFromText, UnsortedIdsAndUnequalListsStillLookUpTheFirstEntry)
{
    const auto names = *utf8ToGbk("甲\r\n乙\r\n丙\r\n丁\r\n戊");
    const auto list = BuiltinItemList::fromGbk(names, "30\r\n4\r\n30\r\n100");
    ASSERT_EQ(list->size(), 4u); // the shorter of the two lists
    EXPECT_EQ(list->indexOf("30"), 0u);
    EXPECT_EQ(list->indexOf("4"), 1u);
    EXPECT_EQ(list->indexOf("100"), 3u);
    EXPECT_FALSE(list->indexOf("5").has_value());
    EXPECT_EQ(list->name(2), "丙");

    // An ID is its whole text: a number written another way, or too long for a number, is
    // found only as written.
    const auto odd = BuiltinItemList::fromGbk(
        *utf8ToGbk("甲\r\n乙\r\n丙\r\n丁\r\n戊\r\n己\r\n庚"),
        "012\r\n12\r\n0\r\nA7\r\n123456789012345678901\r\n18446744073709551615\r\n12");
    const std::vector<std::pair<std::string, std::optional<std::size_t>>> cases = {
        {"012", 0},
        {"12", 1},
        {"0", 2},
        {"00", std::nullopt},
        {"A7", 3},
        {"a7", std::nullopt},
        {"123456789012345678901", 4},
        {"18446744073709551615", 5},
        {"7", std::nullopt},
        {"", std::nullopt}};
    for (const auto& [id, entry] : cases)
        EXPECT_EQ(odd->indexOf(id), entry) << id;
}
