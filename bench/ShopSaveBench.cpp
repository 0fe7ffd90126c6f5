// Read and save of a five-page shop with 500 rows a page, and of a small shop with a string
// table of 16 and of 100,000 lines. Each goal is timed beside its floor in the same run:
//  - ReadAndSaveToDisk: save_ms against writing the same two files (floor_ms, ratio);
//  - OpenAndSaveWithLargeTable: open and save with the large table against the same with the
//    small one (floor_ms, ratio), and beyond the large table's own file work (write_ms);
//  - IndexLargeTable: finding the lines and keys of the large table, once a program.
// CliTableBench times the same open and save as whole command-line processes.
#include "core/io/AtomicFile.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"
#include "core/text/StringTable.h"
#include "core/text/StringTableCodec.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

using namespace shopkeeper;

namespace {

// The first page renamed, as the rename box does it.
void rename(shop::ShopDocument& document, const std::string& name)
{
    auto names = document.names();
    names[0] = name;
    (void)document.rename(names);
}

struct Files
{
    std::filesystem::path shop;
    std::filesystem::path table;
};

const Files& files()
{
    static const Files made = [] {
        const auto folder = std::filesystem::temp_directory_path() / "shopkeeper-bench-save";
        std::filesystem::create_directories(folder);
        std::string text = "`[etc shop]`\r\n[tab name]\r\n";
        for (int k = 0; k < 5; ++k)
            text += "<5::tab_name_" + std::to_string(k + 1) + "`商店`>\r\n";
        text += "[/tab name]\r\n[sell item]\r\n";
        for (int k = 0; k < 5; ++k) {
            if (k > 0)
                text += "-2\t";
            for (int i = 0; i < 500 * 7; ++i)
                text += std::to_string(1000 + (i * 37 + k) % 90000) + "\t";
        }
        text += "\r\n[/sell item]\r\n";
        std::string table;
        for (int i = 0; i < 3000; ++i)
            table += "tab_name_" + std::to_string(i + 1) + ">page " + std::to_string(i) + "\r\n";
        Files f{folder / "big.shp", folder / "itemshop.kor.str"};
        std::ofstream(f.shop, std::ios::binary) << text;
        std::ofstream(f.table, std::ios::binary) << table;
        return f;
    }();
    return made;
}

void ReadShop(benchmark::State& bench)
{
    const auto& f = files();
    for (auto _ : bench) {
        auto document = shop::ShopReader::open(f.shop, f.table);
        benchmark::DoNotOptimize(document);
    }
}

void ReadAndPlanSave(benchmark::State& bench)
{
    const auto& f = files();
    shop::ShopWriter writer;
    for (auto _ : bench) {
        auto document = shop::ShopReader::open(f.shop, f.table).value();
        rename(document, "renamed");
        auto plan = writer.plan(document);
        benchmark::DoNotOptimize(plan);
    }
}

double millisecondsOf(const auto& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::string bytesOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ReadAndSaveToDisk(benchmark::State& bench)
{
    const auto& f = files();
    shop::ShopWriter writer;
    io::AtomicFileWriter disk;
    int n = 0;
    double save = 0;
    double floor = 0;
    for (auto _ : bench) {
        auto document = shop::ShopReader::open(f.shop, f.table).value();
        rename(document, "renamed " + std::to_string(n++ % 2));
        save += millisecondsOf([&] { benchmark::DoNotOptimize(writer.save(document, f.table, disk)); });
        // The floor: the two files the save wrote, written again the same way.
        const auto shopBytes = bytesOf(f.shop);
        const auto tableBytes = bytesOf(f.table);
        floor += millisecondsOf([&] {
            benchmark::DoNotOptimize(disk.write(f.table, tableBytes));
            benchmark::DoNotOptimize(disk.write(f.shop, shopBytes));
        });
    }
    bench.counters["save_ms"] = save / static_cast<double>(bench.iterations());
    bench.counters["floor_ms"] = floor / static_cast<double>(bench.iterations());
    bench.counters["ratio"] = save / floor;
}

// A three-page shop and its page-name table: its own lines, after filler lines of other keys
// with traditional names up to lines in all.
Files tableFiles(int lines)
{
    const auto folder =
        std::filesystem::temp_directory_path() / ("shopkeeper-bench-table-" + std::to_string(lines));
    std::filesystem::create_directories(folder);
    std::string text = "`[etc shop]`\r\n[tab name]\r\n";
    for (int k = 0; k < 3; ++k)
        text += "<5::tab_name_" + std::to_string(k + 1) + "`商店`>\r\n";
    text += "[/tab name]\r\n[sell item]\r\n";
    for (int k = 0; k < 3; ++k)
        text += std::string(k > 0 ? "-2\t" : "") + "1001\t1002\t1003\t1004\t1005\t1006\t1007\t";
    text += "\r\n[/sell item]\r\n";
    const std::string name = text::StringTableCodec::encode("商人的货物").value();
    std::string table;
    for (int i = 0; i < lines - 3; ++i)
        table += "npc_talk_" + std::to_string(i + 1) + ">" + name + "\r\n";
    for (int k = 0; k < 3; ++k)
        table += "tab_name_" + std::to_string(k + 1) + ">" + name + "\r\n";
    Files f{folder / "shop.shp", folder / "itemshop.kor.str"};
    std::ofstream(f.shop, std::ios::binary) << text;
    std::ofstream(f.table, std::ios::binary) << table;
    return f;
}

// What choosing the NPC and saving a renamed page costs.
void openAndSave(const Files& f, shop::ShopWriter& writer, int n)
{
    io::AtomicFileWriter disk;
    auto document = shop::ShopReader::open(f.shop, f.table).value();
    rename(document, n % 2 == 0 ? "武器" : "防具");
    benchmark::DoNotOptimize(writer.save(document, f.table, disk));
}

// The thread's CPU time, which other programs on the machine do not stretch as they do the clock.
double cpuMillisecondsOf(const auto& work)
{
    timespec start{};
    timespec end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    work();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return static_cast<double>(end.tv_sec - start.tv_sec) * 1e3 +
           static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e6;
}

// The file work any save of a renamed page does with a table: the table read at the open and
// again at the save, then both files written the same way (a copy, flushed to the disk, put in
// the place of the file).
void readAndWrite(const Files& f)
{
    io::AtomicFileWriter disk;
    const auto opened = io::readFileBytes(f.table).value();
    const auto shopBytes = io::readFileBytes(f.shop).value();
    const auto tableBytes = io::readFileBytes(f.table).value();
    benchmark::DoNotOptimize(opened);
    benchmark::DoNotOptimize(disk.write(f.table, tableBytes));
    benchmark::DoNotOptimize(disk.write(f.shop, shopBytes));
}

// Counters: floor_ms (the small table), ratio and cpu_ratio against it, write_ms (the large
// table's bytes read twice and written, which no save of a changed name can skip) and
// beyond_write_ratio, the large case less that file work against the floor; extra_ratio, what
// the large table adds to the save against what it adds to that file work (target: at most
// 1.5).
void OpenAndSaveWithLargeTable(benchmark::State& bench)
{
    const auto small = tableFiles(16);
    const auto large = tableFiles(100000);
    shop::ShopWriter writer;
    int n = 0;
    double floor = 0;
    double total = 0;
    double floorCpu = 0;
    double totalCpu = 0;
    double write = 0;
    double smallWrite = 0;
    for (auto _ : bench) {
        floorCpu +=
            cpuMillisecondsOf([&] { floor += millisecondsOf([&] { openAndSave(small, writer, n); }); });
        double ms = 0;
        totalCpu += cpuMillisecondsOf([&] { ms = millisecondsOf([&] { openAndSave(large, writer, n); }); });
        write += millisecondsOf([&] { readAndWrite(large); });
        smallWrite += millisecondsOf([&] { readAndWrite(small); });
        ++n;
        total += ms;
        bench.SetIterationTime(ms / 1000.0);
    }
    const auto iterations = static_cast<double>(bench.iterations());
    bench.counters["floor_ms"] = floor / iterations;
    bench.counters["ratio"] = total / floor;
    bench.counters["cpu_ratio"] = totalCpu / floorCpu;
    bench.counters["write_ms"] = write / iterations;
    bench.counters["beyond_write_ratio"] = (total - write) / floor;
    bench.counters["extra_ratio"] = (total - floor) / (write - smallWrite);
    bench.counters["target"] = 1.5;
}

// Finding the lines and keys of the large table, as the first read of it in a program does.
void IndexLargeTable(benchmark::State& bench)
{
    const auto bytes = io::readFileBytes(tableFiles(100000).table).value();
    for (auto _ : bench)
        benchmark::DoNotOptimize(text::StringTable::indexed(bytes));
}

} // namespace

BENCHMARK(ReadShop)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAndPlanSave)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAndSaveToDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(IndexLargeTable)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenAndSaveWithLargeTable)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
