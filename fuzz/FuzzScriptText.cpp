// The script text primitives: a text, form feed, a needle, form feed, a replacement.
#include "FuzzInput.h"
#include "core/text/ScriptText.h"

using namespace shopkeeper;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::parts(fuzz::asText(data, size), 3);
    const std::string_view text = input[0];
    const std::string_view needle = input[1];
    const std::string_view replacement = input[2];

    for (std::size_t i = 0; i < text.size(); i += text::charLength(text, i)) {
        const std::size_t length = text::charLength(text, i);
        if (length < 1 || length > text.size() - i)
            fuzz::broken("a character runs past the end of the text");
    }
    const auto textSize = static_cast<long long>(text.size());
    for (const long long start : {-1LL, 0LL, 1LL, 2LL, textSize, textSize + 1}) {
        for (const bool fold : {true, false}) {
            const long long at = text::findText(text, needle, start, fold);
            if (at == -1)
                continue;
            if (at < 1 || at > textSize || static_cast<std::size_t>(at - 1) + needle.size() > text.size())
                fuzz::broken("a match lies outside the text");
            if (!fold && text.substr(static_cast<std::size_t>(at - 1), needle.size()) != needle)
                fuzz::broken("a case-sensitive match is not the needle");
        }
    }
    (void)text::contains(text, needle);
    (void)text::asciiLowered(text);
    (void)text::equalsIgnoreCase(text, needle);
    (void)text::trimmed(text);
    (void)text::splitText(text, needle);
    (void)text::splitView(text, needle);
    const auto lines = text::lines(text);
    (void)text::findLineContaining(text, needle);
    for (const long long n :
         {-1LL, 0LL, 1LL, static_cast<long long>(lines.size()), static_cast<long long>(lines.size()) + 1})
        (void)text::getLine(text, n);
    (void)text::replaceEach(std::string(text), {{std::string(needle), std::string(replacement)}});
    const auto once = text::replaceFirst(std::string(text), needle, replacement);
    if (!text::contains(text, needle) && once != text)
        fuzz::broken("replaceFirst changed a text that does not hold the needle");
    (void)text::gbkWidth(text);
    (void)text::words(text);
    return 0;
}
