#include "core/workspace/Workspace.h"

#include "TestFiles.h"
#include "core/io/FileSystem.h"
#include "core/text/StringTableCodec.h"
#include "core/workspace/NpcDiscovery.h"

#include <gtest/gtest.h>

using namespace shopkeeper;
using namespace shopkeeper::workspace;
using test::TempDir;
using test::writeFile;

namespace {

std::string big5(const std::string& text)
{
    return text::StringTableCodec::encode(text).value();
}

// A hand-made workspace: shops named in the index, NPC files and an NPC-name table.
class SmallWorkspace : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeFile(dir / "itemshop/itemshop.kor.str", "");
        writeFile(dir / "npc/npc.kor.str", big5("name_1>武器商人\r\nname_2>药剂师\r\nname_3>铁匠\r\n"));
    }
    void shop(const std::string& name, const std::string& kind)
    {
        writeFile(dir / "itemshop" / name, "`" + kind + "`\r\n[sell item]\r\n1\t\r\n[/sell item]\r\n");
    }
    void index(const std::string& text) { writeFile(dir / "itemshop/itemshop.lst", text); }
    void npc(const std::string& name, const std::string& text) { writeFile(dir / "npc" / name, text); }

    std::vector<std::string> names()
    {
        auto state = loadWorkspace(Workspace(dir.path()));
        EXPECT_TRUE(state.has_value());
        std::vector<std::string> out;
        for (const auto& entry : buildNpcList(*state))
            out.push_back(io::displayPath(entry.shopFile.filename()) + "=" + entry.npcName);
        return out;
    }

    TempDir dir;
};

using Names = std::vector<std::string>;

} // namespace

TEST(WorkspaceCheck, EachMissingFileGivesTheMessageWithAllThreePaths)
{
    for (const char* missing : {"itemshop/itemshop.kor.str", "itemshop/itemshop.lst", "npc/npc.kor.str"}) {
        TempDir dir;
        for (const char* file : {"itemshop/itemshop.kor.str", "itemshop/itemshop.lst", "npc/npc.kor.str"}) {
            if (std::string(file) != missing)
                writeFile(dir / file, "");
        }
        const Workspace ws(dir.path());
        const auto result = ws.checkRequiredFiles();
        ASSERT_FALSE(result.has_value()) << missing;
        const auto root = io::displayPath(dir.path());
        const auto sep = std::string(1, static_cast<char>(std::filesystem::path::preferred_separator));
        EXPECT_EQ(result.error().message, "缺少必要的文件！请确认以下文件的完整性：\r\n" + root + sep +
                                              "itemshop" + sep + "itemshop.kor.str\r\n" + root + sep +
                                              "itemshop" + sep + "itemshop.lst\r\n" + root + sep + "npc" +
                                              sep + "npc.kor.str");
    }
}

TEST(WorkspaceCheck, FolderNamesMatchWhateverTheirCaseAndAFolderCountsAsPresent)
{
    TempDir dir;
    writeFile(dir / "ItemShop/ITEMSHOP.KOR.STR", "");
    std::filesystem::create_directories(dir / "ItemShop/itemshop.lst");
    writeFile(dir / "NPC/npc.kor.str", "");
    EXPECT_TRUE(Workspace(dir.path()).checkRequiredFiles().has_value());
}

TEST(ListFilesTest, MatchesTheWildcardIgnoringCaseSkipsFoldersAndSortsByName)
{
    TempDir dir;
    for (const char* name : {"b.shp", "A.SHP", "c.txt", "C.Shp"})
        writeFile(dir / name, "x");
    std::filesystem::create_directories(dir / "folder.shp");
    std::vector<std::string> names;
    for (const auto& path : io::listFiles(dir.path(), "*.shp"))
        names.push_back(io::displayPath(path.filename()));
    EXPECT_EQ(names, (std::vector<std::string>{"A.SHP", "b.shp", "C.Shp"}));
    EXPECT_TRUE(io::listFiles(dir / "missing", "*.shp").empty());
    EXPECT_TRUE(io::wildcardMatch("shop_??.shp", "SHOP_12.SHP"));
    EXPECT_FALSE(io::wildcardMatch("*.shp", "a.shpx"));
}

TEST_F(SmallWorkspace, OnlyEtcAndWeaponShopsAreListed)
{
    shop("a.shp", "[etc shop]");
    shop("b.shp", "[item shop]");
    shop("c.shp", "[WEAPON SHOP]");
    writeFile(dir / "itemshop/d.shp", "no tag at all");
    index("");
    EXPECT_EQ(names(), (Names{"a.shp=未知NPC", "c.shp=未知NPC"}));
}

TEST_F(SmallWorkspace, NoNpcShopLeftIsTheNoShopMessage)
{
    shop("b.shp", "[item shop]");
    index("");
    const auto state = loadWorkspace(Workspace(dir.path()));
    ASSERT_FALSE(state.has_value());
    EXPECT_EQ(state.error().message, "没有找到可修改的NPC商店文件！");
}

TEST_F(SmallWorkspace, ShopsAreNamedAfterTheFirstNpcThatOpensThem)
{
    shop("a.shp", "[etc shop]");
    shop("b.shp", "[etc shop]");
    shop("c.shp", "[weapon shop]");
    shop("d.shp", "[etc shop]");
    index("5\t`itemshop\\a.shp`\r\n15\t`itemshop\\b.shp`\r\n50\t`itemshop/c.shp`\r\n51\t`d.shp`\r\n");
    // One NPC opens 15 and 50; shop 5 must not match those lines.
    npc("1.npc", "[name]\r\n<8::name_1`x`>\r\n`[item shop]`\r\n15\t\r\n`[item shop]`\r\n50\t\r\n");
    npc("2.npc", "[name]\r\n\t<8::name_2`x`>\r\n`[item shop]` 5\r\n");
    EXPECT_EQ(names(), (Names{"a.shp=药剂师", "b.shp=武器商人", "c.shp=武器商人", "d.shp=未知NPC"}));
}

TEST_F(SmallWorkspace, AnotherTablesLinkIsSkippedAndALaterNpcCanNameTheShop)
{
    shop("a.shp", "[etc shop]");
    index("7\t`a.shp`\r\n");
    npc("1.npc", "[name]\r\n<3::name_1`x`>\r\n`[item shop]`\r\n7\t\r\n");
    npc("2.npc", "[name]\r\n<8::name_3`x`>\r\n`[item shop]`\r\n\t7\t\r\n");
    EXPECT_EQ(names(), (Names{"a.shp=铁匠"}));
}

TEST_F(SmallWorkspace, AKeyMissingFromTheNameTableEndsTheSearch)
{
    shop("a.shp", "[etc shop]");
    index("7\t`a.shp`\r\n");
    npc("1.npc", "[name]\r\n<8::name_99`x`>\r\n`[item shop]`\r\n7\t\r\n");
    npc("2.npc", "[name]\r\n<8::name_1`x`>\r\n`[item shop]`\r\n7\t\r\n");
    EXPECT_EQ(names(), (Names{"a.shp=未知NPC"}));
}

TEST_F(SmallWorkspace, WithoutANameTagTheFirstLineIsTheNameLine)
{
    shop("a.shp", "[etc shop]");
    index("7\t`a.shp`\r\n");
    npc("1.NPC", "<8::name_2`x`>\r\n`[item shop]`\r\n7\t\r\n");
    EXPECT_EQ(names(), (Names{"a.shp=药剂师"}));
}

TEST_F(SmallWorkspace, LoadingTwiceGivesTheSameList)
{
    shop("a.shp", "[etc shop]");
    shop("b.shp", "[etc shop]");
    index("1\t`a.shp`\r\n2\t`b.shp`\r\n");
    npc("1.npc", "[name]\r\n<8::name_1`x`>\r\n`[item shop]`\r\n1\t\r\n`[item shop]`\r\n2\t\r\n");
    const auto first = names();
    EXPECT_EQ(first, (Names{"a.shp=武器商人", "b.shp=武器商人"}));
    EXPECT_EQ(names(), first);
}

TEST(NpcLinks, ShopNumbersAreWholeWordsAfterTheLink)
{
    const auto links =
        readNpcLinks("[name]\r\n <8::name_1 `x`>\r\n`[ITEM SHOP]`\r\n15\t\r\n`[item shop]`   5x\r\n");
    EXPECT_EQ(links.shopNumbers, (std::vector<std::string>{"15", "5x"}));
    ASSERT_TRUE(links.nameKey.has_value());
    EXPECT_EQ(*links.nameKey, "name_1");
    EXPECT_FALSE(readNpcLinks("[name]\r\n<3::k`x`>").nameKey.has_value());
}
