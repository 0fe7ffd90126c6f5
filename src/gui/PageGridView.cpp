#include "PageGridView.h"

#include "GridCommands.h"
#include "QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>

namespace shopkeeper::gui {

PageGridView::PageGridView(PageGridModel* model, QWidget* parent) : QTableView(parent), model_(model)
{
    setModel(model);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(24);
    verticalHeader()->setDefaultSectionSize(24);
    horizontalHeader()->setMinimumSectionSize(20);
    horizontalHeader()->setDefaultSectionSize(92);
    setShowGrid(true);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: #C0C0C0; background: white; }"));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setTabKeyNavigation(true);
    setWordWrap(true);
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
            clearSelection();
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
    QModelIndex at = currentIndex();
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    const int row = at.isValid() ? at.row() : 0;
    const int column = at.isValid() ? at.column() : 0;
    recordGridChange(model_->undoStack(), QStringLiteral("粘贴"), {model_}, [&] {
        GridState state = model_->state();
        state.page.pasteAt(row, column, u8(text));
        state.shaded.resize(static_cast<std::size_t>(state.page.rowCount()), false);
        model_->setState(state);
        model_->shadeRows();
    });
    if (model_->rowCount() > 0)
        setCurrentIndex(model_->index(std::min(row, model_->rowCount() - 1), column));
}

void PageGridView::clearSelection()
{
    const auto indexes = selectionModel()->selectedIndexes();
    if (indexes.isEmpty())
        return;
    recordGridChange(model_->undoStack(), QStringLiteral("删除"), {model_}, [&] {
        GridState state = model_->state();
        for (const auto& index : indexes)
            state.page.setCellText(index.row(), index.column(), {});
        model_->setState(state);
    });
}

bool PageGridView::fillSelectedCell(const QString& text)
{
    const QModelIndex at = currentIndex();
    if (!at.isValid())
        return false;
    if (!model_->cellText(at.row(), at.column()).isEmpty())
        return false; // a filled cell is never overwritten
    if (!model_->setData(at, text, Qt::EditRole))
        return false;
    if (at.column() < shop::kColumns - 1)
        setCurrentIndex(model_->index(at.row(), at.column() + 1));
    else if (at.row() + 1 < model_->rowCount())
        setCurrentIndex(model_->index(at.row() + 1, 0));
    return true;
}

} // namespace shopkeeper::gui
