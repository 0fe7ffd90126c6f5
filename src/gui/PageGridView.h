#pragma once

#include "PageGridModel.h"

#include <QTableView>

namespace shopkeeper::gui {

// The grid control of one page: no header cells, rows 24 and columns 92 pixels, grey grid
// lines, editable in place. Ctrl+C copies the selected cells as TAB-separated text, Ctrl+V
// pastes such text from the cursor cell on (adding rows as needed), Delete clears the
// selected cells; each is one undo step.
class PageGridView : public QTableView
{
    Q_OBJECT
public:
    PageGridView(PageGridModel* model, QWidget* parent);

    PageGridModel* gridModel() const { return model_; }

    void copySelection();
    void paste();
    void clearSelection();

    // Puts text into the cursor cell when that cell is empty, then moves the cursor to the next
    // cell: along the row, then to the first cell of the next row; at the last cell it stays.
    bool fillSelectedCell(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    PageGridModel* model_;
};

} // namespace shopkeeper::gui
