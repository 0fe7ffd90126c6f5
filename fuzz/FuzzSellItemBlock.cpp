// The sell-item block: read any text, lay it out as pages, write it back.
#include "FuzzInput.h"
#include "core/shop/SellItemBlock.h"

using namespace shopkeeper;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto items = shop::SellItemBlock::read(fuzz::asText(data, size));
    if (!items)
        return 0;
    if (items->size() > static_cast<std::size_t>(shop::kPageCount))
        fuzz::broken("a block of more than five pages was read");
    auto pages = shop::SellItemBlock::toPages(*items);
    (void)shop::SellItemBlock::serialise(pages);
    return 0;
}
