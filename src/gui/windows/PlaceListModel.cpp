#include "gui/windows/PlaceListModel.h"

namespace shopkeeper::gui {

PlaceListModel::PlaceListModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers))
{
}

int PlaceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(places_.size());
}

int PlaceListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant PlaceListModel::data(const QModelIndex& index, int role) const
{
    const auto* line = place(index.row());
    if (!line || index.column() >= line->texts.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return line->texts.at(index.column());
    return {};
}

QVariant PlaceListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers_.size())
        return headers_.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void PlaceListModel::setPlaces(std::vector<Place> places)
{
    beginResetModel();
    places_ = std::move(places);
    endResetModel();
}

const Place* PlaceListModel::place(int row) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= places_.size())
        return nullptr;
    return &places_[static_cast<std::size_t>(row)];
}

} // namespace shopkeeper::gui
