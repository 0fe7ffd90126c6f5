#include "core/tools/WorkspaceCheck.h"

#include "core/catalogue/ExternalItemTable.h"
#include "core/io/AtomicFile.h"
#include "core/io/FileSystem.h"

#include <unordered_map>
#include <utility>

namespace shopkeeper::tools {

namespace {

using Kind = CheckProblem::Kind;

std::string placeText(const shop::CellAt& cell)
{
    return "第" + std::to_string(cell.page + 1) + "页第" + std::to_string(cell.row + 1) + "行第" +
           std::to_string(cell.column + 1) + "列";
}

std::string unknownNpcDetail(const workspace::NpcNaming& naming)
{
    using Outcome = workspace::NpcNaming::Outcome;
    const std::string number = naming.shopNumber.value_or("");
    switch (naming.outcome) {
    case Outcome::NotInShopIndex:
        return "itemshop.lst中没有这个商店文件的编号";
    case Outcome::NoNpcFile:
        return "没有NPC文件打开编号为" + number + "的商店";
    case Outcome::NoNameLink:
        return "打开编号为" + number + "的商店的NPC文件" + io::displayPath(naming.npcFile.filename()) +
               "没有<8::名称链接";
    case Outcome::KeyMissing:
        return "NPC文件" + io::displayPath(naming.npcFile.filename()) + "的名称键" + naming.nameKey +
               "在npc.kor.str中没有名称";
    case Outcome::Named:
        break;
    }
    return {};
}

} // namespace

std::string_view checkKindName(CheckProblem::Kind kind)
{
    switch (kind) {
    case Kind::UnknownItem:
        return "unknown-item";
    case Kind::DuplicateItem:
        return "duplicate-item";
    case Kind::UnreadableShop:
        return "unreadable-shop";
    case Kind::UnknownNpc:
        return "unknown-npc";
    case Kind::MissingPageName:
        return "missing-page-name";
    case Kind::LeftoverFile:
        return "leftover-file";
    }
    return {};
}

CheckCatalogue checkCatalogueFor(const workspace::Workspace& workspace)
{
    CheckCatalogue result;
    auto loaded = result.catalogue.loadExternalTable(workspace.root());
    if (!loaded && loaded.error().reason != catalogue::ExternalTableError::Reason::Missing)
        result.note = "未使用" + io::displayPath(catalogue::externalTablePath(workspace.root())) + "：" +
                      loaded.error().message;
    return result;
}

std::vector<CheckProblem> WorkspaceCheck::checkRead(const ShopRead& read,
                                                    const catalogue::ItemCatalogue& catalogue)
{
    std::vector<CheckProblem> problems;
    auto add = [&](Kind kind, std::optional<shop::CellAt> cell, std::string detail,
                   std::optional<int> page = std::nullopt) {
        problems.push_back({kind, 0, {}, {}, {}, cell, std::move(detail), page});
    };
    if (!read) {
        add(Kind::UnreadableShop, std::nullopt, read.error().message);
        return problems;
    }
    const auto& document = *read;
    // Room for a problem in every cell: a shop of unknown items has nearly that many.
    std::size_t cells = document.source().tabKeys.size();
    for (const auto& page : document.pages())
        cells += static_cast<std::size_t>(page.rowCount()) * shop::kColumns;
    problems.reserve(cells);
    for (std::size_t i = 0; i < document.source().tabKeys.size(); ++i) {
        const auto& key = document.source().tabKeys[i];
        if (key.empty() || document.source().table.lookup(key))
            continue;
        add(Kind::MissingPageName, std::nullopt,
            "第" + std::to_string(i + 1) + "个页名称键" + key +
                (document.source().table.hasKey(key) ? "在itemshop.kor.str中的行没有名称"
                                                     : "在itemshop.kor.str中没有对应的行"),
            static_cast<int>(i));
    }
    // Keyed by the cells' own text, which outlives the map: no copy of every ID.
    std::unordered_map<std::string_view, shop::CellAt> firstPlace;
    for (int k = 0; k < shop::kPageCount; ++k) {
        const auto& page = document.page(k);
        for (int r = 0; r < page.rowCount(); ++r) {
            for (int c = 0; c < shop::kColumns; ++c) {
                const std::string& id = page.cell(r, c);
                if (id.empty() || id == "-1")
                    continue;
                const shop::CellAt cell{k, r, c};
                if (catalogue.isUnknown(id))
                    add(Kind::UnknownItem, cell, "物品ID " + id + " 在物品表中没有名称（未知物品）");
                const auto [first, isFirst] = firstPlace.try_emplace(id, cell);
                if (!isFirst)
                    add(Kind::DuplicateItem, cell,
                        "物品ID " + id + " 已在" + placeText(first->second) + "出现");
            }
        }
    }
    return problems;
}

void WorkspaceCheck::placeProblems(const ShopPlace& place, std::vector<CheckProblem>& shopProblems,
                                   std::vector<CheckProblem>& problems)
{
    if (place.naming.outcome != workspace::NpcNaming::Outcome::Named)
        problems.push_back({Kind::UnknownNpc, place.index, place.path, place.fileName, place.naming.name,
                            std::nullopt, unknownNpcDetail(place.naming), std::nullopt});
    appendPlaced(place, shopProblems, problems);
}

std::expected<WorkspaceScan::Outcome, workspace::LoadError>
WorkspaceCheck::forEachShop(const workspace::Workspace& workspace, const catalogue::ItemCatalogue& catalogue,
                            const std::function<void(const ShopPlace&, std::vector<CheckProblem>&)>& onShop,
                            const ToolControl& control)
{
    // The item list is made ready while the folders are read, not at the first cell checked.
    work::Started itemList([&catalogue] { (void)catalogue.builtin(); });
    return WorkspaceScan::run<std::vector<CheckProblem>>(
        workspace, [&](ShopRead& read) { return checkRead(read, catalogue); },
        [&](const ShopPlace& place, std::vector<CheckProblem>& problems) {
            if (place.naming.outcome != workspace::NpcNaming::Outcome::Named)
                problems.insert(problems.begin(), CheckProblem{Kind::UnknownNpc,
                                                               0,
                                                               {},
                                                               {},
                                                               {},
                                                               std::nullopt,
                                                               unknownNpcDetail(place.naming),
                                                               std::nullopt});
            onShop(place, problems);
        },
        control);
}

std::vector<CheckProblem> WorkspaceCheck::leftoverFiles(const workspace::Workspace& workspace,
                                                        std::size_t shopCount)
{
    // They would be packed into the game with the folder; the next save removes them.
    std::vector<CheckProblem> problems;
    for (const auto& file : io::temporaryFilesIn(workspace.shopFolder()))
        problems.push_back({Kind::LeftoverFile,
                            shopCount,
                            {},
                            io::displayPath(file.filename()),
                            {},
                            std::nullopt,
                            "中断的保存留下的临时文件，下次保存时会删除",
                            std::nullopt});
    return problems;
}

std::expected<CheckResult, workspace::LoadError>
WorkspaceCheck::run(const workspace::Workspace& workspace, const catalogue::ItemCatalogue& catalogue,
                    const ToolControl& control)
{
    CheckResult result;
    // Each shop's problems are placed once all are known, into a list made large enough at once.
    std::vector<std::pair<ShopPlace, std::vector<CheckProblem>>> shops;
    auto outcome = forEachShop(
        workspace, catalogue,
        [&](const ShopPlace& place, std::vector<CheckProblem>& problems) {
            shops.emplace_back(place, std::move(problems));
        },
        control);
    if (!outcome)
        return std::unexpected(outcome.error());
    std::size_t count = 0;
    for (const auto& shop : shops)
        count += shop.second.size();
    result.problems.reserve(count);
    for (auto& [place, problems] : shops)
        appendPlaced(place, problems, result.problems);
    result.shopCount = outcome->shopCount;
    result.cancelled = outcome->cancelled;
    for (auto& problem : leftoverFiles(workspace, outcome->shopCount))
        result.problems.push_back(std::move(problem));
    return result;
}

} // namespace shopkeeper::tools
