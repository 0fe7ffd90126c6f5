#include "generator/ItemListGenerator.h"

#include "ItemListFormat.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace shopkeeper;
using generator::generateItemLists;
using itemdata::checkItemIds;
using itemdata::checkItemLists;
using itemdata::checkItemNames;

namespace {

std::vector<std::string> split(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t begin = 0;
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", begin)) {
        out.push_back(text.substr(begin, at - begin));
        begin = at + 2;
    }
    out.push_back(text.substr(begin));
    return out;
}

} // namespace

TEST(ItemListGenerator, MakesTheShapeOfTheGamesListTheSameForTheSameSeed)
{
    const auto lists = generateItemLists(1);
    EXPECT_EQ(checkItemLists(lists.names, lists.ids), "");
    EXPECT_EQ(lists.names.size(), 1709653u);
    EXPECT_EQ(lists.ids.size(), 713736u);

    const auto names = split(lists.names);
    const auto ids = split(lists.ids);
    ASSERT_EQ(names.size(), 83977u);
    ASSERT_EQ(ids.size(), 83977u);
    EXPECT_EQ(ids.front(), "0");
    EXPECT_EQ(ids.back(), "690001555");

    std::map<std::string, std::set<std::string>> idsOfName;
    std::map<std::string, int> timesOfId;
    std::size_t withTab = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_LE(names[i].size(), 65u);
        withTab += names[i].find('\t') != std::string::npos;
        idsOfName[names[i]].insert(ids[i]);
        ++timesOfId[ids[i]];
    }
    EXPECT_EQ(withTab, 16u);
    std::size_t repeated = 0;
    for (const auto& [name, idSet] : idsOfName)
        repeated += idSet.size() > 1;
    EXPECT_EQ(repeated, 5654u); // each repeated under different IDs
    for (const auto& [id, times] : timesOfId)
        EXPECT_EQ(times, id == "39912" ? 2 : 1) << id;

    const auto again = generateItemLists(1);
    EXPECT_EQ(again.names, lists.names);
    EXPECT_EQ(again.ids, lists.ids);
    const auto other = generateItemLists(2);
    EXPECT_NE(other.names, lists.names);
    EXPECT_EQ(checkItemLists(other.names, other.ids), "");
}

TEST(ItemListFormat, SaysWhatIsWrong)
{
    std::size_t count = 0;
    EXPECT_EQ(checkItemIds("0\r\n7\r\n7\r\n12", count), "");
    EXPECT_EQ(count, 4u);
    struct Case
    {
        const char* ids;
        const char* fault;
    };
    for (const auto& c :
         {Case{"", "the file is empty"},
          Case{"1\r\n2\r\n", "the file ends with CR LF; there must be none after the last entry"},
          Case{"1\r\n\r\n2", "line 2 is empty"},
          Case{"1\n2", "line 1 ends with a lone LF; entries are separated by CR LF"},
          Case{"1\r2", "line 1 ends with a lone CR; entries are separated by CR LF"},
          Case{"1\r\n02", "line 2 (\"02\") has a leading zero"},
          Case{"1\r\n-2", "line 2 (\"-2\") is not a decimal number without sign"},
          Case{"1\r\n 2", "line 2 (\" 2\") is not a decimal number without sign"},
          Case{"9\r\n10\r\n8", "line 3 (8) is smaller than the ID before it (10); IDs must ascend"}}) {
        EXPECT_EQ(checkItemIds(c.ids, count), c.fault) << c.ids;
    }

    EXPECT_EQ(checkItemNames("\xC1\xFA\r\nA\tB", count), "");
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(checkItemNames(std::string(66, 'a'), count), "line 1 is 66 bytes long; a name has at most 65");
    EXPECT_EQ(checkItemNames("ok\r\n\xC1", count), "line 2 is not valid GBK");
    EXPECT_EQ(checkItemNames("ok\r\n\xC1\x7F", count), "line 2 is not valid GBK");
    EXPECT_EQ(checkItemNames("\xE9\xBE\x99\xE7\x8E\x8B", count),
              "the file is UTF-8; the list must be GBK (code page 936)");
    EXPECT_EQ(checkItemNames("\xEF\xBB\xBF"
                             "abc",
                             count),
              "the file starts with a UTF-8 byte-order mark; the list must be GBK without one");
    EXPECT_EQ(checkItemNames(std::string("a\0b", 3), count), "line 1 holds a zero byte");

    EXPECT_EQ(checkItemLists("a\r\nb", "1"),
              "the name list has 2 entries and the ID list 1; each name needs its ID");
    EXPECT_EQ(checkItemLists("a", "x"), "item IDs: line 1 (\"x\") is not a decimal number without sign");
}
