#pragma once

#include "core/shop/ShopDocument.h"

#include <QAbstractTableModel>
#include <QRgb>
#include <functional>

namespace shopkeeper::gui {

class ShopSession;

// One page grid over the session's document: seven columns, cells as text, "-1" in red, the
// document's grey rows shaded. It only adapts the document for the view; what the user types
// goes to the session, which owns every change. While the session is not editable (a save is
// under way) the cells are not editable.
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
    shop::PageState state() const;
    QString cellText(int row, int column) const;
    bool isRowShaded(int row) const;

private:
    void pageAboutToChange(int page);
    void pageChanged(int page);
    void cellChanged(int page, int row, int column);
    void refreshAll();

    ShopSession& session_;
    int page_;
    int rows_ = 0;          // the row count the view knows
    shop::ShopPage before_; // the page as it was when a change began
    std::function<QString(const QString&)> nameOf_;
};

} // namespace shopkeeper::gui
