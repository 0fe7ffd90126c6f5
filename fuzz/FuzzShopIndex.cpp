// The shop index itemshop.lst: index text, form feed, a shop file name to look up.
#include "FuzzInput.h"
#include "core/workspace/ShopIndex.h"

using namespace shopkeeper;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::parts(fuzz::asText(data, size), 2);
    const auto index = workspace::ShopIndex::fromText(input[0]);
    (void)index.shopNumberOf(input[1]);
    (void)index.size();
    return 0;
}
