#include "ShopJson.h"

#include "core/io/FileSystem.h"
#include "core/shop/CellRule.h"
#include "core/text/ScriptText.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace shopkeeper::cli {

using json = nlohmann::ordered_json;

namespace {

json rowsToJson(const shop::ShopPage& page)
{
    json rows = json::array();
    for (const auto& row : page.rows())
        rows.push_back(json(std::vector<std::string>(row.begin(), row.end())));
    return rows;
}

std::string where(std::size_t page, std::size_t row, std::size_t column)
{
    return "第" + std::to_string(page + 1) + "页第" + std::to_string(row + 1) + "行第" +
           std::to_string(column + 1) + "列";
}

constexpr long long kMinItemNumber = std::numeric_limits<std::int32_t>::min();
constexpr long long kMaxItemNumber = std::numeric_limits<std::int32_t>::max();

std::optional<long long> itemNumber(const json& cell)
{
    if (cell.is_number_unsigned()) {
        const auto n = cell.get<std::uint64_t>();
        if (n > static_cast<std::uint64_t>(kMaxItemNumber))
            return std::nullopt;
        return static_cast<long long>(n);
    }
    if (cell.is_number_integer()) {
        const auto n = cell.get<std::int64_t>();
        if (n < kMinItemNumber || n > kMaxItemNumber)
            return std::nullopt;
        return n;
    }
    const double d = cell.get<double>();
    if (!(d >= static_cast<double>(kMinItemNumber) && d <= static_cast<double>(kMaxItemNumber)) ||
        std::trunc(d) != d)
        return std::nullopt;
    return static_cast<long long>(d);
}

Result<shop::ShopPages> readPages(const json& root)
{
    if (!root.is_object() || !root.contains("pages") || !root["pages"].is_array())
        return fail("输入的JSON必须是含有 \"pages\" 数组的对象。");
    const json& pages = root["pages"];
    if (pages.size() > static_cast<std::size_t>(shop::kPageCount))
        return fail("商店最多只有5页，输入有" + std::to_string(pages.size()) + "页。");
    shop::ShopPages out;
    for (std::size_t k = 0; k < pages.size(); ++k) {
        const json& page = pages[k];
        if (!page.is_object())
            return fail("第" + std::to_string(k + 1) + "页必须是一个对象。");
        if (!page.contains("rows"))
            continue;
        if (!page["rows"].is_array())
            return fail("第" + std::to_string(k + 1) + "页的 \"rows\" 必须是数组。");
        const json& rows = page["rows"];
        auto& target = out[k];
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (!rows[r].is_array())
                return fail("第" + std::to_string(k + 1) + "页第" + std::to_string(r + 1) + "行必须是数组。");
            if (rows[r].size() > static_cast<std::size_t>(shop::kColumns))
                return fail("第" + std::to_string(k + 1) + "页第" + std::to_string(r + 1) +
                            "行超过7个格子。");
            target.appendRows(1);
            for (std::size_t c = 0; c < rows[r].size(); ++c) {
                const json& cell = rows[r][c];
                std::string value;
                if (cell.is_string()) {
                    value = cell.get<std::string>();
                } else if (cell.is_number_integer() || cell.is_number_float()) {
                    // Item IDs are 32-bit numbers in the game; a JSON number outside that range,
                    // or with a fraction, is no item ID. Text cells keep whatever digits they hold.
                    auto number = itemNumber(cell);
                    if (!number)
                        return fail(where(k, r, c) + "的数字" + cell.dump() + "不是物品ID（JSON数字必须是" +
                                    std::to_string(kMinItemNumber) + "到" + std::to_string(kMaxItemNumber) +
                                    "之间的整数）。");
                    value = std::to_string(*number);
                } else if (!cell.is_null()) {
                    return fail(where(k, r, c) + "必须是文字或整数。");
                }
                auto stored = shop::cellValue(value);
                if (!stored)
                    return fail(where(k, r, c) + "：" + shop::cellRefusalMessage(stored.error(), value));
                target.setCellText(static_cast<int>(r), static_cast<int>(c), std::move(*stored));
            }
        }
    }
    return out;
}

} // namespace

json pagesToJson(const shop::ShopPages& pages)
{
    json list = json::array();
    for (const auto& page : pages)
        list.push_back({{"rows", rowsToJson(page)}});
    return {{"pages", list}};
}

json shopToJson(const shop::ShopDocument& document)
{
    json list = json::array();
    for (std::size_t k = 0; k < document.pages.size(); ++k)
        list.push_back({{"name", document.captions[k]}, {"rows", rowsToJson(document.pages[k])}});
    return {{"file", io::displayPath(document.path.filename())},
            {"repairable", document.repairable},
            {"pages", list}};
}

Result<ShopEdit> shopEditFromJson(const std::string& input)
{
    const json root = json::parse(input, nullptr, false);
    if (root.is_discarded())
        return fail("输入不是有效的JSON。");
    auto pages = readPages(root);
    if (!pages)
        return std::unexpected(pages.error());
    ShopEdit edit;
    edit.pages = std::move(*pages);
    if (root.contains("file")) {
        if (!root["file"].is_string())
            return fail("\"file\" 必须是文字。");
        edit.file = root["file"].get<std::string>();
    }
    if (root.contains("repairable")) {
        if (!root["repairable"].is_boolean())
            return fail("\"repairable\" 必须是 true 或 false。");
        edit.repairable = root["repairable"].get<bool>();
    }
    const json& list = root["pages"];
    for (std::size_t k = 0; k < list.size(); ++k) {
        if (!list[k].contains("name"))
            continue;
        if (!list[k]["name"].is_string())
            return fail("第" + std::to_string(k + 1) + "页的 \"name\" 必须是文字。");
        auto name = list[k]["name"].get<std::string>();
        if (auto ok = shop::checkPageName(name); !ok)
            return fail("第" + std::to_string(k + 1) + "页：" + ok.error().message);
        edit.names[k] = std::move(name);
    }
    return edit;
}

Result<shop::ShopPages> pagesFromJson(const std::string& input)
{
    const json root = json::parse(input, nullptr, false);
    if (root.is_discarded())
        return fail("输入不是有效的JSON。");
    return readPages(root);
}

void applyShopEdit(const ShopEdit& edit, shop::ShopDocument& document)
{
    document.pages = edit.pages;
    if (edit.repairable)
        document.repairable = *edit.repairable;
    for (std::size_t k = 0; k < edit.names.size(); ++k) {
        if (edit.names[k])
            document.captions[k] = *edit.names[k];
    }
}

} // namespace shopkeeper::cli
