#include "core/shop/ShopPage.h"

#include "core/shop/CellRule.h"
#include "core/text/ScriptText.h"

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

ShopPage ShopPage::fromRows(std::vector<Row> rows)
{
    ShopPage page;
    page.rows_ = std::move(rows);
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
    if (count > 0)
        rows_.resize(rows_.size() + static_cast<std::size_t>(count));
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

bool ShopPage::hasItems() const
{
    for (int r = 0; r < rowCount(); ++r) {
        if (!isRowEmpty(r))
            return true;
    }
    return false;
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

std::string ShopPage::copyRange(int top, int left, int bottom, int right) const
{
    std::string out;
    for (int r = top; r <= bottom && r < rowCount(); ++r) {
        for (int c = left; c <= right && c < kColumns; ++c) {
            if (c > left)
                out += '\t';
            out += cell(r, c);
        }
        out += "\r\n";
    }
    return out;
}

int ShopPage::pasteAt(int row, int column, std::string_view text)
{
    // Spreadsheets end the copied block with a line break; that last empty line is no row.
    auto lines = text::splitText(text, "\n");
    int refused = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const int r = row + static_cast<int>(i);
        const auto values = text::splitText(line, "\t");
        if (values.empty() && i + 1 == lines.size())
            break;
        if (r >= rowCount())
            appendRows(r - rowCount() + 1);
        for (std::size_t j = 0; j < values.size(); ++j) {
            const int c = column + static_cast<int>(j);
            if (c >= kColumns)
                break;
            if (!setCell(r, c, values[j]))
                ++refused;
        }
    }
    return refused;
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

bool isDefaultPageName(std::string_view name)
{
    for (int page = 1; page <= kPageCount; ++page) {
        if (name == defaultPageName(page))
            return true;
    }
    return false;
}

Status checkPageName(std::string_view name)
{
    // An empty name reads back as the page's default name: the save would not be what was asked.
    if (name.empty())
        return fail("页名称不能为空（要用默认名称请输入-1）。");
    for (const char c : name) {
        const char* what = nullptr;
        switch (c) {
        case '\r':
            what = "回车符（CR）";
            break;
        case '\n':
            what = "换行符（LF）";
            break;
        case '>':
            what = "“>”";
            break;
        case '\0':
            what = "空字符（NUL）";
            break;
        default:
            continue;
        }
        return fail("页名称不能包含" + std::string(what) + "：“" +
                    std::string(name.substr(0, name.find('\0'))) + "”");
    }
    return {};
}

std::vector<CellAt> replaceItem(ShopPages& pages, std::string_view from, std::string_view to)
{
    std::vector<CellAt> changed;
    for (int k = 0; k < kPageCount; ++k) {
        ShopPage& page = pages[static_cast<std::size_t>(k)];
        for (int r = 0; r < page.rowCount(); ++r) {
            for (int c = 0; c < kColumns; ++c) {
                if (page.cell(r, c) == from) {
                    page.setCellText(r, c, std::string(to));
                    changed.push_back({k, r, c});
                }
            }
        }
    }
    return changed;
}

} // namespace shopkeeper::shop
