// The string table and its codec: table bytes, form feed, a key, form feed, a name (UTF-8).
#include "FuzzInput.h"
#include "core/text/StringTable.h"
#include "core/text/StringTableCodec.h"

using namespace shopkeeper;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::parts(fuzz::asText(data, size), 3);
    auto table = text::StringTable::fromBytes(input[0]);
    auto untouched = table.encoded();
    if (!untouched || *untouched != input[0])
        fuzz::broken("an untouched table does not write back as read");
    (void)table.lookup(input[1]);
    (void)table.hasKey(input[1]);
    (void)table.containsText(input[2]);
    (void)table.text();
    (void)text::StringTableCodec::decode(input[0]);

    // Keys and names in any bytes, cut UTF-8 sequences included (tests/data/fuzz-findings/string-table).
    table.setLine(input[1], input[2]);
    (void)table.encoded();
    if (auto big5 = text::StringTableCodec::encode(input[2]))
        (void)text::StringTableCodec::decode(*big5);
    (void)text::StringTableCodec::toSimplified(input[2]);
    (void)text::StringTableCodec::toTraditional(input[2]);
    return 0;
}
