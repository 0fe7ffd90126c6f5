#pragma once

#include <string_view>

// The two texts of the built-in item list as compiled into the program: GBK, entries separated
// by CR LF, none after the last. Either the sample list our generator makes or, when the build
// was configured with SHOPKEEPER_ITEM_NAMES / SHOPKEEPER_ITEM_IDS, the game's own list.
namespace shopkeeper::itemdata {

std::string_view builtinItemNames();
std::string_view builtinItemIds();

// True when the compiled-in list is the generated sample rather than the game's own.
bool builtinItemListIsSample();

} // namespace shopkeeper::itemdata
