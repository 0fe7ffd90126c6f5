// The workspace tools on the large generated workspace (1,000 NPC shops, 10,000 NPC files),
// each run timed beside the floor of any tool over it: opening and reading every file of
// itemshop/ and npc/ once, on one thread. The counters give the ratio to the floor and its
// target (where-used at most 1.5, check and a replace plan, which is what --dry-run does, at
// most 2).
#include "BenchWorkspace.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/text/StringTable.h"
#include "core/tools/ItemReplace.h"
#include "core/tools/WhereUsed.h"
#include "core/tools/WorkspaceCheck.h"
#include "core/workspace/NpcDiscovery.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

using namespace shopkeeper;

namespace {

const workspace::Workspace& ws()
{
    static const workspace::Workspace workspace(bench::largeWorkspace());
    return workspace;
}

// An item some shops sell: the first item of the first NPC shop.
const std::string& soldItem()
{
    static const std::string id = [] {
        std::string found;
        (void)tools::WorkspaceScan::run(ws(), [&](tools::ScannedShop& shop) {
            if (found.empty() && shop.document && shop.document->pages[0].rowCount() > 0)
                found = shop.document->pages[0].cell(0, 0);
        });
        return found;
    }();
    return id;
}

// The floor: every file of itemshop/ and npc/ opened and read once, on one thread.
std::size_t readEveryFileOnce()
{
    std::size_t bytes = 0;
    for (const char* folder : {"itemshop", "npc"}) {
        for (const auto& entry : std::filesystem::directory_iterator(ws().root() / folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            bytes += content.size();
        }
    }
    return bytes;
}

double millisecondsOf(const auto& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Times a tool's run beside a run of the floor, both under the machine's same conditions, each
// run as the command line's one run in its own process (no table kept from an earlier one).
// Counters: floor_ms, ratio (the tool's time over the floor's) and target.
void timeAgainstFloor(benchmark::State& state, double target, const std::function<void()>& tool)
{
    double floor = 0;
    double total = 0;
    for (auto _ : state) {
        floor += millisecondsOf([] { benchmark::DoNotOptimize(readEveryFileOnce()); });
        text::StringTable::forgetKept();
        const double ms = millisecondsOf(tool);
        total += ms;
        state.SetIterationTime(ms / 1000.0);
    }
    state.counters["floor_ms"] = floor / static_cast<double>(state.iterations());
    state.counters["ratio"] = total / floor;
    state.counters["target"] = target;
}

void WhereUsed(benchmark::State& state)
{
    const std::vector<std::string> ids{soldItem()};
    timeAgainstFloor(state, 1.5, [&] { benchmark::DoNotOptimize(tools::WhereUsed::find(ws(), ids)); });
}

void Check(benchmark::State& state)
{
    const auto catalogue = tools::checkCatalogueFor(ws());
    (void)catalogue.catalogue.idToName("1"); // the built-in list is loaded once per process
    timeAgainstFloor(
        state, 2.0, [&] { benchmark::DoNotOptimize(tools::WorkspaceCheck::run(ws(), catalogue.catalogue)); });
}

// What --dry-run does: the plan, every changed shop read back.
void ReplaceDryRun(benchmark::State& state)
{
    timeAgainstFloor(state, 2.0,
                     [&] { benchmark::DoNotOptimize(tools::ItemReplace::plan(ws(), soldItem(), "-1")); });
}

// For the breakdown: what the NPC list costs alone (loadWorkspace and buildNpcList, as npcs).
void NpcList(benchmark::State& state)
{
    for (auto _ : state) {
        text::StringTable::forgetKept();
        auto loaded = workspace::loadWorkspace(ws());
        auto entries = workspace::buildNpcList(*loaded);
        benchmark::DoNotOptimize(entries);
    }
}

// For the breakdown: reading every NPC shop the way a window opens it, with the save-back proof,
// against one shared page-name table.
void OpenEveryShop(benchmark::State& state)
{
    const auto table = text::StringTable::readOrEmpty(ws().shopStringTablePath()).value();
    const auto shops = workspace::loadWorkspace(ws())->shopFiles;
    for (auto _ : state) {
        std::size_t pages = 0;
        for (const auto& path : shops)
            pages += shop::ShopReader::read(path, table).has_value();
        benchmark::DoNotOptimize(pages);
    }
}

} // namespace

BENCHMARK(WhereUsed)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(Check)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceDryRun)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(NpcList)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenEveryShop)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
