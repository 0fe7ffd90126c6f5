#include "core/shop/ShopDocument.h"

namespace shopkeeper::shop {

void ShopDocument::resetCaptions()
{
    for (int k = 0; k < kPageCount; ++k)
        captions[static_cast<std::size_t>(k)] = defaultPageName(k + 1);
}

} // namespace shopkeeper::shop
