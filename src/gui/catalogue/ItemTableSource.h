#pragma once

#include "core/catalogue/ItemCatalogue.h"
#include "gui/catalogue/ItemLookup.h"

#include <memory>

namespace shopkeeper::gui {

// Where CatalogueService's views come from: the core catalogue over the process-wide built-in
// list (makeCoreTableSource), or other tables that a test gives the editor.
class ItemTableSource
{
public:
    virtual ~ItemTableSource() = default;

    // Whether the built-in list is loaded; never blocks.
    virtual bool builtinLoaded() const = 0;
    // Loads the built-in list; runs on a worker, so the window never waits for it.
    virtual void loadBuiltin() = 0;
    // A fixed view of the catalogue's tables; without the built-in list until it is loaded,
    // so that no name loads it on the window's thread.
    virtual std::shared_ptr<const ItemLookup> view(const catalogue::ItemCatalogue& catalogue,
                                                   bool withBuiltin) const = 0;
};

std::unique_ptr<ItemTableSource> makeCoreTableSource();

} // namespace shopkeeper::gui
