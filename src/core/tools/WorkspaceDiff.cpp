#include "core/tools/WorkspaceDiff.h"

#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/text/ScriptText.h"

#include <algorithm>
#include <thread>
#include <unordered_map>

namespace shopkeeper::tools {

namespace {

struct Pair
{
    std::filesystem::path a;
    std::filesystem::path b;
    std::string name;
};

// What one pair came to: nothing to say, a difference, or a side that cannot be read.
struct Compared
{
    std::optional<ShopDifference> difference;
    std::optional<UnreadableInDiff> unreadable;
};

std::expected<shop::ShopDocument, std::string> readShop(const std::filesystem::path& path,
                                                        const std::optional<std::string>& bytes,
                                                        const text::StringTable& table)
{
    if (!bytes)
        return std::unexpected(io::readFileBytes(path).error().message);
    auto document = shop::ShopReader::parse(*bytes, table);
    if (!document)
        return std::unexpected(document.error().message);
    return std::move(*document);
}

std::optional<std::string> bytesOf(const std::filesystem::path& path)
{
    auto bytes = io::readFileBytes(path);
    return bytes ? std::optional(std::move(*bytes)) : std::nullopt;
}

// tablesSame: both page-name tables have the same bytes, so a shop file with the same bytes on both
// sides is the same shop, and is read once.
Compared compare(const Pair& pair, const text::StringTable& tableA, const text::StringTable& tableB,
                 bool tablesSame)
{
    const auto bytesA = bytesOf(pair.a);
    const auto bytesB = bytesOf(pair.b);
    auto shopA = readShop(pair.a, bytesA, tableA);
    if (shopA && tablesSame && bytesA && bytesB && *bytesA == *bytesB)
        return {};
    auto shopB = readShop(pair.b, bytesB, tableB);
    if (!shopA || !shopB)
        return {std::nullopt, UnreadableInDiff{pair.name, !shopA ? shopA.error() : shopB.error()}};
    auto change = shop::compareShops(*shopA, *shopB);
    // "" and "-1" are both an empty slot: a shop saved once and its copy from before hold the same items.
    std::erase_if(change.cells, [](const shop::CellChange& cell) {
        return (cell.before.empty() || cell.before == "-1") && (cell.after.empty() || cell.after == "-1");
    });
    if (change.empty())
        return {};
    return {ShopDifference{pair.name, pair.a, std::move(change)}, std::nullopt};
}

} // namespace

std::expected<WorkspaceDiffResult, workspace::LoadError>
diffWorkspaces(const workspace::Workspace& a, const workspace::Workspace& b, const work::WorkContext& control)
{
    for (const auto* ws : {&a, &b})
        if (auto problem = workspace::workspaceProblem(*ws))
            return std::unexpected(*problem);
    // Each page-name table is read once, for all of its workspace's shops.
    std::optional<std::string> tableBytes[2];
    for (int side = 0; side < 2; ++side) {
        const auto path = (side == 0 ? a : b).shopStringTablePath();
        auto bytes = io::readFileBytes(path);
        if (!bytes && !bytes.error().isMissing())
            return std::unexpected(workspace::LoadError{workspace::LoadError::Kind::UnreadableFile,
                                                        bytes.error().message, path});
        if (bytes)
            tableBytes[side] = std::move(*bytes);
    }
    const bool tablesSame = tableBytes[0] == tableBytes[1];
    const auto tableA = text::StringTable::fromBytes(tableBytes[0].value_or(""));
    const auto tableB = tablesSame ? tableA : text::StringTable::fromBytes(tableBytes[1].value_or(""));
    // Nearly every line is a page name some shop looks up.
    tableA.decodeAll();
    if (!tablesSame)
        tableB.decodeAll();

    const auto filesA = io::listFiles(a.shopFolder(), "*.shp");
    const auto filesB = io::listFiles(b.shopFolder(), "*.shp");
    std::unordered_map<std::string, std::filesystem::path> inB;
    for (const auto& path : filesB)
        inB.emplace(text::asciiLowered(io::displayPath(path.filename())), path);

    WorkspaceDiffResult result;
    std::vector<Pair> pairs;
    for (const auto& pathA : filesA) {
        auto name = io::displayPath(pathA.filename());
        const auto match = inB.find(text::asciiLowered(name));
        if (match == inB.end()) {
            result.onlyInA.push_back(std::move(name));
            continue;
        }
        pairs.push_back({pathA, match->second, std::move(name)});
        inB.erase(match);
    }
    for (const auto& path : filesB)
        if (inB.contains(text::asciiLowered(io::displayPath(path.filename()))))
            result.onlyInB.push_back(io::displayPath(path.filename()));

    // The pairs are read on every core; what each came to is taken in A's order.
    std::vector<Compared> compared(pairs.size());
    std::atomic<std::size_t> done{0};
    const auto caller = std::this_thread::get_id();
    const unsigned threads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    control.report(0, pairs.size());
    work::parallelFor(
        pairs.size(), threads,
        [&](std::size_t i) {
            compared[i] = compare(pairs[i], tableA, tableB, tablesSame);
            const auto count = done.fetch_add(1) + 1;
            // Progress is told on the calling thread only; the others count.
            if (std::this_thread::get_id() == caller)
                control.report(count, pairs.size());
        },
        control);
    if (control.cancelled()) {
        result.cancelled = true;
        return result;
    }
    control.report(pairs.size(), pairs.size());
    for (auto& pair : compared) {
        if (pair.unreadable) {
            result.unreadable.push_back(std::move(*pair.unreadable));
            continue;
        }
        ++result.compared;
        if (pair.difference)
            result.differing.push_back(std::move(*pair.difference));
    }
    return result;
}

} // namespace shopkeeper::tools
