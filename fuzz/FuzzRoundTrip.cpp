// Read -> save with no edits -> read gives the same pages, page names and repair flag, and a
// second save plans the very same bytes. Input: shop bytes, form feed, string-table bytes.
#include "FuzzInput.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"

#include <optional>
#include <random>

using namespace shopkeeper;

namespace {

// Pages as a save leaves them: no empty rows, "-1" in every empty cell.
shop::ShopPages normalised(shop::ShopPages pages)
{
    for (auto& page : pages) {
        page.removeEmptyRows();
        page.fillEmptyCells();
    }
    return pages;
}

// Reads and plans a save; nullopt when the reader refuses the shop or the save refuses to plan.
struct Saved
{
    shop::ShopDocument document;
    shop::SavePlan plan;
};

std::optional<Saved> readAndPlan(std::string shopBytes, std::string_view tableBytes)
{
    auto document =
        shop::ShopReader::fromBytes(std::move(shopBytes), text::StringTable::fromBytes(tableBytes));
    if (!document)
        return std::nullopt;
    document->source().path = "fuzz.shp";
    std::mt19937 random(7);
    shop::ShopWriter writer(&random);
    auto plan = writer.plan(*document);
    if (!plan)
        return std::nullopt;
    return Saved{std::move(*document), std::move(*plan)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::parts(fuzz::asText(data, size), 2);
    auto first = readAndPlan(std::string(input[0]), input[1]);
    if (!first)
        return 0;
    auto second = readAndPlan(first->plan.shopBytes, first->plan.tableBytes);
    if (!second)
        fuzz::broken("the saved shop cannot be read or saved again", first->plan.shopBytes);

    const auto& a = first->document;
    const auto& b = second->document;
    if (a.isRepairable() != b.isRepairable())
        fuzz::broken("the repair flag changed", first->plan.shopBytes);
    if (normalised(a.pages()) != normalised(b.pages()))
        fuzz::broken("the pages changed", first->plan.shopBytes);
    for (std::size_t k = 0; k < a.pages().size(); ++k) {
        if (a.pages()[k].rowCount() > 0 && a.names()[k] != b.names()[k])
            fuzz::broken("a page name changed", a.names()[k] + " -> " + b.names()[k]);
    }
    if (first->plan.shopBytes != second->plan.shopBytes)
        fuzz::broken("a second save writes other shop bytes", second->plan.shopBytes);
    if (first->plan.tableBytes != second->plan.tableBytes)
        fuzz::broken("a second save writes another string table");
    return 0;
}
