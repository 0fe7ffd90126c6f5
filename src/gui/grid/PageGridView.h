#pragma once

#include <QTableView>

namespace shopkeeper::gui {

class PageGridModel;

// The grid control of one page: no header cells, rows 24 pixels high and the seven columns
// sharing the width, grey grid lines, editable in place. Ctrl+C copies the selected cells as
// TAB-separated text; Ctrl+V and Delete go to the session, whose document owns every rule.
// A value the model refuses is explained in a tooltip at the cell. The grid's current cell is
// its page's cursor in the session: the grid tells the session where it is and follows it.
class PageGridView : public QTableView
{
    Q_OBJECT
public:
    PageGridView(PageGridModel* model, QWidget* parent);

    PageGridModel* gridModel() const { return model_; }

    // Whether a double click or a key opens a cell's editor.
    void setEditable(bool editable);

    void copySelection();
    void paste();
    void clearSelectedCells();

    // The last refusal shown, for the status of the window.
    const QString& lastRefusal() const { return lastRefusal_; }

signals:
    void refusalShown(const QString& reason);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void followCursor();
    void showRefusal(int row, int column, const QString& reason);

    PageGridModel* model_;
    QString lastRefusal_;
};

} // namespace shopkeeper::gui
