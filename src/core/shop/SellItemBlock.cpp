#include "core/shop/SellItemBlock.h"

#include "core/shop/CellRule.h"
#include "core/text/ScriptText.h"

namespace shopkeeper::shop {

namespace {

std::unexpected<BlockError> unknownItem(int page, std::string_view item)
{
    return std::unexpected(BlockError{BlockError::Kind::UnknownFormat,
                                      std::string(kUnknownFormatMessage) + "\r\n第一个无法读取的物品：第" +
                                          std::to_string(page) + "页的“" + std::string(item) + "”"});
}

// The items of a block: the pieces between TABs. A piece between two TABs is an item even when
// empty (an empty slot: the items after it keep their places); what follows the last TAB is one
// only when it holds more than white space. The line breaks and spaces around an item (a block
// written a row a line, an indented paste) are not part of it; white space inside one is, and
// makes it no item ID. White space before the first TAB, or white space that holds a line break,
// is the layout of a block written a row a line with its lines indented, not an empty slot: an
// indented block reads as the same items as the one line a save writes.
std::vector<std::string_view> blockItems(std::string_view text)
{
    std::vector<std::string_view> out;
    // Item lists run about six bytes an item.
    out.reserve(text.size() / 6 + 1);
    std::size_t begin = 0;
    for (std::size_t tab; (tab = text.find('\t', begin)) != std::string_view::npos; begin = tab + 1) {
        const auto piece = text.substr(begin, tab - begin);
        const auto item = text::trimmed(piece);
        if (item.empty() && (begin == 0 || piece.find_first_of("\r\n") != std::string_view::npos))
            continue;
        out.push_back(item);
    }
    if (const auto rest = text::trimmed(text.substr(begin)); !rest.empty())
        out.push_back(rest);
    return out;
}

} // namespace

std::expected<std::vector<std::vector<std::string>>, BlockError> SellItemBlock::read(std::string_view text)
{
    std::vector<std::vector<std::string>> pages;
    const auto items = blockItems(text);
    if (items.empty())
        return pages;

    std::vector<std::size_t> counts(1);
    for (auto item : items) {
        if (item == "-2")
            counts.push_back(0);
        else if (!item.empty() && !isWholeNumber(item))
            return unknownItem(static_cast<int>(counts.size()), item);
        else
            ++counts.back();
    }
    if (counts.size() > static_cast<std::size_t>(kPageCount))
        return std::unexpected(BlockError{BlockError::Kind::TooManyPages, kTooManyPagesMessage});

    pages.resize(counts.size());
    for (std::size_t k = 0; k < counts.size(); ++k)
        pages[k].reserve(counts[k]);
    std::size_t page = 0;
    for (auto item : items) {
        if (item == "-2") {
            ++page;
            continue;
        }
        auto cell = cellValue(item);
        if (!cell && (cell.error() == CellRefusal::PageBreak || cell.error() == CellRefusal::TooLarge))
            return unknownItem(static_cast<int>(page + 1), item);
        // A zero the rule refuses ("00") leaves the fresh cell as it was: empty.
        pages[page].push_back(std::move(cell).value_or(std::string()));
    }
    // Nothing after the last page break is no page.
    if (pages.size() > 1 && pages.back().empty())
        pages.pop_back();
    return pages;
}

ShopPages SellItemBlock::toPages(const std::vector<std::vector<std::string>>& pageItems)
{
    ShopPages pages;
    for (std::size_t k = 0; k < pageItems.size() && k < pages.size(); ++k)
        pages[k] = ShopPage::fromItems(pageItems[k]);
    return pages;
}

std::string SellItemBlock::serialise(ShopPages& pages)
{
    int last = -1; // the last page that holds a row
    for (int k = 0; k < kPageCount; ++k) {
        auto& page = pages[static_cast<std::size_t>(k)];
        page.removeEmptyRows();
        page.fillEmptyCells();
        if (page.rowCount() > 0)
            last = k;
    }
    // Every page up to the last filled one gets its page break, an empty one too: the pages
    // keep their places, so a block read and written unedited comes out the same.
    std::string body;
    for (int k = 0; k <= last; ++k) {
        if (k > 0)
            body += "-2\t";
        for (const auto& row : pages[static_cast<std::size_t>(k)].rows()) {
            for (const auto& item : row) {
                body += item;
                body += '\t';
            }
        }
    }
    return body;
}

std::string SellItemBlock::rowsPerLine(std::string_view block)
{
    std::string out;
    int inRow = 0;
    for (const auto& item : text::splitText(block, "\t")) {
        if (item.empty())
            continue;
        if (item == "-2") {
            if (!out.empty() && out.back() != '\n')
                out += '\n';
            out += "-2\t\n";
            inRow = 0;
            continue;
        }
        out.append(item);
        out += '\t';
        if (++inRow == kColumns) {
            out += '\n';
            inRow = 0;
        }
    }
    return out;
}

} // namespace shopkeeper::shop
