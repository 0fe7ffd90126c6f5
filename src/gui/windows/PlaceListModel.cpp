#include "gui/windows/PlaceListModel.h"

#include <QColor>

namespace shopkeeper::gui {

PlaceListModel::PlaceListModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers))
{
}

int PlaceListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(items_ ? items_->size() : source_.count);
}

int PlaceListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant PlaceListModel::data(const QModelIndex& index, int role) const
{
    const auto item = itemAt(index.row());
    if (item && role == Qt::ForegroundRole && source_.muted && source_.muted(*item))
        return QColor(Qt::gray);
    if (!item || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return source_.text(*item, index.column());
}

QVariant PlaceListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers_.size())
        return headers_.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void PlaceListModel::setSource(Source source, std::optional<std::vector<std::size_t>> items)
{
    beginResetModel();
    source_ = std::move(source);
    items_ = std::move(items);
    endResetModel();
}

std::optional<std::size_t> PlaceListModel::itemAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return std::nullopt;
    return items_ ? (*items_)[static_cast<std::size_t>(row)] : static_cast<std::size_t>(row);
}

std::optional<Place> PlaceListModel::place(int row) const
{
    const auto item = itemAt(row);
    if (!item)
        return std::nullopt;
    return source_.place(*item);
}

} // namespace shopkeeper::gui
