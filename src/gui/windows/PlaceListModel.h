#pragma once

#include "core/shop/ShopPage.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <vector>

namespace shopkeeper::gui {

// One line of a tool window's result list: the texts of its columns and the place it names,
// a shop file and, for a cell, the cell (page, row, column from 0).
struct Place
{
    QStringList texts;
    std::filesystem::path shopFile;
    std::optional<shop::CellAt> cell;
};

// The result list of the tool windows. A whole result goes in at once (a check of a large
// workspace has thousands of lines: a list widget filled line by line would stall the window).
class PlaceListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit PlaceListModel(QStringList headers, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setPlaces(std::vector<Place> places);
    void clear() { setPlaces({}); }
    const Place* place(int row) const;

private:
    QStringList headers_;
    std::vector<Place> places_;
};

// "3" for a count from 0 shown from 1.
inline QString ordinalText(int fromZero)
{
    return QString::number(fromZero + 1);
}

} // namespace shopkeeper::gui
