#include "catalogue/BuiltinItemList.h"

#include "catalogue/ItemCatalogue.h"

#include <gtest/gtest.h>
#include <set>

using namespace shopkeeper::catalogue;

// The list the build compiled in has the shape of the game's own list.
TEST(BuiltinItemList, TheCompiledListHasTheShapeOfTheGamesList)
{
    const auto& list = BuiltinItemList::shared();
    ASSERT_EQ(list.size(), 83977u);
    EXPECT_EQ(list.id(0), "0");
    EXPECT_EQ(list.id(list.size() - 1), "690001555");
    std::size_t tabs = 0;
    std::size_t twice = 0;
    std::size_t firstOf39912 = list.size();
    for (std::size_t i = 0; i < list.size(); ++i) {
        tabs += list.name(i).find('\t') != std::string::npos;
        if (list.id(i) == "39912") {
            ++twice;
            firstOf39912 = std::min(firstOf39912, i);
        }
        EXPECT_FALSE(list.name(i).empty()) << i;
    }
    EXPECT_EQ(tabs, 16u);
    EXPECT_EQ(twice, 2u);
    ASSERT_LT(firstOf39912, list.size());
    // The repeated ID takes the name of its first entry.
    EXPECT_EQ(list.nameOf("39912"), list.name(firstOf39912));
    EXPECT_NE(list.name(firstOf39912), list.name(firstOf39912 + 1));
    EXPECT_EQ(ItemCatalogue(&list, nullptr).idToName("39912"), list.name(firstOf39912));
}
