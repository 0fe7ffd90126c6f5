#include "gui/grid/PageGridModel.h"

#include "gui/session/ShopSession.h"
#include "gui/widgets/QtText.h"

#include <QColor>

namespace shopkeeper::gui {

PageGridModel::PageGridModel(ShopSession& session, int page, QObject* parent)
    : QAbstractTableModel(parent), session_(session), page_(page),
      rows_(session.document().page(page).rowCount())
{
    connect(&session_, &ShopSession::pageAboutToChange, this, &PageGridModel::pageAboutToChange);
    connect(&session_, &ShopSession::pageChanged, this, &PageGridModel::pageChanged);
    connect(&session_, &ShopSession::cellChanged, this, &PageGridModel::cellChanged);
    connect(&session_, &ShopSession::editableChanged, this, &PageGridModel::refreshAll);
}

const shop::ShopPage& PageGridModel::page() const
{
    return session_.document().page(page_);
}

shop::PageState PageGridModel::state() const
{
    return session_.document().pageState(page_);
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
    return session_.document().isRowShaded(page_, row);
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

void PageGridModel::pageAboutToChange(int page)
{
    if (page == page_)
        before_ = this->page();
}

void PageGridModel::pageChanged(int page)
{
    if (page != page_)
        return;
    const int oldRows = rows_;
    const int newRows = this->page().rowCount();
    if (oldRows == newRows) {
        refreshAll();
        return;
    }
    // Rows added at the bottom keep the view's cursor; anything else starts the view afresh.
    bool prefixKept = newRows > oldRows;
    for (int r = 0; prefixKept && r < oldRows; ++r)
        prefixKept =
            before_.rows()[static_cast<std::size_t>(r)] == this->page().rows()[static_cast<std::size_t>(r)];
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

void PageGridModel::cellChanged(int page, int row, int column)
{
    if (page != page_ || row >= rows_)
        return;
    const auto at = index(row, column);
    emit dataChanged(at, at);
}

void PageGridModel::refreshAll()
{
    if (rows_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, shop::kColumns - 1));
}

} // namespace shopkeeper::gui
