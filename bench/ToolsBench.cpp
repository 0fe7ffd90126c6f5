// The workspace tools on the large generated workspace (1,000 NPC shops, 10,000 NPC files),
// each run timed beside the floor of any tool over it: opening and reading every file of
// itemshop/ and npc/ once, on one thread. The counters give the ratio to the floor and its
// target (where-used at most 1.5, check and a replace plan, which is what --dry-run does, at
// most 2).
//
// Cli/...: whole shopkeeper-cli runs on the same kind of workspace with nine in ten items
// unknown to the built-in list, each beside the floor run as a program of its own; the ratio is
// of the medians (npcs, where-used and replace --dry-run without a hit at most 1.5, check with
// its fifty thousand problems at most 2). cpu_ratio compares their CPU time, which other programs
// on a busy machine stretch less than the clock.
//
// LargeItemTable/MB and LargeShop/MB: one command on a generated input of MB megabytes, its
// peak memory (peak_mb, against peak_target_mb: three times the file and 40 MB) and its time
// per megabyte, which stays the same from the small input to the large one when the time is
// linear.
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
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

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
            if (found.empty() && shop.document && shop.document->pages()[0].rowCount() > 0)
                found = shop.document->pages()[0].cell(0, 0);
        });
        return found;
    }();
    return id;
}

// The floor: every file of itemshop/ and npc/ opened and read once, on one thread.
std::size_t readEveryFileOnce(const std::filesystem::path& root = ws().root())
{
    return bench::readFoldersOnce({root}, {"itemshop", "npc"});
}

// Times a tool's run beside a run of the floor, both under the machine's same conditions, each
// run as the command line's one run in its own process (no table kept from an earlier one).
// Counters: floor_ms, ratio (the tool's time over the floor's) and target.
void timeAgainstFloor(benchmark::State& state, double target, const std::function<void()>& tool)
{
    double floor = 0;
    double total = 0;
    for (auto _ : state) {
        floor += bench::millisecondsOf([] { benchmark::DoNotOptimize(readEveryFileOnce()); });
        text::StringTable::forgetKept();
        const double ms = bench::millisecondsOf(tool);
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

#ifdef SHOPKEEPER_CLI
// The program the Cli and Large benchmarks run: this build's, unless SHOPKEEPER_BENCH_CLI names
// another (an older build, to compare).
std::string cliProgram()
{
    const char* other = std::getenv("SHOPKEEPER_BENCH_CLI");
    return other && *other ? other : SHOPKEEPER_CLI;
}

// An item ID that no shop of the generated workspaces sells.
constexpr const char* kUnsoldItem = "77777777";

void Cli(benchmark::State& state, double target, std::vector<std::string> args)
{
    const auto root = bench::largeWorkspace(90);
    for (auto& arg : args) {
        if (arg == "WS")
            arg = root.string();
    }
    std::vector<double> floors;
    std::vector<double> runs;
    std::vector<double> floorCpus;
    std::vector<double> cpus;
    double peak = 0;
    for (auto _ : state) {
        const auto floor = bench::runForked([&] { return readEveryFileOnce(root) > 0 ? 0 : 1; });
        floors.push_back(floor.ms);
        floorCpus.push_back(floor.cpuMs);
        const auto run = bench::runProgram(cliProgram(), args);
        cpus.push_back(run.cpuMs);
        if (run.exitCode < 0 || run.exitCode == 1 || (run.exitCode >= 2 && run.exitCode <= 7))
            state.SkipWithError("the command failed");
        runs.push_back(run.ms);
        peak = std::max(peak, run.peakMb);
        state.SetIterationTime(run.ms / 1000.0);
    }
    state.counters["floor_ms"] = bench::median(floors);
    state.counters["ms"] = bench::median(runs);
    state.counters["ratio"] = bench::median(runs) / bench::median(floors);
    state.counters["cpu_ratio"] = bench::median(cpus) / bench::median(floorCpus);
    state.counters["target"] = target;
    state.counters["peak_mb"] = peak;
}

// One command on an input of state.range(0) megabytes: peak memory and time per megabyte.
void timeLargeInput(benchmark::State& state, const std::filesystem::path& file,
                    const std::vector<std::vector<std::string>>& commands)
{
    const double megabytes = static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0);
    std::vector<double> runs;
    double peak = 0;
    for (auto _ : state) {
        for (const auto& args : commands) {
            const auto run = bench::runProgram(cliProgram(), args);
            if (run.exitCode != 0)
                state.SkipWithError("the command failed");
            runs.push_back(run.ms);
            peak = std::max(peak, run.peakMb);
            state.SetIterationTime(run.ms / 1000.0);
        }
    }
    state.counters["file_mb"] = megabytes;
    state.counters["peak_mb"] = peak;
    state.counters["peak_target_mb"] = 3 * megabytes + 40;
    state.counters["ms_per_mb"] = bench::median(runs) / megabytes;
}

// A user's item table of the given size, lines of an ID and a name, for "name".
void LargeItemTable(benchmark::State& state)
{
    const auto folder = std::filesystem::temp_directory_path() /
                        ("shopkeeper-bench-itemtable-" + std::to_string(state.range(0)));
    const auto file = folder / "id-name.txt";
    const auto size = static_cast<std::size_t>(state.range(0)) << 20;
    if (!std::filesystem::exists(file) || std::filesystem::file_size(file) < size) {
        std::filesystem::create_directories(folder);
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        std::size_t written = 0;
        for (int id = 1; written < size; ++id) {
            const std::string line = std::to_string(id) + "\t物品" + std::to_string(id) + "号\r\n";
            out << line;
            written += line.size();
        }
    }
    timeLargeInput(state, file, {{"name", "--workspace", folder.string(), "12345"}});
}

// A shop of the given size whose bulk is a comment before its blocks: where-used of an item it
// sells, a replace's plan (--dry-run) and the replace there and back.
void LargeShop(benchmark::State& state)
{
    const auto folder = std::filesystem::temp_directory_path() /
                        ("shopkeeper-bench-largeshop-" + std::to_string(state.range(0)));
    std::filesystem::remove_all(folder);
    if (!generator::generateWorkspace(folder, {.shops = 5, .npcs = 5, .seed = 5})) {
        state.SkipWithError("cannot generate the workspace");
        return;
    }
    std::filesystem::path shop;
    std::string item;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "itemshop")) {
        auto read = shop::ShopReader::open(entry.path(), folder / "itemshop/itemshop.kor.str");
        if (read && read->pages()[0].rowCount() > 0 && read->pages()[0].cell(0, 0) != "-1") {
            shop = entry.path();
            item = read->pages()[0].cell(0, 0);
            break;
        }
    }
    std::string bytes;
    {
        std::ifstream in(shop, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::string comment = "// 这一行是很长的注释，说明这个商店的来历和用途，写了很多遍。\r\n";
    const auto size = static_cast<std::size_t>(state.range(0)) << 20;
    std::ofstream out(shop, std::ios::binary | std::ios::trunc);
    for (std::size_t written = 0; written < size; written += comment.size())
        out << comment;
    out << bytes;
    out.close();
    const std::string ws = folder.string();
    timeLargeInput(state, shop,
                   {{"where-used", ws, item},
                    {"replace", ws, item, kUnsoldItem, "--dry-run"},
                    {"replace", ws, item, kUnsoldItem},
                    {"replace", ws, kUnsoldItem, item}});
    std::filesystem::remove_all(folder);
}
#endif

} // namespace

#ifdef SHOPKEEPER_CLI
BENCHMARK_CAPTURE(Cli, npcs, 1.5, {"npcs", "WS"})
    ->UseManualTime()
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, where_used_no_hit, 1.5, {"where-used", "WS", kUnsoldItem})
    ->UseManualTime()
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, replace_dry_run_no_hit, 1.5, {"replace", "WS", kUnsoldItem, "1", "--dry-run"})
    ->UseManualTime()
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Cli, check, 2.0, {"check", "WS"})
    ->UseManualTime()
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LargeItemTable)->Arg(4)->Arg(16)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(LargeShop)->Arg(25)->Arg(100)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
#endif
BENCHMARK(WhereUsed)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(Check)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceDryRun)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(NpcList)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenEveryShop)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
