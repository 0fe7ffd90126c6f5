#pragma once

#include "shop/ShopPage.h"

#include <QAbstractTableModel>
#include <QRgb>
#include <vector>

class QUndoStack;

namespace shopkeeper::gui {

// What one grid holds: the page and which rows are painted grey. Shading only ever paints, so
// a grey row stays grey when rows above it go; it moves with its row.
struct GridState
{
    shop::ShopPage page;
    std::vector<bool> shaded;
    bool operator==(const GridState&) const = default;
};

// One page grid: seven columns, cells as text, "-1" in red, every second row shaded grey by
// shadeRows(). Cell edits from the view go through the numeric cell rule and, when an undo
// stack is set, become undoable steps.
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

    const shop::ShopPage& page() const { return state_.page; }
    const GridState& state() const { return state_; }
    void setState(const GridState& state);
    QString cellText(int row, int column) const;
    bool isRowShaded(int row) const { return state_.shaded.at(static_cast<std::size_t>(row)); }

    // The grid operations, applied at once (callers wrap them in undo steps).
    void fill(const shop::ShopPage& page); // a read: the page, then the shading
    void setCellText(int row, int column, const QString& text);
    void appendRows(int count);
    void shadeRows();
    void clearGrid();
    void removeEmptyRows(); // rows of seven empty cells go, with their shading
    void fillEmptyCells();  // empty cells become "-1"

private:
    GridState state_;
    QUndoStack* undo_ = nullptr;
};

} // namespace shopkeeper::gui
