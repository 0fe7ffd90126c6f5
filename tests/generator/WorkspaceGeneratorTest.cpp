#include "generator/WorkspaceGenerator.h"

#include "TestFiles.h"
#include "core/catalogue/BuiltinItemList.h"
#include "core/workspace/NpcDiscovery.h"
#include "core/workspace/Workspace.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

using namespace shopkeeper;
using namespace shopkeeper::workspace;
using generator::generateWorkspace;
using test::TempDir;

TEST(WorkspaceGeneratorTest, TheSameSeedGivesTheSameBytesAndEveryShopKind)
{
    TempDir one, two, three;
    ASSERT_TRUE(generateWorkspace(one.path(), {.shops = 25, .npcs = 30, .seed = 7}).has_value());
    ASSERT_TRUE(generateWorkspace(two.path(), {.shops = 25, .npcs = 30, .seed = 7}).has_value());
    ASSERT_TRUE(generateWorkspace(three.path(), {.shops = 25, .npcs = 30, .seed = 8}).has_value());
    bool differs = false;
    std::string all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(one.path())) {
        if (!entry.is_regular_file())
            continue;
        const auto relative = std::filesystem::relative(entry.path(), one.path());
        const auto bytes = test::readFile(entry.path());
        EXPECT_EQ(bytes, test::readFile(two / relative)) << relative;
        differs = differs || bytes != test::readFile(three / relative);
        all += bytes;
    }
    EXPECT_TRUE(differs);
    for (const char* needle : {"`[etc shop]`", "`[weapon shop]`", "`[item shop]`", "<5::tab_name_",
                               "<5::shop_common", "\t<5::", "<3::", "-2"})
        EXPECT_NE(all.find(needle), std::string::npos) << needle;

    auto state = loadWorkspace(Workspace(one.path()));
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->shopFiles.size(), 25u);
    const auto entries = buildNpcList(*state);
    const auto unknown =
        std::count_if(entries.begin(), entries.end(), [](auto& e) { return e.npcName == kUnknownNpc; });
    EXPECT_GT(unknown, 0);
    EXPECT_LT(unknown, 25);

    // The shops sell items of the built-in list, with a few unknown IDs among them.
    const auto& builtin = catalogue::BuiltinItemList::instance();
    int known = 0, unknownItems = 0;
    for (const auto& shop : state->shopFiles) {
        const std::string text = test::readFile(shop);
        const auto begin = text.find("[sell item]");
        ASSERT_NE(begin, std::string::npos) << shop;
        std::istringstream items(text.substr(begin + 11, text.find("[/sell item]") - begin - 11));
        for (std::string item; items >> item;) {
            if (item != "-1" && item != "-2")
                ++(builtin.indexOf(item) ? known : unknownItems);
        }
    }
    EXPECT_GT(unknownItems, 0);
    EXPECT_GT(known, 10 * unknownItems);
}
