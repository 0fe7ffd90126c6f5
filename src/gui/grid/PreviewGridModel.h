#pragma once

#include <QAbstractTableModel>
#include <vector>

namespace shopkeeper::gui {

// One grid of the item-name preview: seven columns of names, not editable, centred, every
// second row shaded like the item grids.
class PreviewGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit PreviewGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void clear();
    void setRowCount(int rows);
    void shadeRows();
    // Names of whole rows, from row first on.
    void setNames(int firstRow, const std::vector<QString>& names);
    QString name(int row, int column) const;
    bool isRowShaded(int row) const { return shaded_.at(static_cast<std::size_t>(row)); }

private:
    std::vector<QString> cells_; // row-major, seven per row
    std::vector<bool> shaded_;
};

} // namespace shopkeeper::gui
