#include "generator/WorkspaceGenerator.h"

#include "core/catalogue/BuiltinItemList.h"
#include "core/io/FileSystem.h"
#include "core/io/SystemError.h"
#include "core/text/StringTableCodec.h"
#include "generator/SplitMix64.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace shopkeeper::generator {

namespace fs = std::filesystem;

namespace {

// Draws from the shared sequence, in the int ranges a workspace needs.
class Random : public SplitMix64
{
public:
    using SplitMix64::SplitMix64;
    int below(int n) { return static_cast<int>(SplitMix64::below(static_cast<std::uint64_t>(n))); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
};

constexpr std::array kNpcNames = {"武器商人", "杂货商",   "药剂师",   "铁匠", "裁缝",
                                  "面包师",   "旅店老板", "守卫队长", "渔夫", "猎人",
                                  "炼金术士", "宝石商",   "书商",     "信使", "厨师"};
constexpr std::array kPageNames = {"武器", "防具", "饰品", "药水", "材料",
                                   "杂货", "食物", "卷轴", "宝石", "时装"};

enum class Kind
{
    Etc,
    Weapon,
    Item
};

struct Shop
{
    std::string fileName;
    int number = 0;
    Kind kind = Kind::Etc;
};

Status writeBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        return fail("无法写入文件：" + io::displayPath(path));
    return {};
}

Result<std::string> big5Line(const std::string& line)
{
    auto bytes = text::StringTableCodec::encode(line);
    if (!bytes)
        return std::unexpected(bytes.error());
    return *bytes + "\r\n";
}

// The items the shops sell: IDs of the built-in item list, so that the editor shows their names,
// and the given percent (about one in twenty-five by default) an ID that list does not hold,
// shown as unknown.
class ItemDraw
{
public:
    ItemDraw(const catalogue::BuiltinItemList& list, int unknownPercent)
        : list_(list), unknownPercent_(unknownPercent)
    {
    }

    std::string next(Random& random)
    {
        if (list_.size() == 0 || random.chance(unknownPercent_))
            return unknownId(random);
        for (;;) {
            const auto id = list_.id(static_cast<std::size_t>(random.below(static_cast<int>(list_.size()))));
            if (!id.empty() && id != "0" && id != "-1" && id != "-2")
                return std::string(id);
        }
    }

private:
    std::string unknownId(Random& random) const
    {
        // A free number is found at once unless the list holds nearly every one of the range.
        std::string id;
        for (int attempt = 0; attempt < 1000; ++attempt) {
            id = std::to_string(random.between(1000, 99999));
            if (!list_.indexOf(id))
                break;
        }
        return id;
    }

    const catalogue::BuiltinItemList& list_;
    int unknownPercent_;
};

std::string itemLine(Random& random, ItemDraw& items, int count, int style)
{
    // style 0: one line, each item followed by TAB; 1: the same line after a TAB (an empty
    // first slot); 2: seven items a line; 3: a space after each TAB.
    std::string out = style == 1 ? "\t" : "";
    for (int i = 0; i < count; ++i) {
        const std::string item = random.chance(8) ? "-1" : items.next(random);
        out += item + (style == 3 ? "\t " : "\t");
        if (style == 2 && i % 7 == 6 && i + 1 < count)
            out += "\r\n";
    }
    return out;
}

} // namespace

Status generateWorkspace(const fs::path& folder, const GeneratorOptions& options)
{
    if (options.shops < 0 || options.npcs < 0)
        return fail("商店和NPC的数量不能为负数。");
    if (options.unknownItems < 0 || options.unknownItems > 100)
        return fail("未知物品的比例须在0到100之间。");
    std::error_code ec;
    const fs::path shopDir = folder / "itemshop";
    const fs::path npcDir = folder / "npc";
    fs::create_directories(shopDir, ec);
    fs::create_directories(npcDir, ec);
    if (ec)
        return fail("无法创建文件夹：" + io::displayPath(folder) + "（" + io::systemErrorText(ec) + "）");

    Random random(options.seed);
    ItemDraw items(catalogue::BuiltinItemList::instance(), options.unknownItems);

    // Shops: the NPC shops, then one plain item shop for every ten, which the editor ignores.
    std::vector<Shop> shops;
    const int itemShops = (options.shops + 9) / 10;
    for (int i = 0; i < options.shops + itemShops; ++i) {
        Shop shop;
        shop.number = i + 1;
        shop.kind = i >= options.shops ? Kind::Item : (random.chance(40) ? Kind::Weapon : Kind::Etc);
        const char* stem = shop.kind == Kind::Weapon ? "weapon" : (shop.kind == Kind::Item ? "item" : "etc");
        char name[64];
        std::snprintf(name, sizeof name, "%s_%04d.%s", stem, shop.number, i % 9 == 4 ? "SHP" : "shp");
        shop.fileName = name;
        shops.push_back(shop);
    }

    std::string index = "; itemshop.lst: shop number, TAB, shop file\r\n";
    std::string tableText;
    // Shared tab keys that several shops use; their names are not the shops' own.
    // Written in traditional characters as the game has them; 麵包 would read back as 面包 and
    // must never be re-encoded unless its line is edited.
    for (const auto& [key, name] : std::vector<std::pair<std::string, std::string>>{
             {"shop_common_food", "麵包"}, {"shop_common_potion", "藥水"}, {"tab_name_common", "常用"}}) {
        auto line = text::StringTableCodec::utf8ToBig5(key + ">" + name + "\r\n");
        if (!line)
            return std::unexpected(line.error());
        tableText += *line;
    }

    for (std::size_t i = 0; i < shops.size(); ++i) {
        const Shop& shop = shops[i];
        if (i % 9 != 8) {
            const char* separator = i % 2 == 0 ? "\\" : "/";
            if (i % 5 == 3)
                index += std::to_string(shop.number) + "\t" + shop.fileName + "\r\n";
            else
                index += std::to_string(shop.number) + "\t`itemshop" + separator + shop.fileName + "`\r\n";
        }

        const int pages = random.between(1, 5);
        const char* kindWord = shop.kind == Kind::Weapon
                                   ? "[weapon shop]"
                                   : (shop.kind == Kind::Item ? "[item shop]" : "[etc shop]");
        std::string text = "// 商店 " + std::to_string(shop.number) + "：自动生成的示例数据";
        if (i % 6 == 2)
            text += " ☃ 𠀀"; // characters outside GBK must survive a save
        text += "\r\n[shop]\r\n`" + std::string(kindWord) + "`\r\n[/shop]\r\n\r\n";

        const int tabStyle = static_cast<int>(i % 4); // 0, 1: own keys; 2: shared keys; 3: no block
        if (tabStyle != 3) {
            text += "[tab name]\r\n";
            const int lines = tabStyle == 1 ? std::max(1, pages - 1) : pages;
            for (int k = 0; k < lines; ++k) {
                std::string key;
                if (tabStyle == 2 && k == 0)
                    key = i % 8 == 2 ? "shop_common_food" : "shop_common_potion";
                else if (tabStyle == 2 && k == 1)
                    key = "tab_name_common";
                else
                    key = "tab_name_" + std::to_string(shop.number * 10 + k);
                text += (i % 3 == 0 ? "\t" : "") + std::string("<5::") + key + "`商店`>\r\n";
                const bool ownKey = key.rfind("tab_name_", 0) == 0 && key != "tab_name_common";
                if (ownKey && !(k == 0 && i % 7 == 5)) {
                    auto line =
                        big5Line(key + ">" + kPageNames[random.below(static_cast<int>(kPageNames.size()))]);
                    if (!line)
                        return std::unexpected(line.error());
                    tableText += *line;
                }
            }
            text += "[/tab name]\r\n\r\n";
        }

        text += "[sell item]\r\n";
        const int style = static_cast<int>((i / 4) % 4);
        for (int k = 0; k < pages; ++k) {
            if (k > 0)
                text += style == 2 ? "\r\n-2\t\r\n" : (style == 3 ? "-2\t " : "-2\t");
            text += itemLine(random, items, random.between(3, 40), style);
        }
        text += "\r\n[/sell item]\r\n\r\n[buy item]\r\n`[all]`\r\n[/buy item]\r\n";
        if (auto ok = writeBytes(shopDir / shop.fileName, text); !ok)
            return ok;
    }
    if (auto ok = writeBytes(shopDir / "itemshop.lst", index); !ok)
        return ok;
    if (auto ok = writeBytes(shopDir / "itemshop.kor.str", tableText); !ok)
        return ok;

    // NPC files. Each NPC shop is opened by a random NPC, except every eleventh shop, which no
    // NPC opens; every thirteenth is opened by a second NPC too (the first in list order wins).
    std::vector<std::vector<int>> opens(static_cast<std::size_t>(options.npcs));
    if (options.npcs > 0) {
        for (std::size_t i = 0; i < shops.size(); ++i) {
            if (i % 11 == 7)
                continue;
            opens[static_cast<std::size_t>(random.below(options.npcs))].push_back(shops[i].number);
            if (i % 13 == 3)
                opens[static_cast<std::size_t>(random.below(options.npcs))].push_back(shops[i].number);
        }
    }
    std::string npcTable = "// npc.kor.str\r\n";
    for (int j = 0; j < options.npcs; ++j) {
        const auto key = "name_" + std::to_string(j + 1);
        const std::string name =
            kNpcNames[static_cast<std::size_t>(j) % kNpcNames.size()] + std::to_string(j + 1);
        if (j % 17 != 16) {
            auto line = big5Line(key + ">" + name);
            if (!line)
                return std::unexpected(line.error());
            npcTable += *line;
        }
        std::string text = "// NPC " + std::to_string(j + 1) + "\r\n[name]\r\n";
        const char* table = j % 19 == 18 ? "<3::" : "<8::"; // a link into another table names no NPC
        text += (j % 3 == 1 ? "\t" : "") + std::string(table) + key + "`" + name + "`>\r\n[/name]\r\n\r\n";
        text += "[dialog]\r\n`你好，旅行者。`\r\n[/dialog]\r\n";
        for (std::size_t s = 0; s < opens[static_cast<std::size_t>(j)].size(); ++s) {
            const auto number = std::to_string(opens[static_cast<std::size_t>(j)][s]);
            switch ((j + static_cast<int>(s)) % 3) {
            case 0:
                text += "\r\n[role]\r\n`[item shop]`\r\n" + number + "\t\r\n[/role]\r\n";
                break;
            case 1:
                text += "\r\n[role]\r\n`[item shop]` " + number + "\r\n[/role]\r\n";
                break;
            default:
                text += "\r\n[role]\r\n\t`[item shop]`\r\n\t" + number + "\t\r\n[/role]\r\n";
                break;
            }
        }
        char name2[32];
        std::snprintf(name2, sizeof name2, "npc_%05d.%s", j + 1, j % 10 == 9 ? "NPC" : "npc");
        if (auto ok = writeBytes(npcDir / name2, text); !ok)
            return ok;
    }
    return writeBytes(npcDir / "npc.kor.str", npcTable);
}

} // namespace shopkeeper::generator
