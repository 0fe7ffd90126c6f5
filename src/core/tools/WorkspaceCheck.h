#pragma once

#include "core/catalogue/ItemCatalogue.h"
#include "core/shop/ShopPage.h"
#include "core/tools/WorkspaceScan.h"

#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shopkeeper::tools {

// One thing to mend before the itemshop folder is packed again.
struct CheckProblem
{
    enum class Kind
    {
        UnknownItem,     // a cell whose item the catalogue names "未知物品"
        DuplicateItem,   // an item already in the same shop at an earlier place
        UnreadableShop,  // a shop the editor cannot open
        UnknownNpc,      // a shop the NPC list names "未知NPC"
        MissingPageName, // a tab key without a name in itemshop.kor.str
        LeftoverFile,    // a temporary file of a save that was killed, in the itemshop folder
    };
    Kind kind = Kind::UnknownItem;
    std::size_t shopIndex = 0;      // position of the shop in the NPC list, from 0
    std::filesystem::path shopFile; // empty for a leftover file, which is no shop
    std::string fileName;
    std::string npcName;
    std::optional<shop::CellAt> cell; // for the two item kinds
    std::string detail;               // a sentence for the user
    std::optional<int> page;          // for missing-page-name: the page without a name, from 0
};

// "unknown-item", "duplicate-item", "unreadable-shop", "unknown-npc", "missing-page-name",
// "leftover-file".
std::string_view checkKindName(CheckProblem::Kind kind);

struct CheckResult
{
    // Shops in list order; in a shop, the shop's own problems first, then the cells by page, row,
    // column. Leftover files last, by name.
    std::vector<CheckProblem> problems;
    std::size_t shopCount = 0;
    bool cancelled = false;
};

// The catalogue a check names items with: the workspace's id-name.txt, read as the editor's
// external table is (ItemCatalogue::loadExternalTable), over the built-in list. A missing file
// means the built-in list alone; so does a file that load refuses, and note says why.
struct CheckCatalogue
{
    catalogue::ItemCatalogue catalogue;
    std::optional<std::string> note;
};
CheckCatalogue checkCatalogueFor(const workspace::Workspace& workspace);

class WorkspaceCheck
{
public:
    // Checks every NPC shop of the workspace. Fails only as loading the workspace fails.
    static std::expected<CheckResult, workspace::LoadError> run(const workspace::Workspace& workspace,
                                                                const catalogue::ItemCatalogue& catalogue,
                                                                const ToolControl& control = {});

    // The same check told shop by shop, for a caller that writes the problems out as they come:
    // onShop gets each shop's place and its problems in run's order, the unknown-npc one first,
    // without their place (the place says it), in list order once every shop is read. It may
    // move from them. The leftover files follow with leftoverFiles.
    static std::expected<WorkspaceScan::Outcome, workspace::LoadError>
    forEachShop(const workspace::Workspace& workspace, const catalogue::ItemCatalogue& catalogue,
                const std::function<void(const ShopPlace&, std::vector<CheckProblem>&)>& onShop,
                const ToolControl& control = {});
    // The leftover-file problems of the workspace, by name, placed after shopCount shops.
    static std::vector<CheckProblem> leftoverFiles(const workspace::Workspace& workspace,
                                                   std::size_t shopCount);

    // The problems a shop's read shows by itself (all kinds but unknown-npc), in the result's
    // order and without their place. The catalogue is only read: shops may be checked at once.
    static std::vector<CheckProblem> checkRead(const ShopRead& read,
                                               const catalogue::ItemCatalogue& catalogue);
    // Appends to problems the shop's own problems and then shopProblems, given their place.
    static void placeProblems(const ShopPlace& place, std::vector<CheckProblem>& shopProblems,
                              std::vector<CheckProblem>& problems);
};

} // namespace shopkeeper::tools
