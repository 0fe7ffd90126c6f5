#include "core/shop/TrimBlock.h"

#include "core/regex/RegexObject.h"

#include <gtest/gtest.h>
#include <random>

using shopkeeper::shop::trimBlock;

TEST(TrimBlockTest, RemovesBlankAndWhiteSpaceLinesKeepingTheLineBreakBefore)
{
    EXPECT_EQ(trimBlock("a\r\n\r\nb"), "a\r\nb");
    EXPECT_EQ(trimBlock("a\r\n  \r\nb"), "a\r\nb");
    EXPECT_EQ(trimBlock("a\r\n\r\n\t\r\n\r\nb"), "a\r\nb");
    EXPECT_EQ(trimBlock("\r\na\r\n"), "a");
    EXPECT_EQ(trimBlock("\r\n\tx\r\n\r\n"), "\tx\r\n"); // only one trailing CR LF goes
    EXPECT_EQ(trimBlock("a\r\nb"), "a\r\nb");
    EXPECT_EQ(trimBlock("[tab name]\r\n\r\n[/tab name]"), "[tab name]\r\n[/tab name]");
    EXPECT_EQ(trimBlock(""), "");
}

// The shortcut for blocks without a blank line must agree with the pattern on every text: short
// texts of line breaks, white space (ASCII and not) and letters, against the pattern alone.
TEST(TrimBlockTest, AgreesWithThePatternOnMixedWhiteSpace)
{
    const std::vector<std::string> pieces{"\r", "\n", "\t", " ", "\v", "\f", "a", "\xC2\xA0", "\xE3\x80\x80"};
    std::mt19937 random(7);
    for (int n = 0; n < 20000; ++n) {
        std::string text;
        for (int k = static_cast<int>(random() % 9); k > 0; --k)
            text += pieces[random() % pieces.size()];
        std::string_view inner = text;
        if (inner.starts_with("\r\n"))
            inner.remove_prefix(2);
        if (inner.ends_with("\r\n"))
            inner.remove_suffix(2);
        shopkeeper::regex::RegexObject pattern;
        ASSERT_TRUE(pattern.create("\\n\\s*\\r", inner));
        ASSERT_EQ(trimBlock(text), pattern.replace("")) << testing::PrintToString(text);
    }
}
