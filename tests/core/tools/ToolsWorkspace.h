#pragma once

// One small hand-made workspace for the workspace tools' core and CLI tests. NPC shops in list
// order: a (named, item 7 as "007" on two pages, item 100 twice, an unknown item, a tab key
// without a table line, odd bytes around its item list), b (its NPC's name key is missing), c (an
// item list the reader refuses), d (no NPC file opens it), f (its NPC file has no name link), g
// (not in itemshop.lst). e is a plain item shop, which no tool looks at.
#include "TestFiles.h"

#include <string>

namespace shopkeeper::test {

inline constexpr const char* kUnknownId = "2100000000";

inline std::string shopText(const char* kind, const std::string& tabs, const std::string& items)
{
    return "// sample shop\r\n[shop]\r\n`[" + std::string(kind) + "]`\r\n[/shop]\r\n\r\n" + tabs +
           "[SELL ITEM]\r\n" + items + "\r\n[/Sell Item]\r\n\r\n[buy item]\r\n  `[all]`\r\n[/buy item]\r\n";
}

struct ToolsWorkspace
{
    ToolsWorkspace()
    {
        writeFile(dir / "itemshop/itemshop.lst",
                  "1\ta.shp\r\n2\tb.shp\r\n3\tc.shp\r\n4\td.shp\r\n6\tf.shp\r\n");
        writeFile(dir / "itemshop/itemshop.kor.str", "tab_name_1>Food\r\n");
        writeFile(dir / "npc/npc.kor.str", "name_1>Baker\r\n");
        writeFile(dir / "npc/n1.npc", "[name]\r\n<8::name_1`Baker`>\r\n[role]\r\n`[item shop]`\r\n1\t\r\n"
                                      "`[item shop]`\r\n3\t\r\n");
        writeFile(dir / "npc/n2.npc", "[name]\r\n<8::name_2`Smith`>\r\n`[item shop]`\r\n2\t\r\n");
        writeFile(dir / "npc/n3.npc", "[name]\r\nSmith\r\n`[item shop]`\r\n6\t\r\n");
        writeFile(dir / "itemshop/a.shp",
                  shopText("etc shop",
                           "[tab name]\r\n\t<5::tab_name_1`x`>\r\n\t<5::tab_name_2`x`>\r\n[/tab name]\r\n",
                           "007\t100\t200\t100\t" + std::string(kUnknownId) + "\t-1\t-2\t300\t007\t") +
                      std::string(1, '\0'));
        writeFile(dir / "itemshop/b.shp", shopText("weapon shop", "", "100\t-1\t7\t"));
        writeFile(dir / "itemshop/c.shp", shopText("etc shop", "", "7\tabc\t"));
        writeFile(dir / "itemshop/d.shp", shopText("etc shop", "", std::string(kUnknownId) + "\t7\t"));
        writeFile(dir / "itemshop/e.shp", shopText("item shop", "", "7\t"));
        writeFile(dir / "itemshop/f.shp", shopText("etc shop", "", "300\t"));
        writeFile(dir / "itemshop/g.shp", shopText("etc shop", "", "200\t"));
        writeFile(dir / "id-name.txt", "7\tSword\r\n100\tBread\r\n200\tMilk\r\n300\tShield\r\n");
    }
    std::string shop(const char* name) const { return readFile(dir / "itemshop" / name); }

    TempDir dir;
};

} // namespace shopkeeper::test
