#pragma once

#include "gui/windows/ToolWindow.h"

class QLineEdit;
class QPushButton;

namespace shopkeeper::gui {

// "物品出售位置": every cell of every NPC shop that sells one item, as NPC, shop, page (its
// name), row and column. A double-click on a line opens that shop at the cell.
class WhereUsedWindow : public ToolWindow
{
    Q_OBJECT
public:
    WhereUsedWindow(ShopSession& session, CatalogueService& catalogue, Dialogs& dialogs, QWidget* owner);

    // Puts id into the ID box and looks for it.
    void findItem(const QString& id);
    // Looks for the item in the ID box.
    void find();
    QLineEdit* idBox() const { return idBox_; }

private:
    void showUses(const std::shared_ptr<const tools::WhereUsedResult>& result);
    void showName();

    QLineEdit* idBox_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QPushButton* findButton_ = nullptr;
};

} // namespace shopkeeper::gui
