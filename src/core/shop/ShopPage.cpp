#include "shop/ShopPage.h"

#include "shop/CellRule.h"

#include <stdexcept>

namespace shopkeeper::shop {

ShopPage ShopPage::fromItems(const std::vector<std::string>& items)
{
    ShopPage page;
    const auto count = static_cast<int>(items.size());
    page.appendRows(count == 0 ? 1 : (count + kColumns - 1) / kColumns);
    for (int j = 0; j < count; ++j)
        page.rows_[static_cast<std::size_t>(j / kColumns)][static_cast<std::size_t>(j % kColumns)] =
            items[static_cast<std::size_t>(j)];
    return page;
}

const std::string& ShopPage::cell(int row, int column) const
{
    return rows_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
}

bool ShopPage::setCell(int row, int column, std::string_view text)
{
    auto value = normaliseCell(text);
    if (!value)
        return false;
    setCellText(row, column, std::move(*value));
    return true;
}

void ShopPage::setCellText(int row, int column, std::string text)
{
    rows_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) = std::move(text);
}

void ShopPage::appendRows(int count)
{
    for (int i = 0; i < count; ++i)
        rows_.emplace_back();
}

void ShopPage::insertRow(int at, Row row)
{
    if (at < 0 || at > rowCount())
        throw std::out_of_range("row out of range");
    rows_.insert(rows_.begin() + at, std::move(row));
}

void ShopPage::removeRow(int at)
{
    if (at < 0 || at >= rowCount())
        throw std::out_of_range("row out of range");
    rows_.erase(rows_.begin() + at);
}

bool ShopPage::isRowEmpty(int row) const
{
    for (const auto& cellText : rows_.at(static_cast<std::size_t>(row))) {
        if (!cellText.empty())
            return false;
    }
    return true;
}

void ShopPage::removeEmptyRows()
{
    for (int r = rowCount() - 1; r >= 0; --r) {
        if (isRowEmpty(r))
            removeRow(r);
    }
}

void ShopPage::fillEmptyCells()
{
    for (auto& row : rows_) {
        for (auto& cellText : row) {
            if (cellText.empty())
                cellText = "-1";
        }
    }
}

std::vector<std::string> ShopPage::items() const
{
    std::vector<std::string> out;
    out.reserve(rows_.size() * kColumns);
    for (const auto& row : rows_)
        out.insert(out.end(), row.begin(), row.end());
    return out;
}

std::string defaultPageName(int page)
{
    static const char* const names[kPageCount] = {"第一页", "第二页", "第三页", "第四页", "第五页"};
    if (page < 1 || page > kPageCount)
        return {};
    return names[page - 1];
}

} // namespace shopkeeper::shop
