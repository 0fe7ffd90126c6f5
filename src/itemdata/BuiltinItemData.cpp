#include "catalogue/BuiltinItemData.h"

#include "catalogue/BuiltinItemList.h"

#include <cstddef>

// Placed by ItemData.S.
extern "C" const char shopkeeper_item_names[];
extern "C" const char shopkeeper_item_names_end[];
extern "C" const char shopkeeper_item_ids[];
extern "C" const char shopkeeper_item_ids_end[];

namespace shopkeeper::catalogue {

BuiltinItemTexts builtinItemTexts()
{
    return {
        {shopkeeper_item_names, static_cast<std::size_t>(shopkeeper_item_names_end - shopkeeper_item_names)},
        {shopkeeper_item_ids, static_cast<std::size_t>(shopkeeper_item_ids_end - shopkeeper_item_ids)}};
}

const BuiltinItemList& BuiltinItemList::shared()
{
    // Thread-safe: the first caller reads the texts, any other waits for it.
    static const BuiltinItemList list = [] {
        const auto texts = builtinItemTexts();
        return fromTexts(texts.names, texts.ids);
    }();
    return list;
}

} // namespace shopkeeper::catalogue
