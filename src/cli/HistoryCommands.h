#pragma once

#include "cli/Command.h"

#include <memory>
#include <vector>

namespace shopkeeper::cli {

// "history" and "restore": the saves of a workspace, kept outside it, and putting one back.
void addHistoryCommands(std::vector<std::unique_ptr<Command>>& commands);

} // namespace shopkeeper::cli
