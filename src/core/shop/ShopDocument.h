#pragma once

#include "shop/ShopPage.h"
#include "text/ScriptTextFile.h"
#include "text/StringTable.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace shopkeeper::shop {

// The one shop being edited: its five pages, their names, the repair flag, and what the
// reader found in the file so that the writer can change those places and nothing else.
struct ShopDocument
{
    std::filesystem::path path; // empty when no file is bound
    text::ScriptTextFile file;  // the file's text as read, and what followed its first NUL
    std::string sellSection;    // "[sell item]" ... "[/sell item]", tags included, as in the file
    std::string sellBody;       // the block between the tags, cleaned
    std::string tabSection;     // "[tab name]" ... "[/tab name]" as in the file; empty when absent
    std::vector<std::string> tabKeys;
    std::vector<std::string> pageNames; // looked up per tab key; "-1" where none was found
    bool repairable = false;
    text::StringTable table; // the page-name table itemshop.kor.str
    ShopPages pages;
    std::array<std::string, kPageCount> captions = {"第一页", "第二页", "第三页", "第四页", "第五页"};

    bool isBound() const { return !path.empty(); }
    void resetCaptions();
};

} // namespace shopkeeper::shop
