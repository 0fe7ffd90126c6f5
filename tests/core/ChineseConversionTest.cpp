// The Windows build's traditional/simplified conversion (DictionaryConverter over the dictionaries
// as text) against OpenCC's, which the Linux build uses: the same output for every BIG5 character,
// every phrase of the dictionaries, and mixed texts made of them.
#include "core/text/ChineseConversion.h"

#include "TestFiles.h"
#include "core/text/DictionaryConverter.h"
#include "core/text/StringTableCodec.h"

#include <gtest/gtest.h>
#include <random>

using namespace shopkeeper::text;

namespace {

const std::filesystem::path kTexts = SHOPKEEPER_DICTIONARY_TEXTS;

std::vector<std::string> keysOf(const std::string& text)
{
    std::vector<std::string> keys;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto end = text.find('\n', at);
        keys.push_back(text.substr(at, text.find('\t', at) - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return keys;
}

std::vector<std::string> big5Characters()
{
    std::vector<std::string> out;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail > 0x7E && trail < 0xA1)
                continue;
            const char bytes[] = {static_cast<char>(lead), static_cast<char>(trail)};
            auto utf8 = StringTableCodec::big5ToUtf8(std::string_view(bytes, 2));
            if (!utf8.empty() && utf8 != "\xEF\xBF\xBD")
                out.push_back(std::move(utf8));
        }
    }
    return out;
}

struct Direction
{
    const char* name;
    const char* phrases;
    const char* characters;
    chinese::Converter& (*opencc)();
};

class ChineseConversionTest : public ::testing::TestWithParam<Direction>
{
};

TEST_P(ChineseConversionTest, GivesOpenccsTextForCharactersPhrasesAndMixedTexts)
{
    const Direction& direction = GetParam();
    const auto phraseText = shopkeeper::test::readFile(kTexts / direction.phrases);
    const auto characterText = shopkeeper::test::readFile(kTexts / direction.characters);
    ASSERT_FALSE(phraseText.empty());
    ASSERT_FALSE(characterText.empty());
    const ConversionDictionary phrases(phraseText);
    const ConversionDictionary characters(characterText);
    const DictionaryConverter ours(phrases, {&phrases, &characters});
    chinese::Converter& opencc = direction.opencc();

    int mismatches = 0;
    const auto check = [&](const std::string& text) {
        const auto expected = opencc.convert(text);
        const auto got = ours.convert(text);
        if (got != expected && ++mismatches <= 5)
            ADD_FAILURE() << direction.name << " of \"" << text << "\": \"" << got << "\", OpenCC \""
                          << expected << "\"";
    };

    const auto big5 = big5Characters();
    ASSERT_GT(big5.size(), 13000u); // code page 950's characters, its Private Use Area included
    std::string all;
    for (const auto& c : big5) {
        check(c);
        all += c;
    }
    check(all);

    std::vector<std::string> pieces = keysOf(phraseText);
    ASSERT_EQ(pieces.size(), phrases.size());
    for (const auto& phrase : pieces)
        check(phrase);
    for (const auto& text : {keysOf(characterText), big5})
        pieces.insert(pieces.end(), text.begin(), text.end());
    for (const char* ascii : {"a", "Z", "9", " ", "_", ">", "\t", "\xEF\xBC\x8C", "\xE3\x80\x82"})
        pieces.push_back(ascii);
    // Names as shops and pages are called: a few pieces, phrases overlapping at their joints.
    std::mt19937 random(24);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const auto count = 1 + random() % 8;
        for (unsigned k = 0; k < count; ++k)
            text += pieces[random() % pieces.size()];
        check(text);
    }
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(BothDirections, ChineseConversionTest,
                         ::testing::Values(Direction{"t2s", "TSPhrases.txt", "TSCharacters.txt",
                                                     &chinese::traditionalToSimplified},
                                           Direction{"s2t", "STPhrases.txt", "STCharacters.txt",
                                                     &chinese::simplifiedToTraditional}),
                         [](const auto& param) { return std::string(param.param.name); });

} // namespace
