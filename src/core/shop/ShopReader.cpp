#include "shop/ShopReader.h"

#include "io/FileSystem.h"
#include "regex/RegexObject.h"
#include "shop/SellItemBlock.h"
#include "shop/TrimBlock.h"
#include "text/ScriptText.h"

namespace shopkeeper::shop {

namespace {

// The text from the first open tag through the end of the first close tag; empty when either
// is missing or the close tag comes first.
std::string section(std::string_view text, std::string_view open, std::string_view close)
{
    const long long p = text::findText(text, open);
    const long long q = text::findText(text, close);
    if (p < 0 || q < 0 || q < p)
        return {};
    const auto begin = static_cast<std::size_t>(p - 1);
    return std::string(text.substr(begin, static_cast<std::size_t>(q - 1) + close.size() - begin));
}

} // namespace

std::expected<ShopDocument, ShopReadError> ShopReader::read(const std::filesystem::path& path,
                                                            text::StringTable table)
{
    auto bytes = io::readFileBytes(path);
    if (!bytes)
        return std::unexpected(ShopReadError{bytes.error().message, {}, false});
    auto document = fromBytes(std::move(*bytes), std::move(table));
    if (document)
        document->path = path;
    return document;
}

std::expected<ShopDocument, ShopReadError> ShopReader::fromBytes(std::string bytes, text::StringTable table)
{
    ShopDocument document;
    document.file = text::ScriptTextFile::fromBytes(std::move(bytes));
    document.table = std::move(table);
    const std::string& text = document.file.text;

    document.sellSection = section(text, "[sell item]", "[/sell item]");
    if (document.sellSection.empty())
        return std::unexpected(ShopReadError{kMissingSellBlockMessage, {}, false});
    document.sellBody =
        trimBlock(text::replaceEach(document.sellSection, {{"[sell item]", ""}, {"[/sell item]", ""}}));

    auto items = SellItemBlock::read(document.sellBody);
    if (!items) {
        const bool tooMany = items.error().message == kTooManyPagesMessage;
        return std::unexpected(ShopReadError{items.error().message, document.sellBody, tooMany});
    }
    document.pages = SellItemBlock::toPages(*items);
    document.repairable = text::contains(text, "`[weapon shop]`");
    readTabNames(document);
    return document;
}

void ShopReader::readTabNames(ShopDocument& document)
{
    document.tabKeys.clear();
    document.pageNames.clear();
    document.resetCaptions();
    document.tabSection = section(document.file.text, "[tab name]", "[/tab name]");
    if (document.tabSection.empty())
        return;
    const auto block =
        trimBlock(text::replaceEach(document.tabSection, {{"[tab name]", ""}, {"[/tab name]", ""}}));
    if (block.empty())
        return;
    for (const auto& line : text::lines(block)) {
        const auto fields = text::splitText(line, "`");
        if (fields.empty()) {
            // An empty line keeps its place among the keys but names no page.
            document.tabKeys.push_back(line);
            continue;
        }
        auto key = std::string(text::trimmed(text::replaceEach(fields.front(), {{"<5::", ""}})));
        document.pageNames.push_back(document.table.lookup(key));
        document.tabKeys.push_back(std::move(key));
    }
    for (std::size_t k = 0; k < document.captions.size() && k < document.pageNames.size(); ++k) {
        if (document.pageNames[k] != "-1")
            document.captions[k] = document.pageNames[k];
    }
}

bool isOwnKey(std::string_view key)
{
    static constexpr std::string_view prefix = "tab_name_";
    const long long at = text::findText(key, prefix);
    if (at < 0)
        return false;
    std::string rest(key);
    rest.erase(static_cast<std::size_t>(at - 1), prefix.size());
    regex::RegexObject digits;
    if (!digits.create("[0-9]", rest))
        return false;
    return static_cast<std::size_t>(digits.matchCount()) == rest.size();
}

} // namespace shopkeeper::shop
