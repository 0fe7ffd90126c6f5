// Bad input must load without a crash or a hang: every reader gets the same hostile files.
#include "TestFiles.h"
#include "core/shop/SellItemBlock.h"
#include "core/shop/ShopReader.h"
#include "core/text/StringTable.h"
#include "core/workspace/NpcDiscovery.h"
#include "core/workspace/ShopIndex.h"

#include <gtest/gtest.h>

using namespace shopkeeper;

namespace {

std::vector<std::pair<std::string, std::string>> hostileInputs()
{
    std::string garbage;
    std::uint32_t x = 12345;
    for (int i = 0; i < 64 * 1024; ++i) {
        x = x * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(x >> 24));
    }
    std::string longLine(5 * 1024 * 1024, '7');
    for (std::size_t i = 5; i < longLine.size(); i += 6)
        longLine[i] = '\t';
    return {
        {"garbage", garbage},
        {"empty", ""},
        {"nul in the middle", std::string("[sell item]\r\n1\t\0\t2\r\n[/sell item]", 31)},
        {"five megabyte line", "[etc shop][sell item]" + longLine + "[/sell item]"},
        {"invalid utf-8", "[sell item]\xC3\x28\xFF\xFE\xE2\x82[/sell item]\xF0\x9F"},
        {"big5 cut in a character", "tab_name_1>\xA5\r\n\xB0"},
        {"tags only", "[tab name][/tab name][/sell item][sell item]"},
    };
}

} // namespace

TEST(Robustness, EveryReaderSurvivesHostileBytes)
{
    for (const auto& [label, bytes] : hostileInputs()) {
        SCOPED_TRACE(label);
        const auto table = text::StringTable::fromBytes(bytes);
        (void)table.lookup("tab_name_1");
        EXPECT_TRUE(table.encoded().has_value());
        EXPECT_EQ(table.encoded().value(), bytes) << "an untouched table must write back as read";
        (void)workspace::ShopIndex::fromText(bytes).shopNumberOf("a.shp");
        (void)workspace::readNpcLinks(bytes);
        (void)shop::SellItemBlock::read(bytes);
        auto document = shop::ShopReader::fromBytes(bytes, table);
        if (document) {
            EXPECT_EQ(document->source().file.bytesFor(document->source().file.text).substr(0, bytes.size()),
                      bytes);
        }
    }
}

TEST(Robustness, AWorkspaceOfHostileFilesLoadsAndLists)
{
    test::TempDir dir;
    test::writeFile(dir / "itemshop/itemshop.kor.str", "\xA5");
    test::writeFile(dir / "npc/npc.kor.str", std::string("\0\0\0", 3));
    std::string index;
    int n = 0;
    for (const auto& [label, bytes] : hostileInputs()) {
        const auto name = "s" + std::to_string(n++);
        test::writeFile(dir / "itemshop" / (name + ".shp"), "[etc shop]" + bytes);
        test::writeFile(dir / "npc" / (name + ".npc"),
                        bytes + "`[item shop]`\r\n" + std::to_string(n) + "\t");
        index += std::to_string(n) + "\t`" + name + ".shp`\r\n";
    }
    test::writeFile(dir / "itemshop/itemshop.lst", index + std::string("\xFF\xFE\0", 3));
    auto state = workspace::loadWorkspace(workspace::Workspace(dir.path()));
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(workspace::buildNpcList(*state).size(), hostileInputs().size());
}
