#include "core/text/ScriptText.h"

#include "TestFiles.h"
#include "core/text/ScriptTextFile.h"

#include <gtest/gtest.h>

using namespace shopkeeper::text;
using Pieces = std::vector<std::string>;

TEST(SplitText, KeepsEmptyPiecesBeforeAndBetweenButDropsAnEmptyRemainder)
{
    EXPECT_EQ(splitText("a\r\n\r\nb", "\r\n"), (Pieces{"a", "", "b"}));
    EXPECT_EQ(splitText("a\r\nb\r\n", "\r\n"), (Pieces{"a", "b"}));
    EXPECT_EQ(splitText("\tx\t", "\t"), (Pieces{"", "x"}));
    EXPECT_EQ(splitText("5\t", "\t"), (Pieces{"5"}));
    EXPECT_TRUE(splitText("", "\t").empty());
    EXPECT_EQ(splitText("abc", ""), (Pieces{"abc"}));
}

TEST(SplitText, NeverCutsInsideAMultiByteCharacter)
{
    // "丁" is E4 B8 81; a separator made of its last bytes must not match inside it.
    EXPECT_EQ(splitText("丁丁", "\xB8\x81"), (Pieces{"丁丁"}));
}

TEST(FindText, FoldsAsciiCaseOnlyAndReturnsOneBasedPositions)
{
    EXPECT_EQ(findText("xx[SELL ITEM]", "[sell item]"), 3);
    EXPECT_EQ(findText("xx[SELL ITEM]", "[sell item]", 1, false), -1);
    EXPECT_EQ(findText("abc", "d"), -1);
    EXPECT_EQ(findText("abcabc", "abc", 2), 4);
    // Non-ASCII letters are never folded: Ä (C3 84) and ä (C3 A4) differ.
    EXPECT_EQ(findText("Ä", "ä"), -1);
}

TEST(FindText, EmptyNeedleMatchesAtOneOfANonEmptyTextOnly)
{
    EXPECT_EQ(findText("abc", ""), 1);
    EXPECT_EQ(findText("", ""), -1);
}

TEST(FindText, AMatchNeverStartsOnATrailingByte)
{
    // "亀" is E4 BA 80: searching for its tail bytes followed by "x" must not find them.
    EXPECT_EQ(findText("亀x", "\xBA\x80x"), -1);
    EXPECT_EQ(findText("亀x", "x"), 4);
}

TEST(Lines, NumberingCountsInnerEmptyLinesButNoTrailingOne)
{
    const std::string text = "one\r\n\r\nthree\r\n";
    EXPECT_EQ(lines(text).size(), 3u);
    EXPECT_EQ(findLineContaining(text, "THREE"), 3u);
    EXPECT_EQ(findLineContaining(text, "four"), 0u);
    EXPECT_EQ(getLine(text, 2), "");
    EXPECT_EQ(getLine(text, 3), "three");
    EXPECT_EQ(getLine(text, 0), "");
    EXPECT_EQ(getLine(text, 4), "");
}

TEST(ReplaceEach, AppliesPairsInOrderCaseFoldedAndSkipsEmptyFinds)
{
    EXPECT_EQ(replaceEach("<8::Key`x`>", {{"<8::", ""}}), "Key`x`>");
    EXPECT_EQ(replaceEach("aAa", {{"a", "b"}, {"b", "c"}}), "ccc");
    EXPECT_EQ(replaceEach("abc", {{"", "x"}}), "abc");
    EXPECT_EQ(replaceEach("[Sell Item]1[/SELL ITEM]", {{"[sell item]", ""}, {"[/sell item]", ""}}), "1");
    EXPECT_EQ(replaceFirst("x [etc shop] [ETC SHOP]", "[etc shop]", "[weapon shop]"),
              "x [weapon shop] [ETC SHOP]");
}

TEST(GbkWidth, CountsOneForAsciiAndTwoForAnyOtherCharacter)
{
    EXPECT_EQ(gbkWidth("ab"), 2u);
    EXPECT_EQ(gbkWidth("药水"), 4u);
    EXPECT_EQ(gbkWidth("a☃"), 3u);
}

TEST(ScriptTextFileTest, TextEndsAtTheFirstNulAndTheRestIsKept)
{
    shopkeeper::test::TempDir dir;
    const std::string bytes("\xEF\xBB\xBFhead\xFF\r\n\0tail", 14);
    shopkeeper::test::writeFile(dir / "a.shp", bytes);
    const auto file = ScriptTextFile::read(dir / "a.shp").value();
    EXPECT_EQ(file.text, "\xEF\xBB\xBFhead\xFF\r\n");
    EXPECT_EQ(file.bytesFor(file.text), bytes);
    EXPECT_EQ(ScriptTextFile::fromBytes("x").bytesFor("y"), std::string("y\0", 2));
    const auto missing = ScriptTextFile::read(dir / "missing.shp");
    ASSERT_FALSE(missing.has_value());
    EXPECT_TRUE(missing.error().isMissing());
}
