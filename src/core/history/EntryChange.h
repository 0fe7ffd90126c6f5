#pragma once

#include "core/history/History.h"
#include "core/shop/SaveChange.h"

#include <string>
#include <vector>

namespace shopkeeper::history {

// What an entry changed of one shop file, in the shop's own terms.
struct ShopInEntry
{
    fs::path path;
    shop::ShopChange change;
    // Why the change cannot be shown (the bytes are gone, a side cannot be read); change is empty.
    std::string problem;
};

// What one operation of the history changed: each shop file's cells, page names and repair flag,
// and the page-name table's lines.
struct EntryChange
{
    std::vector<ShopInEntry> shops; // in the entry's order
    std::vector<shop::TableLineChange> tableLines;
    std::string tableProblem;
};

// What entry index of entries (newest first, as History::list gives them) changed. A file's bytes
// before it are the entry's own; its bytes after it are those the next newer entry that replaced
// the file kept, or the file as it is now when no later entry replaced it. A file whose bytes
// after the entry are no longer known (another program changed it since) is told as a problem.
// tablePath is the workspace's page-name table, whose names the pages have on either side.
EntryChange changeOf(const std::vector<Entry>& newestFirst, std::size_t index, const fs::path& tablePath);

} // namespace shopkeeper::history
