#include "gui/grid/PageGridModel.h"

#include "core/shop/CellRule.h"
#include "gui/grid/CellEditCommand.h"
#include "gui/grid/GridStateCommand.h"
#include "gui/widgets/QtText.h"

#include <QColor>
#include <QUndoStack>

namespace shopkeeper::gui {

PageGridModel::PageGridModel(QObject* parent) : QAbstractTableModel(parent)
{
    // A new grid has one empty row.
    state_.page.appendRows(1);
    state_.shaded.push_back(false);
}

int PageGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : state_.page.rowCount();
}

int PageGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shop::kColumns;
}

QString PageGridModel::cellText(int row, int column) const
{
    return qs(state_.page.cell(row, column));
}

QVariant PageGridModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cellText(index.row(), index.column());
    case Qt::ForegroundRole:
        return QColor(state_.page.cell(index.row(), index.column()) == "-1" ? Qt::red : Qt::black);
    case Qt::BackgroundRole:
        return QColor(isRowShaded(index.row()) ? QColor(kShadeColour) : QColor(Qt::white));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignCenter);
    case Qt::ToolTipRole: {
        const QString id = cellText(index.row(), index.column());
        if (!nameOf_ || id.isEmpty() || id == QStringLiteral("-1"))
            return {};
        return nameOf_(id);
    }
    default:
        return {};
    }
}

bool PageGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::EditRole)
        return false;
    editCell(index.row(), index.column(), value.toString());
    return true;
}

Qt::ItemFlags PageGridModel::flags(const QModelIndex& index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (editable_)
        flags |= Qt::ItemIsEditable;
    return flags;
}

void PageGridModel::setEditable(bool editable)
{
    if (editable_ == editable)
        return;
    editable_ = editable;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, shop::kColumns - 1));
}

bool PageGridModel::editCell(int row, int column, const QString& text)
{
    if (!editable_ || row < 0 || row >= rowCount() || column < 0 || column >= shop::kColumns)
        return false;
    const std::string typed = u8(text);
    const auto checked = shop::cellValue(typed);
    if (!checked) {
        emit cellRefused(row, column, qs(shop::cellRefusalMessage(checked.error(), typed)));
        return false;
    }
    const QString before = cellText(row, column);
    const QString after = qs(*checked);
    if (before == after)
        return false;
    if (undo_)
        undo_->push(new CellEditCommand(this, row, column, before, after));
    else
        setCellText(row, column, after);
    return true;
}

bool PageGridModel::paste(int row, int column, const QString& text)
{
    if (!editable_ || text.isEmpty())
        return false;
    int refused = 0;
    const bool changed = GridStateCommand::record(undo_, QStringLiteral("粘贴"), {this}, [&] {
        GridState state = state_;
        refused = state.page.pasteAt(std::max(row, 0), std::clamp(column, 0, shop::kColumns - 1), u8(text));
        state.shaded.resize(static_cast<std::size_t>(state.page.rowCount()), false);
        setState(state);
        shadeRows();
    });
    if (refused > 0)
        emit cellRefused(row, column, QStringLiteral("有 %1 个值不是物品ID，没有粘贴。").arg(refused));
    return changed;
}

bool PageGridModel::clearCells(const QModelIndexList& cells)
{
    if (!editable_ || cells.isEmpty())
        return false;
    return GridStateCommand::record(undo_, QStringLiteral("删除"), {this}, [&] {
        GridState state = state_;
        for (const auto& cell : cells) {
            if (cell.row() < state.page.rowCount())
                state.page.setCellText(cell.row(), cell.column(), {});
        }
        setState(state);
    });
}

void PageGridModel::setCellText(int row, int column, const QString& text)
{
    state_.page.setCellText(row, column, u8(text));
    const auto at = index(row, column);
    emit dataChanged(at, at);
}

void PageGridModel::setState(const GridState& state)
{
    const int oldRows = rowCount();
    const int newRows = state.page.rowCount();
    if (oldRows == newRows) {
        state_ = state;
        if (newRows > 0)
            emit dataChanged(index(0, 0), index(newRows - 1, shop::kColumns - 1));
        return;
    }
    // Rows added at the bottom keep the view's cursor; anything else starts the view afresh.
    bool prefixKept = newRows > oldRows;
    for (int r = 0; prefixKept && r < oldRows; ++r)
        prefixKept =
            state.page.rows()[static_cast<std::size_t>(r)] == state_.page.rows()[static_cast<std::size_t>(r)];
    if (prefixKept) {
        beginInsertRows({}, oldRows, newRows - 1);
        state_ = state;
        endInsertRows();
        if (oldRows > 0)
            emit dataChanged(index(0, 0), index(oldRows - 1, shop::kColumns - 1));
        return;
    }
    beginResetModel();
    state_ = state;
    endResetModel();
}

void PageGridModel::fill(const shop::ShopPage& page)
{
    GridState state;
    state.page = page;
    state.shaded.assign(static_cast<std::size_t>(page.rowCount()), false);
    setState(state);
    shadeRows();
}

void PageGridModel::appendRows(int count)
{
    GridState state = state_;
    state.page.appendRows(count);
    state.shaded.resize(static_cast<std::size_t>(state.page.rowCount()), false);
    setState(state);
}

void PageGridModel::shadeRows()
{
    GridState state = state_;
    for (std::size_t r = 1; r < state.shaded.size(); r += 2)
        state.shaded[r] = true;
    setState(state);
}

void PageGridModel::removeEmptyRows()
{
    GridState state = state_;
    for (int r = state.page.rowCount() - 1; r >= 0; --r) {
        if (state.page.isRowEmpty(r)) {
            state.page.removeRow(r);
            state.shaded.erase(state.shaded.begin() + r);
        }
    }
    setState(state);
}

void PageGridModel::fillEmptyCells()
{
    GridState state = state_;
    state.page.fillEmptyCells();
    setState(state);
}

void PageGridModel::clearGrid()
{
    setState(GridState{});
}

} // namespace shopkeeper::gui
