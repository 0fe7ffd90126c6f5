#pragma once

#include "gui/grid/GridState.h"

#include <QAbstractTableModel>
#include <QModelIndexList>
#include <QRgb>
#include <functional>

class QUndoStack;

namespace shopkeeper::gui {

// One page grid: seven columns, cells as text, "-1" in red, every second row shaded grey by
// shadeRows(). Every rule of the grid lives here and in the core page: what the user types,
// pastes or deletes goes through the numeric cell rule and, when an undo stack is set,
// becomes one undoable step. While the grid is not editable (a save is under way) it refuses
// every change from the user.
class PageGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr QRgb kShadeColour = 0xC0C0C0;

    explicit PageGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setUndoStack(QUndoStack* stack) { undo_ = stack; }
    QUndoStack* undoStack() const { return undo_; }
    void setEditable(bool editable);
    bool isEditable() const { return editable_; }
    // Gives a cell's tooltip: the name of the item it holds.
    void setNameLookup(std::function<QString(const QString&)> lookup) { nameOf_ = std::move(lookup); }

    const shop::ShopPage& page() const { return state_.page; }
    const GridState& state() const { return state_; }
    void setState(const GridState& state);
    QString cellText(int row, int column) const;
    bool isRowShaded(int row) const { return state_.shaded.at(static_cast<std::size_t>(row)); }

    // What the user does to the grid. Each is one undo step; false when nothing changed.
    bool editCell(int row, int column, const QString& text);
    bool paste(int row, int column, const QString& text);
    bool clearCells(const QModelIndexList& cells);

    // The grid operations, applied at once (callers wrap them in undo steps).
    void fill(const shop::ShopPage& page); // a read: the page, then the shading
    void setCellText(int row, int column, const QString& text);
    void appendRows(int count);
    void shadeRows();
    void clearGrid();
    void removeEmptyRows(); // rows of seven empty cells go, with their shading
    void fillEmptyCells();  // empty cells become "-1"

signals:
    // A value the cell rule refused; reason says why, for the user.
    void cellRefused(int row, int column, const QString& reason);

private:
    GridState state_;
    QUndoStack* undo_ = nullptr;
    bool editable_ = true;
    std::function<QString(const QString&)> nameOf_;
};

} // namespace shopkeeper::gui
