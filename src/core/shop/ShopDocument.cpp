#include "core/shop/ShopDocument.h"

#include <algorithm>

namespace shopkeeper::shop {

namespace {

bool validPage(int page)
{
    return page >= 0 && page < kPageCount;
}

std::size_t at(int page)
{
    return static_cast<std::size_t>(page);
}

} // namespace

void ShopDocument::resetCaptions()
{
    for (int k = 0; k < kPageCount; ++k)
        captions[at(k)] = defaultPageName(k + 1);
}

bool ShopDocument::isRowShaded(int page, int row) const
{
    if (!validPage(page) || row < 0)
        return false;
    const auto& rows = shading[at(page)];
    return static_cast<std::size_t>(row) < rows.size() && rows[static_cast<std::size_t>(row)];
}

PageState ShopDocument::pageState(int page) const
{
    PageState state{pages.at(at(page)), shading.at(at(page))};
    state.shaded.resize(static_cast<std::size_t>(state.page.rowCount()), false);
    return state;
}

void ShopDocument::restorePage(int page, PageState state)
{
    if (!validPage(page))
        return;
    pages[at(page)] = std::move(state.page);
    shading[at(page)] = std::move(state.shaded);
}

void ShopDocument::showPages(const ShopPages& shown)
{
    for (int k = 0; k < kPageCount; ++k) {
        pages[at(k)] = shown[at(k)];
        shading[at(k)].assign(static_cast<std::size_t>(shown[at(k)].rowCount()), false);
        shadeRows(k);
    }
}

void ShopDocument::shadeRows(int page)
{
    if (!validPage(page))
        return;
    auto& rows = shading[at(page)];
    rows.resize(static_cast<std::size_t>(pages[at(page)].rowCount()), false);
    for (std::size_t r = 1; r < rows.size(); r += 2)
        rows[r] = true;
}

std::expected<bool, CellRefusal> ShopDocument::setCell(int page, CellPosition cell, std::string_view typed)
{
    if (!validPage(page) || cell.row < 0 || cell.row >= pages[at(page)].rowCount() || cell.column < 0 ||
        cell.column >= kColumns)
        return false;
    auto value = cellValue(typed);
    if (!value)
        return std::unexpected(value.error());
    if (pages[at(page)].cell(cell.row, cell.column) == *value)
        return false;
    pages[at(page)].setCellText(cell.row, cell.column, std::move(*value));
    return true;
}

void ShopDocument::setCellText(int page, CellPosition cell, std::string text)
{
    if (validPage(page) && cell.row >= 0 && cell.row < pages[at(page)].rowCount())
        pages[at(page)].setCellText(cell.row, cell.column, std::move(text));
}

int ShopDocument::paste(int page, CellPosition cell, std::string_view text)
{
    if (!validPage(page))
        return 0;
    const int refused =
        pages[at(page)].pasteAt(std::max(cell.row, 0), std::clamp(cell.column, 0, kColumns - 1), text);
    shadeRows(page);
    return refused;
}

void ShopDocument::clearCells(int page, const std::vector<CellPosition>& cells)
{
    for (const auto& cell : cells)
        setCellText(page, cell, {});
}

void ShopDocument::addRows(int page, int count)
{
    if (!validPage(page))
        return;
    pages[at(page)].appendRows(count);
    shadeRows(page);
}

void ShopDocument::clearPage(int page)
{
    if (!validPage(page))
        return;
    pages[at(page)].clear();
    shading[at(page)].clear();
}

void ShopDocument::clearAllPages()
{
    for (int k = 0; k < kPageCount; ++k)
        clearPage(k);
}

void ShopDocument::tidy()
{
    for (int k = 0; k < kPageCount; ++k) {
        auto& page = pages[at(k)];
        auto& rows = shading[at(k)];
        rows.resize(static_cast<std::size_t>(page.rowCount()), false);
        for (int r = page.rowCount() - 1; r >= 0; --r) {
            if (page.isRowEmpty(r)) {
                page.removeRow(r);
                rows.erase(rows.begin() + r);
            }
        }
        page.fillEmptyCells();
    }
}

std::optional<CellPosition> ShopDocument::fillSelectedCell(int page, CellPosition cursor,
                                                           std::string_view text)
{
    if (!validPage(page) || cursor.row < 0 || cursor.row >= pages[at(page)].rowCount() || cursor.column < 0 ||
        cursor.column >= kColumns)
        return std::nullopt;
    if (!pages[at(page)].cell(cursor.row, cursor.column).empty())
        return std::nullopt;
    if (!setCell(page, cursor, text))
        return std::nullopt;
    if (cursor.column < kColumns - 1)
        return CellPosition{cursor.row, cursor.column + 1};
    if (cursor.row + 1 < pages[at(page)].rowCount())
        return CellPosition{cursor.row + 1, 0};
    return cursor;
}

std::vector<CellAt> ShopDocument::replaceItem(std::string_view from, std::string_view to)
{
    return shop::replaceItem(pages, from, to);
}

Result<std::string> pageNameFromInput(int page, std::string_view typed)
{
    if (typed == "-1")
        return defaultPageName(page);
    if (auto ok = checkPageName(typed); !ok)
        return std::unexpected(ok.error());
    return std::string(typed);
}

} // namespace shopkeeper::shop
