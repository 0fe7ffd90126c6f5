#pragma once

#include "cli/Command.h"

#include <memory>
#include <vector>

namespace shopkeeper::cli {

// "where-used", "replace" and "check": the workspace tools over every NPC shop.
void addToolCommands(std::vector<std::unique_ptr<Command>>& commands);

} // namespace shopkeeper::cli
