#pragma once

#include "core/shop/ShopPage.h"
#include "core/tools/WorkspaceScan.h"

#include <expected>
#include <filesystem>
#include <string>
#include <vector>

namespace shopkeeper::tools {

// One cell that holds a wanted item.
struct ItemUse
{
    std::size_t shopIndex = 0; // position of the shop in the NPC list, from 0
    std::filesystem::path shopFile;
    std::string fileName; // as the NPC list prints it
    std::string npcName;  // as the NPC list names the shop
    shop::CellAt cell;    // page, row, column from 0; rows as the open shop shows them
    std::string pageName; // the page's caption
    std::string id;       // the item the cell holds
};

// Every cell of every NPC shop that holds one of ids, and the shops that could not be read.
struct WhereUsedResult
{
    std::vector<ItemUse> uses; // shops in list order, then page, row, column
    std::vector<UnreadableShop> unreadable;
    std::size_t shopCount = 0;
    bool cancelled = false;
};

class WhereUsed
{
public:
    // ids in the form parseItemId gives them. Fails only as loading the workspace fails.
    static std::expected<WhereUsedResult, workspace::LoadError> find(const workspace::Workspace& workspace,
                                                                     const std::vector<std::string>& ids,
                                                                     const ToolControl& control = {});

    // The cells of one read shop that hold one of ids (for the open shop, say).
    static std::vector<shop::CellAt> cellsHolding(const shop::ShopPages& pages,
                                                  const std::vector<std::string>& ids);
};

// An ItemUse for cell of a read shop, without its place: appendPlaced gives it that once the
// shop is named.
ItemUse itemUseOf(const shop::ShopDocument& document, const shop::CellAt& cell);

} // namespace shopkeeper::tools
