#pragma once

#include "core/shop/ShopDocument.h"

#include <string>

namespace shopkeeper::test {

// What the writer tests give a document: any name or page, also one the rename rules or the
// cell rule would refuse, through the operations an undo uses.
inline void setName(shop::ShopDocument& document, std::size_t page, std::string name)
{
    auto names = document.names();
    names[page] = std::move(name);
    document.restoreNames(names);
}

inline void setPage(shop::ShopDocument& document, std::size_t page, shop::ShopPage content)
{
    document.restorePage(static_cast<int>(page), {std::move(content), 0});
}

} // namespace shopkeeper::test
