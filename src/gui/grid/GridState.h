#pragma once

#include "core/shop/ShopPage.h"

#include <vector>

namespace shopkeeper::gui {

// What one grid holds: the page and which rows are painted grey. Shading only ever paints, so
// a grey row stays grey when rows above it go; it moves with its row.
struct GridState
{
    shop::ShopPage page;
    std::vector<bool> shaded;
    bool operator==(const GridState&) const = default;
};

} // namespace shopkeeper::gui
