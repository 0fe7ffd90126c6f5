// The regular expressions: an options byte, then pattern, form feed, subject, form feed,
// replacement. Bits of the options byte: case-sensitive, multi-line, global, quote placeholder.
#include "FuzzInput.h"
#include "core/regex/RegexObject.h"

using namespace shopkeeper;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const unsigned bits = data[0];
    const auto input = fuzz::parts(fuzz::asText(data + 1, size - 1), 3);
    regex::RegexObject::Options options;
    options.caseSensitive = (bits & 1u) != 0;
    options.multiLine = (bits & 2u) != 0;
    options.global = (bits & 4u) != 0;
    options.quotePlaceholder = (bits & 8u) != 0;

    regex::RegexObject object;
    if (!object.create(input[0], input[1], options))
        return 0;
    const auto subjectSize = static_cast<long long>(input[1].size());
    for (int i = 0; i <= object.matchCount() + 1; ++i) {
        long long at = -1;
        const auto text = object.matchText(i, &at);
        if (i >= 1 && i <= object.matchCount() &&
            (at < 0 || at > subjectSize || at + static_cast<long long>(text.size()) > subjectSize))
            fuzz::broken("a match lies outside the subject");
        for (int j = 0; j <= object.subMatchCount() + 1; ++j)
            (void)object.subMatchText(i, j);
    }
    (void)object.replace(input[2]);
    (void)object.pattern();
    return 0;
}
