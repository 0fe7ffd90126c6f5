#include "core/text/StringTable.h"

#include "core/shop/ShopPage.h"
#include "core/text/ScriptText.h"
#include "core/text/StringTableCodec.h"

#include <gtest/gtest.h>

using namespace shopkeeper::text;

namespace {

std::string big5(const std::string& traditionalUtf8)
{
    auto bytes = StringTableCodec::utf8ToBig5(traditionalUtf8);
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or("");
}

} // namespace

TEST(StringTableCodecTest, DecodesBig5TraditionalToSimplifiedUtf8)
{
    EXPECT_EQ(big5("國"), "\xB0\xEA");
    EXPECT_EQ(StringTableCodec::decode("\xB0\xEA"), "国");
    EXPECT_EQ(StringTableCodec::decode("name_1>abc"), "name_1>abc");
}

TEST(StringTableCodecTest, EncodesSimplifiedToTraditionalBig5)
{
    EXPECT_EQ(StringTableCodec::encode("国"), big5("國"));
    EXPECT_EQ(StringTableCodec::encode("ascii only"), "ascii only");
    // OpenCC gives 麪 for 面, which code page 950 lacks: the typed character is kept instead.
    EXPECT_EQ(StringTableCodec::encode("面包"), big5("面包"));
    // A shop's proof at its read takes the default page names as encodable without converting.
    for (int page = 1; page <= shopkeeper::shop::kPageCount; ++page) {
        EXPECT_TRUE(shopkeeper::shop::isDefaultPageName(shopkeeper::shop::defaultPageName(page)));
        EXPECT_TRUE(StringTableCodec::encode(shopkeeper::shop::defaultPageName(page)).has_value());
    }
    EXPECT_FALSE(shopkeeper::shop::isDefaultPageName("第六页"));
}

TEST(StringTableCodecTest, ACharacterBig5CannotHoldIsAnErrorThatNamesIt)
{
    const auto result = StringTableCodec::encode("药☃");
    ASSERT_FALSE(result.has_value());
    EXPECT_NE(result.error().message.find("☃"), std::string::npos);
    EXPECT_NE(result.error().message.find("U+2603"), std::string::npos);
    EXPECT_FALSE(StringTableCodec::encode("bad\xFF").has_value());
}

// A text that ends inside a cut UTF-8 sequence (found by fuzzing: the converter read past its
// end) converts with the cut bytes as U+FFFD.
TEST(StringTableCodecTest, ACutUtf8SequenceBecomesAReplacementCharacter)
{
    const std::string cut = std::string("面包面包面包面包面包") + "\xE9\x9D";
    const auto traditional = StringTableCodec::toTraditional(cut);
    EXPECT_TRUE(traditional.ends_with("\xEF\xBF\xBD")) << traditional;
    EXPECT_EQ(StringTableCodec::toSimplified(cut), std::string("面包面包面包面包面包") + "\xEF\xBF\xBD");
}

TEST(StringTableLookup, MatchesTheWholeKeyNotASubstring)
{
    // A prefix search would find name_10's line for name_1.
    const auto table = StringTable::fromBytes(big5("name_10>甲\r\nname_1>乙\r\n"));
    EXPECT_EQ(table.lookup("name_1"), "乙");
    EXPECT_EQ(table.lookup("NAME_10"), "甲");
    EXPECT_EQ(table.lookup("name_"), std::nullopt);
    EXPECT_EQ(table.lookup("  name_1 "), "乙");
}

TEST(StringTableLookup, TakesTheTextBetweenTheFirstTwoSeparatorsOfTheFirstLine)
{
    const auto table = StringTable::fromBytes(big5("k>甲>x\r\nempty>\r\nk>乙\r\n  spaced  >丙\r\nnokey\r\n"));
    EXPECT_EQ(table.lookup("k"), "甲");
    EXPECT_EQ(table.lookup("empty"), std::nullopt);
    EXPECT_EQ(table.lookup("spaced"), "丙");
    EXPECT_EQ(table.lookup("nokey"), std::nullopt);
    EXPECT_EQ(table.lookup("missing"), std::nullopt);
}

TEST(StringTableSave, UntouchedLinesKeepTheirBytes)
{
    // 麵包 decodes to 面包 and would come back as 麪包 or 面包 if it were re-encoded.
    const std::string original = big5("tab_name_1>麵包\r\ntab_name_2>藥水\r\n");
    auto table = StringTable::fromBytes(original + std::string("\0junk", 5));
    EXPECT_EQ(table.lookup("tab_name_1"), "面包");
    EXPECT_EQ(table.encoded().value(), original + std::string("\0junk", 5));

    table.setLine("tab_name_1", "面包"); // the same name: the line keeps its bytes
    EXPECT_FALSE(table.isModified());
    table.setLine("tab_name_2", "卷轴");
    table.appendLine("tab_name_3>宝石");
    EXPECT_EQ(table.encoded().value(),
              big5("tab_name_1>麵包\r\ntab_name_2>卷軸\r\ntab_name_3>寶石\r\n") + std::string("\0junk", 5));
}

TEST(StringTableSave, ACopySharesWhatWasReadButNoChange)
{
    const std::string original = big5("tab_name_1>麵包\r\ntab_name_2>藥水\r\n");
    auto table = StringTable::fromBytes(original);
    EXPECT_EQ(table.lookup("tab_name_2"), "药水"); // decoded once for every copy
    auto copy = table;
    copy.setLine("tab_name_1", "卷轴");
    copy.appendLine("tab_name_3>宝石");
    EXPECT_TRUE(table.isReadFrom(original));
    EXPECT_FALSE(copy.isReadFrom(original));
    EXPECT_FALSE(StringTable::fromBytes(original + "x").isReadFrom(original));
    EXPECT_EQ(table.lookup("tab_name_1"), "面包");
    EXPECT_FALSE(table.containsText("tab_name_3"));
    EXPECT_EQ(table.encoded().value(), original);
    EXPECT_EQ(copy.lookup("tab_name_2"), "药水");
    EXPECT_TRUE(copy.containsText("TAB_NAME_3"));
    EXPECT_EQ(copy.encoded().value(), big5("tab_name_1>卷軸\r\ntab_name_2>藥水\r\ntab_name_3>寶石\r\n"));
}

TEST(StringTableSave, SetLineReplacesOnlyTheKeysOwnLine)
{
    // Another line with the same text must not change with it.
    auto table = StringTable::fromBytes(big5("tab_name_1>武器\r\nother>武器\r\n"));
    table.setLine("tab_name_1", "防具");
    EXPECT_EQ(table.text(), "tab_name_1>防具\r\nother>武器");
    table.setLine("tab_name_9", "新");
    EXPECT_EQ(table.lookup("tab_name_9"), "新");
    EXPECT_EQ(table.lineCount(), 3u);
}

TEST(StringTableSave, AnAppendedLineFollowsATableWithoutFinalLineBreak)
{
    auto table = StringTable::fromBytes("a>1");
    table.appendLine("b>2");
    EXPECT_EQ(table.encoded().value(), "a>1\r\nb>2");
    auto empty = StringTable::fromBytes("");
    empty.appendLine("b>2");
    EXPECT_EQ(empty.encoded().value(), "b>2");
}

TEST(StringTableSave, AnUnencodableNameFailsTheEncoding)
{
    auto table = StringTable::fromBytes("a>1\r\n");
    table.setLine("a", "☃");
    EXPECT_FALSE(table.encoded().has_value());
}

TEST(StringTableSearch, ContainsTextFoldsCaseAndSeesAddedLines)
{
    auto table = StringTable::fromBytes("TAB_NAME_123>x\r\n");
    EXPECT_TRUE(table.containsText("tab_name_12"));
    EXPECT_FALSE(table.containsText("tab_name_4"));
    table.appendLine("tab_name_4>y");
    EXPECT_TRUE(table.containsText("tab_name_4"));

    // Copies share what a search of the read lines found, but a copy that changed a line
    // answers for its own lines.
    const auto named = StringTable::fromBytes("k>abc\r\n");
    EXPECT_TRUE(named.containsText("abc"));
    auto renamed = named;
    renamed.setLine("k", "xyz");
    EXPECT_FALSE(renamed.containsText("abc"));
    EXPECT_TRUE(renamed.containsText("xyz"));
    EXPECT_TRUE(named.containsText("abc"));
}

// The table decodes only the lines it is asked about; it must answer exactly as the table
// decoded whole does. Generated tables hold keys whose bytes also occur as BIG5 trail bytes
// (0xA4 0x6E is a character, so "\xA4name_1" has no key name_1), duplicate keys, keys that are
// prefixes of other keys, lines without ">", wide keys, and end with or without CR LF.
TEST(StringTableLookup, AnswersAsTheWholeDecodedTableOnGeneratedTables)
{
    const std::vector<std::string> keys = {"name_1",     "name_10", "NAME_1",     " name_2\t",  "tab_name_12",
                                           "tab_name_1", "",        "\xA4name_1", big5("國王"), "k\xA4"};
    const std::vector<std::string> texts = {big5("麵包"),        "abc",  "",
                                            big5("藥水") + ">x", "\xA4", big5("國") + "\x80"};
    const std::vector<std::string> probes = {"name_1", "name_10", "name_2", "tab_name_1", "tab_name_12", "",
                                             "ame_1",  "国王",    "k",      "missing",    "NAME_",       "a"};
    std::uint64_t state = 7;
    auto below = [&](std::uint64_t n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (state >> 33) % n;
    };
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const auto count = below(12);
        for (std::uint64_t i = 0; i < count; ++i) {
            if (i > 0)
                bytes += "\r\n";
            bytes += keys[below(keys.size())];
            if (below(5) != 0)
                bytes += ">" + texts[below(texts.size())];
        }
        if (below(2) != 0)
            bytes += "\r\n";
        const auto table = StringTable::fromBytes(bytes);

        // The reference: every line decoded, the first line with the key answers.
        std::vector<std::string> whole;
        for (const auto& line : splitText(bytes, "\r\n"))
            whole.push_back(StringTableCodec::decode(line));
        auto reference = [&](std::string_view key) -> std::optional<std::string> {
            for (const auto& line : whole) {
                const auto gt = line.find('>');
                if (gt == std::string::npos || !equalsIgnoreCase(trimmed(line.substr(0, gt)), trimmed(key)))
                    continue;
                const auto rest = std::string_view(line).substr(gt + 1);
                return rest.empty() ? std::nullopt
                                    : std::optional(std::string(rest.substr(0, rest.find('>'))));
            }
            return std::nullopt;
        };
        SCOPED_TRACE(bytes);
        ASSERT_EQ(table.lineCount(), whole.size());
        std::string joined;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            EXPECT_EQ(table.decodedLine(i), whole[i]);
            joined += (i > 0 ? "\r\n" : "") + whole[i];
        }
        EXPECT_EQ(table.text(), joined);
        for (const auto& probe : probes) {
            EXPECT_EQ(table.lookup(probe), reference(probe)) << probe;
            EXPECT_EQ(table.containsText(probe),
                      asciiLowered(joined).find(asciiLowered(probe)) != std::string::npos)
                << probe;
        }
        EXPECT_EQ(table.encoded().value(), bytes);

        // A written line is read back; every other line keeps its bytes.
        auto changed = table;
        const auto& key = probes[below(5)];
        changed.setLine(key, "新");
        const auto copied = changed.lookup("name_1");
        EXPECT_EQ(changed.appendLineCopyingText("copy", "name_1"), copied.has_value());
        EXPECT_EQ(changed.lookup(key), "新");
        EXPECT_EQ(changed.lookup("copy"), copied);
        EXPECT_EQ(StringTable::fromBytes(changed.encoded().value()).text(), changed.text());

        // Read again once written, the table takes its lines and keys from the written one:
        // they are those a fresh read finds.
        const auto written = changed.encoded().value();
        changed.rememberWritten(written);
        ASSERT_TRUE(StringTable::isKept(written));
        EXPECT_TRUE(StringTable::fromBytes(written).sameIndexAs(StringTable::indexed(written)));
    }
}
