// The item catalogue's speed: loading the built-in list, the preview fill of five full pages
// against the literal method, and one search over every built-in name.
#include "BuiltinItemData.h"
#include "core/catalogue/BuiltinItemList.h"
#include "core/catalogue/ItemCatalogue.h"
#include "core/catalogue/ItemPreview.h"
#include "core/catalogue/ItemSearch.h"
#include "core/text/ScriptText.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

using namespace shopkeeper;
using namespace shopkeeper::catalogue;

namespace {

constexpr int kPages = 5;
constexpr int kRows = 100;

// Five pages of 100 rows: IDs from all over the list, some empty slots and unknown IDs.
std::vector<shop::ShopPage> fullPages()
{
    const auto& list = BuiltinItemList::instance();
    std::vector<shop::ShopPage> pages;
    std::uint64_t state = 12345;
    for (int p = 0; p < kPages; ++p) {
        std::vector<std::string> items;
        for (int i = 0; i < kRows * shop::kColumns; ++i) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            const auto pick = static_cast<std::size_t>((state >> 33) % list.size());
            items.push_back(i % 29 == 0 ? "-1" : i % 31 == 0 ? "4000000000" : std::string(list.id(pick)));
        }
        pages.push_back(shop::ShopPage::fromItems(items));
    }
    return pages;
}

// The reference: split both built-in texts, then for each cell scan the ID list from the top.
std::vector<std::string> literalPreview(const std::vector<shop::ShopPage>& pages)
{
    const auto names = text::splitText(itemdata::builtinItemNames(), "\r\n");
    const auto ids = text::splitText(itemdata::builtinItemIds(), "\r\n");
    std::vector<std::string> cells;
    for (const auto& page : pages) {
        for (const auto& row : page.rows()) {
            for (const auto& id : row) {
                if (id == "-1") {
                    cells.emplace_back();
                    continue;
                }
                std::string name = kUnknownItemName;
                for (std::size_t i = 0; i < ids.size(); ++i) {
                    if (ids[i] == id) {
                        name = names[i];
                        break;
                    }
                }
                cells.push_back(std::move(name));
            }
        }
    }
    return cells;
}

void BM_LoadBuiltinList(benchmark::State& state)
{
    for (auto _ : state) {
        auto list = BuiltinItemList::fromGbk(itemdata::builtinItemNames(), itemdata::builtinItemIds());
        benchmark::DoNotOptimize(list->size());
    }
}

void BM_PreviewLiteral(benchmark::State& state)
{
    const auto pages = fullPages();
    for (auto _ : state)
        benchmark::DoNotOptimize(literalPreview(pages).size());
}

void BM_PreviewFill(benchmark::State& state)
{
    const auto pages = fullPages();
    const ItemCatalogue catalogue;
    for (auto _ : state) {
        for (const auto& page : pages)
            benchmark::DoNotOptimize(previewPage(catalogue, page)->size());
    }
}

void BM_SearchFewHits(benchmark::State& state)
{
    const ItemCatalogue catalogue;
    BuiltinItemList::preload();
    std::size_t hits = 0;
    for (auto _ : state) {
        hits = searchAllItems(catalogue, "龙王的天罡琉璃")->size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
}

void BM_SearchManyHits(benchmark::State& state)
{
    const ItemCatalogue catalogue;
    BuiltinItemList::preload();
    std::size_t hits = 0;
    for (auto _ : state) {
        hits = searchAllItems(catalogue, "长剑")->size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
}

} // namespace

BENCHMARK(BM_LoadBuiltinList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewLiteral)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PreviewFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchFewHits)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchManyHits)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
