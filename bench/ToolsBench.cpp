// The workspace tools on the large generated workspace (1,000 NPC shops, 10,000 NPC files),
// against the floor of any tool over it: opening and reading every file of itemshop/ and npc/
// once, on one thread. After the runs the ratios to the floor are printed (targets: where-used
// at most 1.5, check and a replace plan, which is what --dry-run does, at most 2).
#include "BenchWorkspace.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/text/StringTable.h"
#include "core/tools/ItemReplace.h"
#include "core/tools/WhereUsed.h"
#include "core/tools/WorkspaceCheck.h"
#include "core/workspace/NpcDiscovery.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

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

void ReadEveryFileOnce(benchmark::State& state)
{
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (const char* folder : {"itemshop", "npc"}) {
            for (const auto& entry : std::filesystem::directory_iterator(ws().root() / folder)) {
                std::ifstream in(entry.path(), std::ios::binary);
                std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                bytes += content.size();
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
}

// For the breakdown: what the NPC list costs alone (loadWorkspace and buildNpcList, as npcs).
void NpcList(benchmark::State& state)
{
    for (auto _ : state) {
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

void WhereUsed(benchmark::State& state)
{
    const std::vector<std::string> ids{soldItem()};
    for (auto _ : state) {
        auto result = tools::WhereUsed::find(ws(), ids);
        benchmark::DoNotOptimize(result);
    }
}

void Check(benchmark::State& state)
{
    const auto catalogue = tools::checkCatalogueFor(ws());
    (void)catalogue.catalogue.idToName("1"); // the built-in list is loaded once per process
    for (auto _ : state) {
        auto result = tools::WorkspaceCheck::run(ws(), catalogue.catalogue);
        benchmark::DoNotOptimize(result);
    }
}

void ReplaceDryRun(benchmark::State& state)
{
    for (auto _ : state) {
        auto plan = tools::ItemReplace::plan(ws(), soldItem(), "-1");
        benchmark::DoNotOptimize(plan);
    }
}

// Keeps each run's time per iteration to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        // With repetitions, the median stands for the benchmark.
        for (const auto& run : runs) {
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median") {
                seconds_[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuSeconds_[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        // Real time is the target; CPU time is shown too, as the steadier figure on a busy machine.
        const double floor = seconds_["ReadEveryFileOnce"];
        const double cpuFloor = cpuSeconds_["ReadEveryFileOnce"];
        if (floor <= 0 || cpuFloor <= 0)
            return;
        for (const auto& [name, limit] :
             std::map<std::string, double>{{"WhereUsed", 1.5}, {"Check", 2.0}, {"ReplaceDryRun", 2.0}}) {
            if (seconds_.contains(name))
                std::printf("%-14s %.2fx the floor in real time, %.2fx in CPU time (target at most %.1fx)\n",
                            name.c_str(), seconds_[name] / floor, cpuSeconds_[name] / cpuFloor, limit);
        }
    }

private:
    std::map<std::string, double> seconds_;
    std::map<std::string, double> cpuSeconds_;
};

} // namespace

BENCHMARK(ReadEveryFileOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(WhereUsed)->Unit(benchmark::kMillisecond);
BENCHMARK(Check)->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceDryRun)->Unit(benchmark::kMillisecond);
BENCHMARK(NpcList)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenEveryShop)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
