#include "core/shop/ShopReader.h"

#include "core/io/FileSystem.h"
#include "core/shop/SellItemBlock.h"
#include "core/shop/ShopWriter.h"
#include "core/shop/TrimBlock.h"
#include "core/text/ScriptText.h"

#include <algorithm>
#include <random>

namespace shopkeeper::shop {

namespace {

std::unexpected<ShopReadError> readError(ShopReadError::Kind kind, std::string message, std::string body = {})
{
    const bool tooMany = kind == ShopReadError::Kind::TooManyPages;
    return std::unexpected(ShopReadError{kind, std::move(message), std::move(body), tooMany});
}

std::string sectionText(std::string_view text, const std::optional<SectionRange>& range)
{
    if (!range)
        return {};
    return std::string(text.substr(range->begin, range->end - range->begin));
}

void readTabNamesFrom(ShopSource& source, const ShopPages& pages, PageNames& captions,
                      const text::StringTable& table)
{
    captions = ShopSource::defaultPageNames();
    source.tabSection =
        sectionText(source.file.text, findSection(source.file.text, "[tab name]", "[/tab name]"));
    if (!source.tabSection.empty()) {
        const auto block =
            trimBlock(text::replaceEach(source.tabSection, {{"[tab name]", ""}, {"[/tab name]", ""}}));
        // The tab lines name the pages that hold items, in page order: the save writes one line
        // for each such page, so a page left empty takes no line and the next page's name
        // follows on.
        std::size_t page = 0;
        auto nextPage = [&] {
            while (page < pages.size() && !pages[page].hasItems())
                ++page;
        };
        // The keys first, then their names looked up together: one decoding for the shop's lines.
        const auto tabLines = text::lines(block);
        std::vector<std::optional<std::string>> keys;
        std::vector<std::string> named;
        for (const auto& line : tabLines) {
            const auto fields = text::splitText(line, "`");
            if (fields.empty()) {
                keys.emplace_back();
                continue;
            }
            keys.emplace_back(text::trimmed(text::replaceEach(fields.front(), {{"<5::", ""}})));
            named.push_back(*keys.back());
        }
        auto names = table.lookupAll(named);
        auto nextName = names.begin();
        for (std::size_t i = 0; i < tabLines.size(); ++i) {
            if (!keys[i]) {
                // An empty line keeps its place among the keys but names no page.
                source.tabKeys.push_back(tabLines[i]);
                continue;
            }
            auto key = std::move(*keys[i]);
            auto name = std::move(*nextName++);
            nextPage();
            if (page < pages.size()) {
                source.pageKeys[page] = key;
                if (name)
                    captions[page] = *name;
                ++page;
            }
            source.pageNames.push_back(std::move(name));
            source.tabKeys.push_back(std::move(key));
        }
    }
    source.readNames = captions;
}

} // namespace

std::optional<SectionRange> findSection(std::string_view text, std::string_view open, std::string_view close)
{
    const long long p = text::findText(text, open);
    const long long q = text::findText(text, close);
    if (p < 0 || q < 0 || q < p)
        return std::nullopt;
    return SectionRange{static_cast<std::size_t>(p - 1), static_cast<std::size_t>(q - 1) + close.size()};
}

std::expected<ShopDocument, ShopReadError> ShopReader::open(const std::filesystem::path& path,
                                                            const std::filesystem::path& tablePath)
{
    auto table = text::StringTable::readOrEmpty(tablePath);
    if (!table)
        return readError(ShopReadError::Kind::TableUnreadable,
                         "无法读取商店的页名称表，商店没有打开（否则保存会丢失其他商店的页名称）：\r\n" +
                             table.error().message);
    return read(path, std::move(*table));
}

std::expected<ShopDocument, ShopReadError> ShopReader::read(const std::filesystem::path& path,
                                                            text::StringTable table)
{
    auto bytes = io::readFileBytes(path);
    if (!bytes)
        return readError(bytes.error().isMissing() ? ShopReadError::Kind::Missing
                                                   : ShopReadError::Kind::Unreadable,
                         bytes.error().message);
    const auto fingerprint = io::fingerprintOf(path, *bytes);
    auto document = fromBytes(std::move(*bytes), std::move(table));
    if (document) {
        document->source().path = path;
        document->source().fingerprint = fingerprint;
    }
    return document;
}

std::expected<ShopDocument, ShopReadError> ShopReader::parse(std::string bytes,
                                                             const text::StringTable& table)
{
    ShopSource source;
    source.file = text::ScriptTextFile::fromBytes(std::move(bytes));
    const std::string& text = source.file.text;

    const auto sell = findSection(text, "[sell item]", "[/sell item]");
    if (!sell)
        return readError(ShopReadError::Kind::NoSellBlock, kMissingSellBlockMessage);
    if (const auto tab = findSection(text, "[tab name]", "[/tab name]");
        tab && tab->begin < sell->end && sell->begin < tab->end)
        return readError(ShopReadError::Kind::OverlappingBlocks, kOverlappingBlocksMessage);
    source.sellSection = sectionText(text, sell);
    source.sellBody =
        trimBlock(text::replaceEach(source.sellSection, {{"[sell item]", ""}, {"[/sell item]", ""}}));

    auto items = SellItemBlock::read(source.sellBody);
    if (!items) {
        const auto kind = items.error().tooManyPages() ? ShopReadError::Kind::TooManyPages
                                                       : ShopReadError::Kind::UnknownFormat;
        return readError(kind, items.error().message, source.sellBody);
    }
    auto pages = SellItemBlock::toPages(*items);
    const bool repairable = text::contains(text, "`[weapon shop]`");
    source.readRepairable = repairable;
    PageNames names;
    readTabNamesFrom(source, pages, names, table);
    return ShopDocument(std::move(source), std::move(pages), std::move(names), repairable);
}

std::expected<ShopDocument, ShopReadError> ShopReader::fromBytes(std::string bytes, text::StringTable table)
{
    auto document = parse(std::move(bytes), table);
    if (!document)
        return document;

    // Try a save without edits: a file it would change in meaning is not opened, so no save
    // of it can happen. The path only has to be non-empty; nothing is written.
    document->source().path = "shop";
    std::mt19937 random(1);
    ShopWriter writer(&random);
    const auto plan = writer.plan(*document, table, ShopWriter::PlanUse::ProofOnly);
    document->source().path.clear();
    if (!plan && plan.error().kind == SaveError::Kind::WouldChangeMeaning)
        return readError(ShopReadError::Kind::WouldNotRoundTrip,
                         "这个商店文件的结构不规范，保存后其内容会改变，因此无法读取：\r\n" +
                             plan.error().message);
    document->source().table = std::move(table);
    return document;
}

bool isOwnKey(std::string_view key)
{
    static constexpr std::string_view prefix = "tab_name_";
    const long long at = text::findText(key, prefix);
    if (at < 0)
        return false;
    std::string rest(key);
    rest.erase(static_cast<std::size_t>(at - 1), prefix.size());
    // Every byte an ASCII digit: what counting the matches of "[0-9]" against the length tells,
    // without compiling a pattern for every key.
    return std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace shopkeeper::shop
