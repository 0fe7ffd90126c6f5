#include "shop/ShopWriter.h"

#include "io/FileSystem.h"
#include "regex/RegexObject.h"
#include "shop/SellItemBlock.h"
#include "shop/ShopReader.h"
#include "shop/TrimBlock.h"
#include "text/ScriptText.h"
#include "text/StringTableCodec.h"

namespace shopkeeper::shop {

namespace {

constexpr int kMaxKeyDraws = 10000;

std::string tabLine(const std::string& key)
{
    return "<5::" + key + "`商店`>\r\n";
}

// Puts block in as lines of its own just before the line that holds the first "[sell item]",
// so every section of the file stays whole.
std::string insertBeforeSellBlock(std::string text, const std::string& block)
{
    const long long at = text::findText(text, "[sell item]");
    if (at < 0)
        return text + "\r\n" + block;
    const auto tagIndex = static_cast<std::size_t>(at - 1);
    const auto lineBreak = tagIndex == 0 ? std::string::npos : text.rfind("\r\n", tagIndex - 1);
    const std::size_t lineStart = lineBreak == std::string::npos ? 0 : lineBreak + 2;
    text.insert(lineStart, block + "\r\n");
    return text;
}

} // namespace

ShopWriter::ShopWriter(std::mt19937* random) : random_(random), ownRandom_(std::random_device{}()) {}

Result<std::string> ShopWriter::newKey(const text::StringTable& table)
{
    std::mt19937& engine = random_ ? *random_ : ownRandom_;
    std::uniform_int_distribution<int> draw(100, 99999);
    for (int i = 0; i < kMaxKeyDraws; ++i) {
        auto key = "tab_name_" + std::to_string(draw(engine));
        if (!table.containsText(key))
            return key;
    }
    return fail("字符串表中已找不到可用的新页名称键，无法保存。");
}

Result<SavePlan> ShopWriter::plan(ShopDocument& document)
{
    if (!document.isBound())
        return fail("没有打开商店文件，无法保存。");

    // Page names go into a BIG5 table: refuse before anything is changed.
    for (const auto& caption : document.captions) {
        if (auto encoded = text::StringTableCodec::encode(caption); !encoded)
            return fail("页名称“" + caption + "”中的" + encoded.error().message);
    }

    // Serialise on a copy: a save that fails leaves the document as it was.
    ShopPages pages = document.pages;
    text::StringTable table = document.table;

    const std::string body = SellItemBlock::serialise(pages);
    std::string newText = text::replaceFirst(document.file.text, document.sellSection,
                                             "[sell item]\r\n" + body + "\r\n[/sell item]");

    // The kind follows the repair box; an "[item shop]" file keeps its kind.
    if (document.repairable)
        newText = text::replaceFirst(newText, "[etc shop]", "[weapon shop]");
    else
        newText = text::replaceFirst(newText, "[weapon shop]", "[etc shop]");

    std::vector<std::string> names;
    for (int k = 0; k < kPageCount; ++k) {
        if (pages[static_cast<std::size_t>(k)].rowCount() > 0)
            names.push_back(document.captions[static_cast<std::size_t>(k)]);
    }

    std::string lines;
    const bool hadBlock = !document.tabSection.empty();
    const std::size_t count = hadBlock ? document.tabKeys.size() : 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i < count && isOwnKey(document.tabKeys[i])) {
            lines += tabLine(document.tabKeys[i]);
            table.setLine(document.tabKeys[i], names[i]);
            continue;
        }
        auto key = newKey(table);
        if (!key)
            return std::unexpected(key.error());
        lines += tabLine(*key);
        table.appendLine(*key + ">" + names[i]);
    }
    const std::string block = trimBlock("[tab name]\r\n" + lines + "\r\n[/tab name]");
    if (hadBlock)
        newText = text::replaceFirst(newText, document.tabSection, block);
    else
        newText = insertBeforeSellBlock(std::move(newText), block);

    auto tableBytes = table.encoded();
    if (!tableBytes)
        return std::unexpected(tableBytes.error());

    SavePlan plan;
    plan.shopBytes = document.file.bytesFor(newText);
    plan.shopText = std::move(newText);
    plan.tableBytes = std::move(*tableBytes);
    plan.tableChanged = table.isModified();

    document.pages = std::move(pages);
    document.table = std::move(table);
    return plan;
}

Status ShopWriter::save(ShopDocument& document, const std::filesystem::path& tablePath,
                        io::FileWriter& writer)
{
    const ShopDocument before = document;
    auto restoreDocument = [&] { document = before; };

    auto planned = plan(document);
    if (!planned)
        return std::unexpected(planned.error());

    // The table first: if the shop file then fails, the old table goes back, and a shop file
    // never names page keys that the table lacks.
    auto oldTable = io::readFileBytes(tablePath);
    const bool writeTable = !oldTable || *oldTable != planned->tableBytes;
    if (writeTable) {
        if (auto ok = writer.write(tablePath, planned->tableBytes); !ok) {
            restoreDocument();
            return fail("无法写入字符串表：" + ok.error().message);
        }
    }
    if (auto ok = writer.write(document.path, planned->shopBytes); !ok) {
        if (writeTable && oldTable)
            (void)writer.write(tablePath, *oldTable);
        restoreDocument();
        return fail("无法写入商店文件：" + ok.error().message);
    }
    return {};
}

} // namespace shopkeeper::shop
