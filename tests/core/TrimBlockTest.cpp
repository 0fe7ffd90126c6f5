#include "core/shop/TrimBlock.h"

#include <gtest/gtest.h>

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
