#include "gui/grid/PageGridView.h"

#include "gui/grid/PageGridModel.h"
#include "gui/widgets/QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QToolTip>

namespace shopkeeper::gui {

PageGridView::PageGridView(PageGridModel* model, QWidget* parent) : QTableView(parent), model_(model)
{
    setModel(model);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(24);
    verticalHeader()->setDefaultSectionSize(24);
    // The seven columns share the grid's width, so no white strip is left beside the last one.
    horizontalHeader()->setMinimumSectionSize(20);
    horizontalHeader()->setDefaultSectionSize(92);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    setShowGrid(true);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: #C0C0C0; background: white; }"));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setTabKeyNavigation(true);
    setWordWrap(true);
    connect(model_, &PageGridModel::cellRefused, this, &PageGridView::showRefusal);
}

void PageGridView::keyPressEvent(QKeyEvent* event)
{
    if (state() != QAbstractItemView::EditingState) {
        if (event->matches(QKeySequence::Copy)) {
            copySelection();
            return;
        }
        if (event->matches(QKeySequence::Paste)) {
            paste();
            return;
        }
        if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
            clearSelectedCells();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void PageGridView::copySelection()
{
    const auto ranges = selectionModel()->selection();
    if (ranges.isEmpty())
        return;
    const auto& range = ranges.first();
    QApplication::clipboard()->setText(
        qs(model_->page().copyRange(range.top(), range.left(), range.bottom(), range.right())));
}

void PageGridView::paste()
{
    const QModelIndex at = currentIndex();
    const int row = at.isValid() ? at.row() : 0;
    const int column = at.isValid() ? at.column() : 0;
    model_->paste(row, column, QApplication::clipboard()->text());
    if (model_->rowCount() > 0)
        setCurrentIndex(model_->index(std::min(row, model_->rowCount() - 1), column));
}

void PageGridView::clearSelectedCells()
{
    model_->clearCells(selectionModel()->selectedIndexes());
}

bool PageGridView::fillSelectedCell(const QString& text)
{
    const QModelIndex at = currentIndex();
    if (!at.isValid())
        return false;
    if (!model_->cellText(at.row(), at.column()).isEmpty())
        return false; // a filled cell is never overwritten
    if (!model_->editCell(at.row(), at.column(), text))
        return false;
    if (at.column() < model_->columnCount() - 1)
        setCurrentIndex(model_->index(at.row(), at.column() + 1));
    else if (at.row() + 1 < model_->rowCount())
        setCurrentIndex(model_->index(at.row() + 1, 0));
    return true;
}

void PageGridView::showRefusal(int row, int column, const QString& reason)
{
    lastRefusal_ = reason;
    emit refusalShown(reason);
    // Shown once the cell's editor has closed: the focus coming back would hide it at once.
    QTimer::singleShot(0, this, [this, row, column, reason] {
        if (model_->rowCount() == 0)
            return;
        const QRect cell = visualRect(model_->index(std::min(row, model_->rowCount() - 1), column));
        QToolTip::showText(viewport()->mapToGlobal(cell.bottomLeft()), reason, viewport(), QRect(), 5000);
    });
}

} // namespace shopkeeper::gui
