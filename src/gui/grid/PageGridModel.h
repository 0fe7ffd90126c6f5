#pragma once

#include "core/shop/ShopDocument.h"

#include <QAbstractTableModel>
#include <QRgb>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace shopkeeper::gui {

class ShopSession;

// One page grid over the session's document: seven columns, cells as text, "-1" in red, grey
// rows shaded. It adapts the document for the view from the changes the session reports; what
// the user types goes to the session, which owns every change. While the session is not
// editable (a save is under way) the cells are not editable.
//
// Which rows are grey is this grid's own: a read and added rows paint every second row, and
// shading only ever paints, so a grey row stays grey when rows above it go; it moves with its
// row. That depends on the page's past, so the shading of every layout of rows the page had is
// kept, for an undo to bring back with its rows.
class PageGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr QRgb kShadeColour = 0xC0C0C0;

    PageGridModel(ShopSession& session, int page, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    ShopSession& session() const { return session_; }
    int pageIndex() const { return page_; }
    // Gives a cell's tooltip: the name of the item it holds.
    void setNameLookup(std::function<QString(const QString&)> lookup) { nameOf_ = std::move(lookup); }

    const shop::ShopPage& page() const;
    QString cellText(int row, int column) const;
    bool isRowShaded(int row) const;

private:
    void documentChanged(const shop::DocumentChange& change);
    void shade(const shop::DocumentChange& change);
    void showRows(const shop::DocumentChange& change);
    void refreshAll();

    ShopSession& session_;
    int page_;
    int rows_ = 0; // the row count the view knows
    std::vector<bool> shaded_;
    std::uint64_t layout_ = 0;
    std::unordered_map<std::uint64_t, std::vector<bool>> shadingOf_; // per layout seen
    std::function<QString(const QString&)> nameOf_;
};

} // namespace shopkeeper::gui
