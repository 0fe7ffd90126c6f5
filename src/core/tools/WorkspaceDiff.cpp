#include "core/tools/WorkspaceDiff.h"

#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/text/ScriptText.h"

#include <unordered_map>

namespace shopkeeper::tools {

std::expected<WorkspaceDiffResult, workspace::LoadError> diffWorkspaces(const workspace::Workspace& a,
                                                                        const workspace::Workspace& b)
{
    for (const auto* ws : {&a, &b})
        if (auto problem = workspace::workspaceProblem(*ws))
            return std::unexpected(*problem);
    const auto filesA = io::listFiles(a.shopFolder(), "*.shp");
    const auto filesB = io::listFiles(b.shopFolder(), "*.shp");
    std::unordered_map<std::string, std::filesystem::path> inB;
    for (const auto& path : filesB)
        inB.emplace(text::asciiLowered(io::displayPath(path.filename())), path);

    WorkspaceDiffResult result;
    for (const auto& pathA : filesA) {
        const auto name = io::displayPath(pathA.filename());
        const auto match = inB.find(text::asciiLowered(name));
        if (match == inB.end()) {
            result.onlyInA.push_back(name);
            continue;
        }
        const auto pathB = match->second;
        inB.erase(match);
        auto shopA = shop::ShopReader::open(pathA, a.shopStringTablePath());
        auto shopB = shop::ShopReader::open(pathB, b.shopStringTablePath());
        if (!shopA || !shopB) {
            result.unreadable.push_back({name, !shopA ? shopA.error().message : shopB.error().message});
            continue;
        }
        ++result.compared;
        auto change = shop::compareShops(*shopA, *shopB);
        // "" and "-1" are both an empty slot: a shop saved once and its copy from before hold the same items.
        std::erase_if(change.cells, [](const shop::CellChange& cell) {
            return (cell.before.empty() || cell.before == "-1") && (cell.after.empty() || cell.after == "-1");
        });
        if (!change.empty())
            result.differing.push_back({name, std::move(change)});
    }
    for (const auto& path : filesB)
        if (inB.contains(text::asciiLowered(io::displayPath(path.filename()))))
            result.onlyInB.push_back(io::displayPath(path.filename()));
    return result;
}

} // namespace shopkeeper::tools
