#pragma once

#include "core/shop/ShopPage.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace shopkeeper::gui {

// The place a line of a tool window names: a shop file and, for a cell, the cell (page, row,
// column from 0); for a problem of a page as a whole, that page.
struct Place
{
    std::filesystem::path shopFile;
    std::optional<shop::CellAt> cell;
    std::optional<int> page;

    // The page to show: the cell's, else the page named.
    std::optional<int> pageToShow() const { return cell ? std::optional(cell->page) : page; }
};

// The result list of the tool windows, over a tool's result as it came from the job. Nothing
// is copied or formatted up front: a check of a large workspace finds tens of thousands of
// problems, and only the lines on screen are ever turned into text. A filter is the list of the
// items to show.
class PlaceListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The items of one result; the functions keep the result alive.
    struct Source
    {
        std::size_t count = 0;
        std::function<QString(std::size_t item, int column)> text;
        std::function<Place(std::size_t item)> place;
        // Lines of less weight (an empty slot filled as a matter of form) are shown grey; optional.
        std::function<bool(std::size_t item)> muted;
    };

    explicit PlaceListModel(QStringList headers, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Shows every item of source, or only items (positions in source) when given.
    void setSource(Source source, std::optional<std::vector<std::size_t>> items = std::nullopt);
    void clear() { setSource({}); }
    std::optional<Place> place(int row) const;

private:
    std::optional<std::size_t> itemAt(int row) const;

    QStringList headers_;
    Source source_;
    std::optional<std::vector<std::size_t>> items_;
};

// "3" for a count from 0 shown from 1.
inline QString ordinalText(int fromZero)
{
    return QString::number(fromZero + 1);
}

} // namespace shopkeeper::gui
