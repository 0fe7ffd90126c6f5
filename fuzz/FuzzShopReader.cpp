// The shop reader: shop bytes, form feed, string-table bytes.
#include "FuzzInput.h"
#include "core/shop/ShopReader.h"

using namespace shopkeeper;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::parts(fuzz::asText(data, size), 2);
    const std::string bytes(input[0]);
    auto document = shop::ShopReader::fromBytes(bytes, text::StringTable::fromBytes(input[1]));
    if (document &&
        document->source().file.bytesFor(document->source().file.text).substr(0, bytes.size()) != bytes)
        fuzz::broken("the bytes read do not come back unchanged");
    return 0;
}
