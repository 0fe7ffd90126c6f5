#pragma once

#include "Result.h"
#include "io/AtomicFile.h"
#include "shop/ShopDocument.h"

#include <filesystem>
#include <random>
#include <string>

namespace shopkeeper::shop {

// The bytes a save writes, computed before anything touches the disk.
struct SavePlan
{
    std::string shopText;   // the new shop text, without its closing NUL
    std::string shopBytes;  // what goes into the .shp file
    std::string tableBytes; // what goes into itemshop.kor.str
    bool tableChanged = false;
};

// Writes a shop back. Only three places of the shop file change: the sell-item block, the
// shop kind and the tab-name block; every other byte is written as it was read. In the string
// table only added or changed lines are encoded.
class ShopWriter
{
public:
    // Uses its own random keys unless given a generator (tests give a seeded one).
    explicit ShopWriter(std::mt19937* random = nullptr);

    // Builds the new texts from the document. The pages lose their empty rows and get "-1" in
    // their empty cells, and the document's table gets the page names. Fails, with nothing
    // changed on disk, when a name cannot be held by BIG5 or no new key can be found.
    Result<SavePlan> plan(ShopDocument& document);

    // plan(), then the string table and then the shop file, each replaced atomically. When the
    // shop file cannot be written the old table is put back, so either both files are new or
    // both are as they were.
    Status save(ShopDocument& document, const std::filesystem::path& tablePath, io::FileWriter& writer);

    // A "tab_name_" key, 100..99999, that occurs nowhere in the table. Gives up after a bounded
    // number of draws.
    Result<std::string> newKey(const text::StringTable& table);

private:
    std::mt19937* random_;
    std::mt19937 ownRandom_;
};

} // namespace shopkeeper::shop
