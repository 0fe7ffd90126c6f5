// Read and save of a five-page shop with 500 rows a page.
#include "core/io/AtomicFile.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"
#include "core/text/StringTable.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>

using namespace shopkeeper;

namespace {

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
        document.captions[0] = "renamed";
        auto plan = writer.plan(document);
        benchmark::DoNotOptimize(plan);
    }
}

void ReadAndSaveToDisk(benchmark::State& bench)
{
    const auto& f = files();
    shop::ShopWriter writer;
    io::AtomicFileWriter disk;
    int n = 0;
    for (auto _ : bench) {
        auto document = shop::ShopReader::open(f.shop, f.table).value();
        document.captions[0] = "renamed " + std::to_string(n++ % 2);
        auto ok = writer.save(document, f.table, disk);
        benchmark::DoNotOptimize(ok);
    }
}

} // namespace

BENCHMARK(ReadShop)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAndPlanSave)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAndSaveToDisk)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
