#include "cli/ShopJson.h"

#include "core/io/FileSystem.h"
#include "core/shop/CellRule.h"
#include "core/text/ScriptText.h"
#include "core/tools/ItemId.h"

#include <cstdint>
#include <cstdio>
#include <limits>

namespace shopkeeper::cli {

std::string jsonLine(const nlohmann::ordered_json& value)
{
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

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

constexpr std::int64_t kMaxItemNumber = std::numeric_limits<std::int32_t>::max();

// A scripted cell is taken exactly or refused: an empty slot ("", "-1", the integer -1 or null),
// or an item ID by the one rule of the tools (tools::parseItemId): 1 to 2147483647 in decimal
// without sign or leading zeros, as text or as a JSON integer. 0 is no item ID here either: a
// grid shows it as an empty cell, so a save would write "-1" where the script asked for 0.
// Nothing is rounded, cut or read as the leading number of a longer text.
std::optional<std::string> exactCell(const json& cell)
{
    if (cell.is_null())
        return std::string();
    if (cell.is_number_unsigned())
        return tools::parseItemId(std::to_string(cell.get<std::uint64_t>()));
    if (cell.is_number_integer()) {
        const auto n = cell.get<std::int64_t>();
        return n == -1 ? std::optional<std::string>("-1") : tools::parseItemId(std::to_string(n));
    }
    if (!cell.is_string())
        return std::nullopt;
    auto text = cell.get<std::string>();
    if (text.empty() || text == "-1")
        return text;
    return tools::parseItemId(text);
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
                auto value = exactCell(cell);
                if (!value) {
                    // The cell rule's reason, where it has one ("-2" is a page break, a number
                    // too large for an item ID), says more than the form alone.
                    const auto shown = cell.is_string() ? cell.get<std::string>() : cell.dump();
                    const auto rule = shop::cellValue(shown);
                    return fail(where(k, r, c) + "的" + cell.dump() +
                                "不是物品ID：空格子是\"\"或\"-1\"，物品ID是1到" +
                                std::to_string(kMaxItemNumber) + "之间不带符号和前导0的十进制整数。" +
                                (rule ? std::string() : shop::cellRefusalMessage(rule.error(), shown)));
                }
                auto stored = shop::cellValue(*value);
                if (!stored)
                    return fail(where(k, r, c) + "：" + shop::cellRefusalMessage(stored.error(), *value));
                target.setCellText(static_cast<int>(r), static_cast<int>(c), std::move(*stored));
            }
        }
    }
    return out;
}

} // namespace

std::string revisionOf(const io::FileFingerprint& fingerprint)
{
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fingerprint.hash));
    return std::to_string(fingerprint.size) + "-" + hash;
}

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
    for (std::size_t k = 0; k < document.pages().size(); ++k)
        list.push_back({{"name", document.names()[k]}, {"rows", rowsToJson(document.pages()[k])}});
    return {{"file", io::displayPath(document.path().filename())},
            {"revision", revisionOf(document.source().fingerprint)},
            {"repairable", document.isRepairable()},
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
    if (root.contains("revision")) {
        if (!root["revision"].is_string())
            return fail("\"revision\" 必须是 show 输出的文字。");
        edit.revision = root["revision"].get<std::string>();
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
        // As typed into the rename box: "-1" is the page's default name.
        auto name = shop::pageNameFromInput(static_cast<int>(k) + 1, list[k]["name"].get<std::string>());
        if (!name)
            return fail("第" + std::to_string(k + 1) + "页：" + name.error().message);
        edit.names[k] = std::move(*name);
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
    // The cells are checked by the save, which says which one it refuses.
    document.showPages(edit.pages);
    if (edit.repairable)
        document.setRepairable(*edit.repairable);
    auto names = document.names();
    for (std::size_t k = 0; k < edit.names.size(); ++k) {
        if (edit.names[k])
            names[k] = *edit.names[k];
    }
    // The names passed the rename rules as they were read from the JSON.
    (void)document.rename(names);
}

} // namespace shopkeeper::cli
