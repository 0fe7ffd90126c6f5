#include "core/shop/ShopDocument.h"

#include <algorithm>
#include <atomic>
#include <numeric>
#include <utility>

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

// Layout numbers are unique across documents, which are made on any thread.
std::uint64_t newLayout()
{
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

// The first kept rows where they were, then new rows up to count.
std::vector<int> keptRows(int kept, int count)
{
    std::vector<int> rows(static_cast<std::size_t>(std::max(count, 0)), -1);
    std::iota(rows.begin(), rows.begin() + std::min(kept, count), 0);
    return rows;
}

bool inPage(const ShopPage& page, CellPosition cell)
{
    return cell.row >= 0 && cell.row < page.rowCount() && cell.column >= 0 && cell.column < kColumns;
}

DocumentChanges cellChange(int page, std::vector<CellPosition> cells)
{
    if (cells.empty())
        return {};
    return {DocumentChange{DocumentChange::Kind::Cells, page, std::move(cells), {}, 0}};
}

} // namespace

PageNames ShopSource::defaultPageNames()
{
    PageNames names;
    for (int k = 0; k < kPageCount; ++k)
        names[at(k)] = defaultPageName(k + 1);
    return names;
}

ShopDocument::ShopDocument()
{
    for (auto& layout : layouts_)
        layout = newLayout();
}

ShopDocument::ShopDocument(ShopSource source, ShopPages pages, PageNames names, bool repairable)
    : source_(std::move(source)), pages_(std::move(pages)), names_(std::move(names)), repairable_(repairable)
{
    for (auto& layout : layouts_)
        layout = newLayout();
}

PageSnapshot ShopDocument::snapshot(int page) const
{
    return {pages_.at(at(page)), layouts_.at(at(page))};
}

DocumentChange ShopDocument::rowsChange(int page, std::vector<int> rowsFrom, std::vector<CellPosition> cells)
{
    layouts_[at(page)] = newLayout();
    return {DocumentChange::Kind::Rows, page, std::move(cells), std::move(rowsFrom), layouts_[at(page)]};
}

DocumentChange ShopDocument::resetChange(int page, const ShopPage& before)
{
    const auto& now = pages_[at(page)];
    std::vector<int> rowsFrom(static_cast<std::size_t>(now.rowCount()), -1);
    for (int r = 0; r < now.rowCount() && r < before.rowCount(); ++r) {
        if (before.rows()[at(r)] != now.rows()[at(r)])
            break;
        rowsFrom[at(r)] = r;
    }
    return {DocumentChange::Kind::PageReset, page, {}, std::move(rowsFrom), layouts_[at(page)]};
}

std::expected<DocumentChanges, CellRefusal> ShopDocument::setCell(int page, CellPosition cell,
                                                                  std::string_view typed)
{
    if (!validPage(page) || !inPage(pages_[at(page)], cell))
        return DocumentChanges{};
    auto value = cellValue(typed);
    if (!value)
        return std::unexpected(value.error());
    if (pages_[at(page)].cell(cell.row, cell.column) == *value)
        return DocumentChanges{};
    pages_[at(page)].setCellText(cell.row, cell.column, std::move(*value));
    return cellChange(page, {cell});
}

DocumentChanges ShopDocument::paste(int page, CellPosition cell, std::string_view text, int& refused)
{
    refused = 0;
    if (!validPage(page))
        return {};
    auto& target = pages_[at(page)];
    const ShopPage before = target;
    refused = target.pasteAt(std::max(cell.row, 0), std::clamp(cell.column, 0, kColumns - 1), text);
    if (target == before)
        return {};
    std::vector<CellPosition> cells;
    for (int r = 0; r < before.rowCount(); ++r) {
        for (int c = 0; c < kColumns; ++c) {
            if (before.cell(r, c) != target.cell(r, c))
                cells.push_back({r, c});
        }
    }
    return {rowsChange(page, keptRows(before.rowCount(), target.rowCount()), std::move(cells))};
}

DocumentChanges ShopDocument::clearCells(int page, const std::vector<CellPosition>& cells)
{
    if (!validPage(page))
        return {};
    std::vector<CellPosition> cleared;
    for (const auto& cell : cells) {
        if (inPage(pages_[at(page)], cell) && !pages_[at(page)].cell(cell.row, cell.column).empty()) {
            pages_[at(page)].setCellText(cell.row, cell.column, {});
            cleared.push_back(cell);
        }
    }
    return cellChange(page, std::move(cleared));
}

DocumentChanges ShopDocument::addRows(int page, int count)
{
    if (!validPage(page) || count <= 0)
        return {};
    const int before = pages_[at(page)].rowCount();
    pages_[at(page)].appendRows(count);
    return {rowsChange(page, keptRows(before, before + count))};
}

DocumentChanges ShopDocument::clearPage(int page)
{
    if (!validPage(page) || pages_[at(page)].rowCount() == 0)
        return {};
    pages_[at(page)].clear();
    return {rowsChange(page, {})};
}

DocumentChanges ShopDocument::clearAllPages()
{
    DocumentChanges changes;
    for (int k = 0; k < kPageCount; ++k) {
        auto cleared = clearPage(k);
        changes.insert(changes.end(), cleared.begin(), cleared.end());
    }
    return changes;
}

DocumentChanges ShopDocument::tidy()
{
    DocumentChanges changes;
    for (int k = 0; k < kPageCount; ++k) {
        auto& page = pages_[at(k)];
        std::vector<int> rowsFrom;
        std::vector<ShopPage::Row> rows;
        for (int r = 0; r < page.rowCount(); ++r) {
            if (!page.isRowEmpty(r)) {
                rowsFrom.push_back(r);
                rows.push_back(page.rows()[at(r)]);
            }
        }
        const bool rowsWent = static_cast<int>(rows.size()) != page.rowCount();
        std::vector<CellPosition> filled;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < kColumns; ++c) {
                if (rows[r][at(c)].empty())
                    filled.push_back({static_cast<int>(r), c});
            }
        }
        if (!rowsWent && filled.empty())
            continue;
        page = ShopPage::fromRows(std::move(rows));
        page.fillEmptyCells();
        if (rowsWent)
            changes.push_back(rowsChange(k, std::move(rowsFrom), std::move(filled)));
        else
            changes.push_back(cellChange(k, std::move(filled)).front());
    }
    return changes;
}

std::optional<ShopDocument::Fill> ShopDocument::fillSelectedCell(int page, CellPosition cursor,
                                                                 std::string_view text)
{
    if (!validPage(page) || !inPage(pages_[at(page)], cursor))
        return std::nullopt;
    if (!pages_[at(page)].cell(cursor.row, cursor.column).empty())
        return std::nullopt;
    auto changes = setCell(page, cursor, text);
    if (!changes)
        return std::nullopt;
    CellPosition next = cursor;
    if (cursor.column < kColumns - 1)
        next = {cursor.row, cursor.column + 1};
    else if (cursor.row + 1 < pages_[at(page)].rowCount())
        next = {cursor.row + 1, 0};
    return Fill{next, std::move(*changes)};
}

DocumentChanges ShopDocument::replaceItem(std::string_view from, std::string_view to)
{
    DocumentChanges changes;
    for (const auto& cell : shop::replaceItem(pages_, from, to)) {
        if (changes.empty() || changes.back().page != cell.page)
            changes.push_back({DocumentChange::Kind::Cells, cell.page, {}, {}, 0});
        changes.back().cells.push_back({cell.row, cell.column});
    }
    return changes;
}

Result<DocumentChanges> ShopDocument::rename(const PageNames& typed)
{
    PageNames names = names_;
    for (int k = 0; k < kPageCount; ++k) {
        if (typed[at(k)] == names_[at(k)])
            continue;
        auto name = pageNameFromInput(k + 1, typed[at(k)]);
        if (!name)
            return std::unexpected(name.error());
        names[at(k)] = std::move(*name);
    }
    return restoreNames(names);
}

DocumentChanges ShopDocument::setRepairable(bool on)
{
    if (on == repairable_)
        return {};
    repairable_ = on;
    return {DocumentChange{DocumentChange::Kind::Repair, -1, {}, {}, 0}};
}

DocumentChanges ShopDocument::showPages(const ShopPages& shown)
{
    DocumentChanges changes;
    for (int k = 0; k < kPageCount; ++k) {
        const ShopPage before = std::exchange(pages_[at(k)], shown[at(k)]);
        layouts_[at(k)] = newLayout();
        changes.push_back(resetChange(k, before));
    }
    return changes;
}

DocumentChanges ShopDocument::forgetSource()
{
    source_ = ShopSource{};
    auto changes = restoreNames(ShopSource::defaultPageNames());
    auto flag = setRepairable(false);
    changes.insert(changes.end(), flag.begin(), flag.end());
    return changes;
}

DocumentChanges ShopDocument::replaceWith(ShopDocument other)
{
    DocumentChanges changes;
    for (int k = 0; k < kPageCount; ++k) {
        const ShopPage before = std::exchange(pages_[at(k)], std::move(other.pages_[at(k)]));
        layouts_[at(k)] = newLayout();
        changes.push_back(resetChange(k, before));
    }
    source_ = std::move(other.source_);
    auto names = restoreNames(other.names_);
    auto flag = setRepairable(other.repairable_);
    changes.insert(changes.end(), names.begin(), names.end());
    changes.insert(changes.end(), flag.begin(), flag.end());
    return changes;
}

DocumentChanges ShopDocument::takeWritten(ShopDocument written)
{
    DocumentChanges changes;
    for (int k = 0; k < kPageCount; ++k) {
        if (written.pages_[at(k)] == pages_[at(k)])
            continue;
        const ShopPage before = std::exchange(pages_[at(k)], std::move(written.pages_[at(k)]));
        layouts_[at(k)] = newLayout();
        changes.push_back(resetChange(k, before));
    }
    source_ = std::move(written.source_);
    auto names = restoreNames(written.names_);
    auto flag = setRepairable(written.repairable_);
    changes.insert(changes.end(), names.begin(), names.end());
    changes.insert(changes.end(), flag.begin(), flag.end());
    return changes;
}

DocumentChanges ShopDocument::restorePage(int page, PageSnapshot snapshot)
{
    if (!validPage(page))
        return {};
    const ShopPage before = std::exchange(pages_[at(page)], std::move(snapshot.page));
    layouts_[at(page)] = snapshot.layout;
    return {resetChange(page, before)};
}

DocumentChanges ShopDocument::restoreCell(int page, CellPosition cell, std::string text)
{
    if (!validPage(page) || !inPage(pages_[at(page)], cell) ||
        pages_[at(page)].cell(cell.row, cell.column) == text)
        return {};
    pages_[at(page)].setCellText(cell.row, cell.column, std::move(text));
    return cellChange(page, {cell});
}

DocumentChanges ShopDocument::restoreNames(const PageNames& names)
{
    if (names == names_)
        return {};
    names_ = names;
    return {DocumentChange{DocumentChange::Kind::Names, -1, {}, {}, 0}};
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
