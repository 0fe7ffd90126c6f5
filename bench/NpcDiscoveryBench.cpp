// NPC discovery on a generated workspace of 1,000 NPC shops and 10,000 NPC files:
//  - RereadPerShop: the literal rule, every NPC file read again for every shop (the reference);
//  - ReadEveryFileOnce: only reading each NPC file once;
//  - BuildNpcList: what the editor does;
//  - ListNpcs: what `shopkeeper-cli npcs` does (load the workspace, name every shop, print the
//    list), each iteration timed beside the floor: every file of the workspace opened and read
//    once on one thread with the system's calls alone. Counters: floor_ms and ratio.
#include "BenchWorkspace.h"
#include "core/io/FileSystem.h"
#include "core/text/ScriptText.h"
#include "core/text/ScriptTextFile.h"
#include "core/text/StringTable.h"
#include "core/workspace/NpcDiscovery.h"
#include "core/workspace/Workspace.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <unistd.h>

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

// The floor: each file of both folders opened, read whole and closed, in directory order.
std::size_t readEveryFileOnce(const std::filesystem::path& root)
{
    static char buffer[1 << 16];
    std::size_t bytes = 0;
    for (const char* folder : {"itemshop", "npc"}) {
        const std::string dir = (root / folder).string();
        DIR* listing = opendir(dir.c_str());
        if (!listing)
            continue;
        while (const dirent* entry = readdir(listing)) {
            if (entry->d_name[0] == '.')
                continue;
            const std::string path = dir + "/" + entry->d_name;
            const int fd = open(path.c_str(), O_RDONLY);
            if (fd < 0)
                continue;
            for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
                bytes += static_cast<std::size_t>(n);
            close(fd);
        }
        closedir(listing);
    }
    return bytes;
}

std::string listNpcs(const std::filesystem::path& root)
{
    std::string out;
    auto loaded = workspace::loadWorkspace(workspace::Workspace(root));
    if (!loaded)
        return out;
    workspace::buildNpcList(*loaded, [&](const workspace::NpcEntry& entry) {
        out += io::displayPath(entry.shopFile.filename()) + '\t' + entry.npcName + '\n';
    });
    return out;
}

void ListNpcs(benchmark::State& bench)
{
    const auto root = bench::largeWorkspace();
    double floor = 0;
    double total = 0;
    for (auto _ : bench) {
        floor += bench::millisecondsOf([&] { benchmark::DoNotOptimize(readEveryFileOnce(root)); });
        text::StringTable::forgetKept(); // each run as the command's one run in its own process
        const double ms = bench::millisecondsOf([&] { benchmark::DoNotOptimize(listNpcs(root).size()); });
        total += ms;
        bench.SetIterationTime(ms / 1000.0);
    }
    bench.counters["floor_ms"] = floor / static_cast<double>(bench.iterations());
    bench.counters["ratio"] = total / floor;
}

void BuildNpcList(benchmark::State& bench)
{
    // Without the load's link reader, which reads the NPC files once: each run reads them.
    auto s = state();
    s.npcLinks.reset();
    for (auto _ : bench) {
        auto entries = workspace::buildNpcList(s);
        benchmark::DoNotOptimize(entries);
    }
}

} // namespace

BENCHMARK(ListNpcs)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadEveryFileOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildNpcList)->Unit(benchmark::kMillisecond);
BENCHMARK(RereadPerShop)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
