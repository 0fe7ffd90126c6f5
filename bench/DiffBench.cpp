// Comparing two workspaces: the large generated workspace (1,000 NPC shops) against a copy in which
// 1% of the shops' cells hold another item, timed beside the floor of any comparison: opening and
// reading every file of both itemshop folders once, on one thread. The counters give the ratio to
// the floor and its target (at most 2.5).
#include "BenchWorkspace.h"
#include "core/io/AtomicFile.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"
#include "core/text/StringTable.h"
#include "core/tools/WorkspaceDiff.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>

using namespace shopkeeper;

namespace {

// The copy, made once per generator and kept beside the large workspace. Returns the cells changed.
std::filesystem::path editedCopy(const std::filesystem::path& original, std::size_t& changed)
{
    const auto folder = std::filesystem::temp_directory_path() / "shopkeeper-bench-npcs-edited";
    const auto stampFile = std::filesystem::temp_directory_path() / "shopkeeper-bench-npcs-edited.stamp";
    const std::string stamp = bench::generatorStamp();
    std::string kept;
    std::size_t keptCount = 0;
    if (std::ifstream in(stampFile); in)
        in >> kept >> keptCount;
    if (kept == stamp && std::filesystem::exists(folder / "npc/npc.kor.str")) {
        changed = keptCount;
        return folder;
    }
    std::filesystem::remove_all(folder);
    std::filesystem::copy(original, folder, std::filesystem::copy_options::recursive);
    const workspace::Workspace ws(folder);
    std::mt19937 random(27);
    std::uniform_int_distribution<int> percent(0, 99);
    io::AtomicFileWriter writer;
    changed = 0;
    for (const auto& path : io::listFiles(ws.shopFolder(), "*.shp")) {
        auto document = shop::ShopReader::open(path, ws.shopStringTablePath());
        if (!document)
            continue;
        bool edited = false;
        for (int k = 0; k < shop::kPageCount; ++k) {
            for (int r = 0; r < document->page(k).rowCount(); ++r) {
                for (int c = 0; c < shop::kColumns; ++c) {
                    if (percent(random) != 0)
                        continue;
                    const bool was = document->page(k).cell(r, c) == "1001";
                    document->restoreCell(k, {r, c}, was ? "1002" : "1001");
                    edited = true;
                    ++changed;
                }
            }
        }
        if (edited && !shop::ShopWriter().save(*document, ws.shopStringTablePath(), writer)) {
            std::cerr << "cannot save " << path << "\n";
            std::exit(1);
        }
    }
    std::ofstream(stampFile) << stamp << ' ' << changed << "\n";
    return folder;
}

void DiffWorkspaces(benchmark::State& state)
{
    const auto a = bench::largeWorkspace();
    std::size_t changed = 0;
    const auto b = editedCopy(a, changed);
    double floor = 0;
    double total = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        floor += bench::millisecondsOf([&] {
            benchmark::DoNotOptimize(bench::readFoldersOnce({a, b}, {"itemshop"}));
        });
        // Each run as a program's one run: no table kept from an earlier one.
        text::StringTable::forgetKept();
        const double ms = bench::millisecondsOf([&] {
            const auto result = tools::diffWorkspaces(workspace::Workspace(a), workspace::Workspace(b));
            found = 0;
            for (const auto& shop : result->differing)
                found += shop.change.cells.size();
        });
        total += ms;
        state.SetIterationTime(ms / 1000.0);
    }
    if (found != changed)
        state.SkipWithError("the comparison did not find every changed cell");
    state.counters["cells"] = static_cast<double>(found);
    state.counters["floor_ms"] = floor / static_cast<double>(state.iterations());
    state.counters["ratio"] = total / floor;
    state.counters["target"] = 2.5;
}

} // namespace

BENCHMARK(DiffWorkspaces)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
