#include "gui/grid/PageGridModel.h"

#include "gui/session/ShopSession.h"
#include "gui/widgets/QtText.h"

#include <QColor>

namespace shopkeeper::gui {

namespace {

// Every second row (1, 3, 5, ...) painted grey; the others as they were.
void paintStripes(std::vector<bool>& shaded)
{
    for (std::size_t r = 1; r < shaded.size(); r += 2)
        shaded[r] = true;
}

} // namespace

PageGridModel::PageGridModel(ShopSession& session, int page, QObject* parent)
    : QAbstractTableModel(parent), session_(session), page_(page),
      rows_(session.document().page(page).rowCount()), shaded_(static_cast<std::size_t>(rows_), false),
      layout_(session.document().snapshot(page).layout)
{
    paintStripes(shaded_);
    connect(&session_, &ShopSession::documentChanged, this, &PageGridModel::documentChanged);
    connect(&session_, &ShopSession::editableChanged, this, &PageGridModel::refreshAll);
}

const shop::ShopPage& PageGridModel::page() const
{
    return session_.document().page(page_);
}

int PageGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int PageGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shop::kColumns;
}

QString PageGridModel::cellText(int row, int column) const
{
    if (row < 0 || row >= page().rowCount())
        return {};
    return qs(page().cell(row, column));
}

bool PageGridModel::isRowShaded(int row) const
{
    return row >= 0 && static_cast<std::size_t>(row) < shaded_.size() &&
           shaded_[static_cast<std::size_t>(row)];
}

QVariant PageGridModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const QString text = cellText(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text;
    case Qt::ForegroundRole:
        return QColor(text == QStringLiteral("-1") ? Qt::red : Qt::black);
    case Qt::BackgroundRole:
        return QColor(isRowShaded(index.row()) ? QColor(kShadeColour) : QColor(Qt::white));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignCenter);
    case Qt::ToolTipRole:
        if (!nameOf_ || text.isEmpty() || text == QStringLiteral("-1"))
            return {};
        return nameOf_(text);
    default:
        return {};
    }
}

bool PageGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::EditRole)
        return false;
    session_.editCell(page_, {index.row(), index.column()}, value.toString());
    return true;
}

Qt::ItemFlags PageGridModel::flags(const QModelIndex& index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (session_.isEditable())
        flags |= Qt::ItemIsEditable;
    return flags;
}

void PageGridModel::documentChanged(const shop::DocumentChange& change)
{
    using Kind = shop::DocumentChange::Kind;
    if (change.page != page_)
        return;
    if (change.kind == Kind::Cells) {
        for (const auto& cell : change.cells) {
            if (cell.row < rows_)
                emit dataChanged(index(cell.row, cell.column), index(cell.row, cell.column));
        }
        return;
    }
    if (change.kind == Kind::Rows || change.kind == Kind::PageReset) {
        shade(change);
        showRows(change);
    }
}

void PageGridModel::shade(const shop::DocumentChange& change)
{
    shadingOf_[layout_] = shaded_;
    layout_ = change.layout;
    const auto known = shadingOf_.find(change.layout);
    if (change.kind == shop::DocumentChange::Kind::PageReset) {
        // An undo brings its layout's rows back with their shading; a read starts afresh.
        if (known != shadingOf_.end()) {
            shaded_ = known->second;
        } else {
            shaded_.assign(change.rowsFrom.size(), false);
            paintStripes(shaded_);
        }
    } else {
        // Each row keeps its shade; added rows and a paste paint the page again, rows going do not.
        std::vector<bool> moved(change.rowsFrom.size(), false);
        int kept = 0;
        for (std::size_t r = 0; r < moved.size(); ++r) {
            const int from = change.rowsFrom[r];
            if (from >= 0) {
                ++kept;
                moved[r] = static_cast<std::size_t>(from) < shaded_.size() &&
                           shaded_[static_cast<std::size_t>(from)];
            }
        }
        shaded_ = std::move(moved);
        if (kept == rows_)
            paintStripes(shaded_);
    }
    shaded_.resize(static_cast<std::size_t>(page().rowCount()), false);
    shadingOf_[layout_] = shaded_;
}

void PageGridModel::showRows(const shop::DocumentChange& change)
{
    const int oldRows = rows_;
    const int newRows = page().rowCount();
    if (oldRows == newRows) {
        refreshAll();
        return;
    }
    // Rows added at the bottom keep the view's cursor; anything else starts the view afresh.
    bool prefixKept = newRows > oldRows;
    for (int r = 0; prefixKept && r < oldRows; ++r)
        prefixKept = change.rowsFrom[static_cast<std::size_t>(r)] == r;
    for (const auto& cell : change.cells)
        prefixKept = prefixKept && cell.row >= oldRows;
    if (prefixKept) {
        beginInsertRows({}, oldRows, newRows - 1);
        rows_ = newRows;
        endInsertRows();
        if (oldRows > 0)
            emit dataChanged(index(0, 0), index(oldRows - 1, shop::kColumns - 1));
        return;
    }
    beginResetModel();
    rows_ = newRows;
    endResetModel();
}

void PageGridModel::refreshAll()
{
    if (rows_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, shop::kColumns - 1));
}

} // namespace shopkeeper::gui
