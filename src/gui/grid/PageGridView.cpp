#include "gui/grid/PageGridView.h"

#include "gui/grid/PageGridModel.h"
#include "gui/session/ShopSession.h"
#include "gui/widgets/QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QToolTip>

namespace shopkeeper::gui {

namespace {

std::optional<shop::CellPosition> cellOf(const QModelIndex& index)
{
    if (!index.isValid())
        return std::nullopt;
    return shop::CellPosition{index.row(), index.column()};
}

} // namespace

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
    setEditable(true);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setTabKeyNavigation(true);
    setWordWrap(true);
    connect(&model_->session(), &ShopSession::cellRefused, this,
            [this](int page, int row, int column, const QString& reason) {
                if (page == model_->pageIndex())
                    showRefusal(row, column, reason);
            });
    // Through the session's own connection: a grid going after it tells it nothing.
    auto& session = model_->session();
    connect(selectionModel(), &QItemSelectionModel::currentChanged, &session,
            [&session, page = model_->pageIndex()](const QModelIndex& at) {
                session.setCursor(page, cellOf(at));
            });
    // A page read afresh leaves the grid without a cursor, which a selection model does not tell.
    connect(model_, &QAbstractItemModel::modelReset, this,
            [this, &session] { session.setCursor(model_->pageIndex(), cellOf(currentIndex())); });
    connect(&session, &ShopSession::cursorChanged, this, [this](int page) {
        if (page == model_->pageIndex())
            followCursor();
    });
}

void PageGridView::setEditable(bool editable)
{
    setEditTriggers(editable ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::AnyKeyPressed
                             : QAbstractItemView::NoEditTriggers);
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
    model_->session().paste(model_->pageIndex(), {row, column}, QApplication::clipboard()->text());
    if (model_->rowCount() > 0)
        setCurrentIndex(model_->index(std::min(row, model_->rowCount() - 1), column));
}

void PageGridView::clearSelectedCells()
{
    std::vector<shop::CellPosition> cells;
    for (const auto& cell : selectionModel()->selectedIndexes())
        cells.push_back({cell.row(), cell.column()});
    model_->session().clearCells(model_->pageIndex(), cells);
}

void PageGridView::followCursor()
{
    const auto at = model_->session().cursor(model_->pageIndex());
    const QModelIndex wanted = at ? model_->index(at->row, at->column) : QModelIndex();
    if (wanted != currentIndex())
        setCurrentIndex(wanted);
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
