#include "gui/grid/PreviewGridModel.h"

#include "core/shop/ShopPage.h"
#include "gui/grid/PageGridModel.h"

#include <QColor>

namespace shopkeeper::gui {

PreviewGridModel::PreviewGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int PreviewGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shaded_.size());
}

int PreviewGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shop::kColumns;
}

QString PreviewGridModel::name(int row, int column) const
{
    return cells_.at(static_cast<std::size_t>(row * shop::kColumns + column));
}

QVariant PreviewGridModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return name(index.row(), index.column());
    case Qt::BackgroundRole:
        return QColor(isRowShaded(index.row()) ? QColor(PageGridModel::kShadeColour) : QColor(Qt::white));
    case Qt::ForegroundRole:
        return QColor(Qt::black);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignCenter);
    default:
        return {};
    }
}

Qt::ItemFlags PreviewGridModel::flags(const QModelIndex& index) const
{
    return checkIndex(index, CheckIndexOption::IndexIsValid) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                                             : Qt::NoItemFlags;
}

void PreviewGridModel::clear()
{
    beginResetModel();
    cells_.clear();
    shaded_.clear();
    endResetModel();
}

void PreviewGridModel::setRowCount(int rows)
{
    const int old = rowCount();
    if (rows == old)
        return;
    if (rows > old) {
        beginInsertRows({}, old, rows - 1);
        cells_.resize(static_cast<std::size_t>(rows * shop::kColumns));
        shaded_.resize(static_cast<std::size_t>(rows), false);
        endInsertRows();
    } else {
        beginRemoveRows({}, rows, old - 1);
        cells_.resize(static_cast<std::size_t>(rows * shop::kColumns));
        shaded_.resize(static_cast<std::size_t>(rows));
        endRemoveRows();
    }
}

void PreviewGridModel::shadeRows()
{
    for (std::size_t r = 1; r < shaded_.size(); r += 2)
        shaded_[r] = true;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, shop::kColumns - 1), {Qt::BackgroundRole});
}

void PreviewGridModel::setNames(int firstRow, const std::vector<QString>& names)
{
    const std::size_t begin = static_cast<std::size_t>(firstRow * shop::kColumns);
    const std::size_t count = std::min(names.size(), cells_.size() - std::min(begin, cells_.size()));
    if (count == 0)
        return;
    std::copy_n(names.begin(), count, cells_.begin() + static_cast<std::ptrdiff_t>(begin));
    const int lastRow = firstRow + static_cast<int>((count - 1) / shop::kColumns);
    emit dataChanged(index(firstRow, 0), index(lastRow, shop::kColumns - 1), {Qt::DisplayRole});
}

} // namespace shopkeeper::gui
