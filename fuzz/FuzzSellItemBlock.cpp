// The sell-item block: read any text, lay it out as pages, write it back and read that again.
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
    const auto body = shop::SellItemBlock::serialise(pages);
    // The block written reads back as the pages written: every item in its slot.
    auto again = shop::SellItemBlock::read(body);
    if (!again)
        fuzz::broken("a written block cannot be read back");
    auto back = shop::SellItemBlock::toPages(*again);
    for (std::size_t k = 0; k < back.size(); ++k) {
        back[k].removeEmptyRows();
        if (back[k].rows() != pages[k].rows())
            fuzz::broken("a written block reads back with other items");
    }
    return 0;
}
