#pragma once

#include "cli/Command.h"

#include <memory>
#include <vector>

namespace shopkeeper::cli {

// "name" (item IDs to names) and "search" (item names to IDs) over the item catalogue.
void addCatalogueCommands(std::vector<std::unique_ptr<Command>>& commands);

} // namespace shopkeeper::cli
