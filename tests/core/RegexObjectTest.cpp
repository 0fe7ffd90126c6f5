#include "core/regex/RegexObject.h"

#include <gtest/gtest.h>

using shopkeeper::regex::RegexObject;

TEST(RegexObjectTest, CountsAndReadsMatchesWithBytePositions)
{
    RegexObject digits;
    ASSERT_TRUE(digits.create("[0-9]", "tab_name_12x3"));
    ASSERT_EQ(digits.matchCount(), 3);
    std::string joined;
    for (int i = 1; i <= digits.matchCount(); ++i)
        joined += digits.matchText(i);
    EXPECT_EQ(joined, "123");
    long long position = -5;
    EXPECT_EQ(digits.matchText(3, &position), "3");
    EXPECT_EQ(position, 12);
    EXPECT_EQ(digits.matchText(0), "");
    EXPECT_EQ(digits.matchText(4), "");

    RegexObject wide;
    ASSERT_TRUE(wide.create("x", "药x"));
    EXPECT_EQ(wide.matchText(1, &position), "x");
    EXPECT_EQ(position, 3);
}

TEST(RegexObjectTest, DefaultsAreCaseInsensitiveMultiLineAndGlobal)
{
    RegexObject re;
    ASSERT_TRUE(re.create("^ab", "AB\r\nab\r\nxab"));
    EXPECT_EQ(re.matchCount(), 2);
    RegexObject once;
    ASSERT_TRUE(once.create("a", "aaa", {.caseSensitive = true, .multiLine = true, .global = false}));
    EXPECT_EQ(once.matchCount(), 1);
    EXPECT_EQ(once.replace("b"), "baa");
    RegexObject exact;
    ASSERT_TRUE(exact.create("a", "AaA", {.caseSensitive = true}));
    EXPECT_EQ(exact.matchCount(), 1);
}

TEST(RegexObjectTest, GroupsAndReplacementReferences)
{
    RegexObject re;
    ASSERT_TRUE(re.create("(\\d+)-(x)?", "12-y 34-x"));
    ASSERT_EQ(re.matchCount(), 2);
    EXPECT_EQ(re.subMatchCount(), 2);
    EXPECT_EQ(re.subMatchText(1, 1), "12");
    EXPECT_EQ(re.subMatchText(1, 2), ""); // took no part
    long long position = 0;
    EXPECT_EQ(re.subMatchText(2, 2, &position), "x");
    EXPECT_EQ(position, 8);
    EXPECT_EQ(re.subMatchText(2, 3), "");
    EXPECT_EQ(re.replace("<$1>"), "<12>y <34>");
}

TEST(RegexObjectTest, EmptySubjectsBadPatternsAndThePlaceholder)
{
    RegexObject empty;
    ASSERT_TRUE(empty.create("x", ""));
    EXPECT_EQ(empty.matchCount(), 0);
    EXPECT_EQ(empty.replace(""), "");
    EXPECT_EQ(empty.subMatchCount(), 0);

    RegexObject bad;
    EXPECT_FALSE(bad.create("(", "abc"));
    EXPECT_EQ(bad.matchCount(), 0);
    EXPECT_EQ(bad.replace("x"), "");
    EXPECT_EQ(bad.pattern(), "");

    RegexObject quoted;
    ASSERT_TRUE(quoted.create("#引号a#引号", "x\"a\"", {.quotePlaceholder = true}));
    EXPECT_EQ(quoted.matchCount(), 1);
    EXPECT_EQ(quoted.pattern(), "\"a\"");
    RegexObject literal;
    ASSERT_TRUE(literal.create("#引号", "#引号"));
    EXPECT_EQ(literal.matchCount(), 1);
}

TEST(RegexObjectTest, EmptyMatchesAdvanceAndInvalidUtf8IsMatchedAround)
{
    RegexObject re;
    ASSERT_TRUE(re.create("x*", "ab"));
    EXPECT_EQ(re.matchCount(), 3);
    RegexObject invalid;
    ASSERT_TRUE(invalid.create("\\n\\s*\\r", "a\xFF\r\n\r\nb"));
    EXPECT_EQ(invalid.replace(""), "a\xFF\r\nb");
}
