#pragma once

#include "core/io/FileSystem.h"
#include "core/shop/ShopPage.h"
#include "core/text/ScriptTextFile.h"
#include "core/text/StringTable.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace shopkeeper::shop {

// The one shop being edited: its five pages, their names, the repair flag, and what the
// reader found in the file so that the writer can change those places and nothing else.
// Edits go into pages, captions and repairable; the other fields record what was read, which
// the save compares with what is on disk by then.
struct ShopDocument
{
    std::filesystem::path path;       // empty when no file is bound
    text::ScriptTextFile file;        // the file's text as read, and what followed its first NUL
    io::FileFingerprint fingerprint;  // of the bytes read, to notice another program's change
    std::string sellSection;          // "[sell item]" ... "[/sell item]", tags included, as in the file
    std::string sellBody;             // the block between the tags, cleaned
    std::string tabSection;           // "[tab name]" ... "[/tab name]" as in the file; empty when absent
    std::vector<std::string> tabKeys; // one per line of the tab-name block, in file order
    std::vector<std::optional<std::string>>
        pageNames; // per tab key that names a page; nothing where none was found
    // The tab key of each page. Tab lines name the pages that hold items, in order, the way a
    // save writes them: with page 1 empty, the first tab line names page 2.
    std::array<std::optional<std::string>, kPageCount> pageKeys;
    bool repairable = false;
    text::StringTable table; // the page-name table itemshop.kor.str as read with the shop
    ShopPages pages;
    std::array<std::string, kPageCount> captions = {"第一页", "第二页", "第三页", "第四页", "第五页"};

    // As read: a save re-encodes only the names the user changed, and keeps the kind line
    // unless the flag was changed.
    std::array<std::string, kPageCount> readCaptions = captions;
    bool readRepairable = false;

    bool isBound() const { return !path.empty(); }
    void resetCaptions();
};

} // namespace shopkeeper::shop
