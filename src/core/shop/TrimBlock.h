#pragma once

#include <string>
#include <string_view>

namespace shopkeeper::shop {

// Removes one leading and one trailing CR LF, then every blank or white-space-only line;
// the CR LF that ends the line before a removed one stays whole.
std::string trimBlock(std::string_view text);

} // namespace shopkeeper::shop
