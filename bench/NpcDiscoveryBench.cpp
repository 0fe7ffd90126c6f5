// NPC discovery on a generated workspace of 1,000 NPC shops and 10,000 NPC files:
//  - RereadPerShop: the literal rule, every NPC file read again for every shop (the reference);
//  - ReadEveryFileOnce: only reading each NPC file once, the floor for any approach;
//  - BuildNpcList: what the editor does.
#include "BenchWorkspace.h"
#include "core/text/ScriptText.h"
#include "core/text/ScriptTextFile.h"
#include "core/workspace/NpcDiscovery.h"
#include "core/workspace/Workspace.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <iostream>

using namespace shopkeeper;

namespace {

const workspace::WorkspaceState& state()
{
    static const auto loaded = [] {
        return workspace::loadWorkspace(workspace::Workspace(bench::largeWorkspace())).value();
    }();
    return loaded;
}

// The rule as first written down: for one shop, read the NPC files in order until one holds
// "`[item shop]`" CR LF number TAB, then take its name link.
std::string findNpcNameByRereading(const workspace::WorkspaceState& s, const std::string& number)
{
    if (number == "-1")
        return "-1";
    for (const auto& file : s.npcFiles) {
        const auto text = text::ScriptTextFile::read(file).value_or(text::ScriptTextFile{}).text;
        if (!text::contains(text, "`[item shop]`\r\n" + number + "\t"))
            continue;
        const auto n = text::findLineContaining(text, "[name]");
        const auto line = text::getLine(text, static_cast<long long>(n) + 1);
        if (!text::contains(line, "<8::", false))
            continue;
        const auto pieces = text::splitText(line, "`");
        if (pieces.empty())
            continue;
        return s.npcNames.lookup(text::replaceEach(pieces.front(), {{"<8::", ""}})).value_or("-1");
    }
    return "-1";
}

void RereadPerShop(benchmark::State& bench)
{
    const auto& s = state();
    for (auto _ : bench) {
        std::size_t named = 0;
        for (const auto& shop : s.shopFiles) {
            const auto number = s.shopIndex.shopNumberOf(shop.filename().string()).value_or("-1");
            named += findNpcNameByRereading(s, number) != "-1";
        }
        benchmark::DoNotOptimize(named);
    }
}

void ReadEveryFileOnce(benchmark::State& bench)
{
    const auto& s = state();
    for (auto _ : bench) {
        std::size_t bytes = 0;
        for (const auto& file : s.npcFiles)
            bytes += text::ScriptTextFile::read(file).value_or(text::ScriptTextFile{}).text.size();
        benchmark::DoNotOptimize(bytes);
    }
}

void BuildNpcList(benchmark::State& bench)
{
    const auto& s = state();
    for (auto _ : bench) {
        auto entries = workspace::buildNpcList(s);
        benchmark::DoNotOptimize(entries);
    }
}

} // namespace

BENCHMARK(ReadEveryFileOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildNpcList)->Unit(benchmark::kMillisecond);
BENCHMARK(RereadPerShop)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
