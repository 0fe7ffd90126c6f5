#pragma once

#include <string_view>

namespace shopkeeper::catalogue {

// The two texts of the built-in item list as compiled into the program: GBK, entries separated
// by CR LF. Provided by the item data library the build makes.
struct BuiltinItemTexts
{
    std::string_view names;
    std::string_view ids;
};
BuiltinItemTexts builtinItemTexts();

} // namespace shopkeeper::catalogue
