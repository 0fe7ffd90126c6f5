#pragma once

#include "core/tools/WorkspaceDiff.h"
#include "gui/windows/ToolWindow.h"

#include <filesystem>
#include <memory>

class QLineEdit;
class QPushButton;

namespace shopkeeper::gui {

// "比较工作目录": the open workspace against another folder (an update of the game's data, a
// copy): the shops that differ with how many cells, names and repair flags, the shops only one
// side has and those that cannot be read; for the shop selected, its differing cells side by side
// (this workspace | the other) with item names. A double-click on a cell opens the shop of this
// workspace there. The comparison runs off the window's thread and can be stopped.
class CompareWindow : public ToolWindow
{
    Q_OBJECT
public:
    CompareWindow(ShopSession& session, CatalogueService& catalogue, Dialogs& dialogs, QWidget* owner);

    // Asks for the other folder, then compares.
    void chooseOther();
    void compareWith(const std::filesystem::path& other);
    void stop();
    QTableView* shopTable() const { return shops_; }
    PlaceListModel* shopList() const { return shopList_; }
    QLineEdit* otherBox() const { return otherBox_; }

private:
    void showResult(std::shared_ptr<const tools::WorkspaceDiffResult> result);
    void showShop(int row);
    void setRunning(bool running);

    std::filesystem::path other_;
    std::shared_ptr<const tools::WorkspaceDiffResult> result_;
    QTableView* shops_ = nullptr;
    PlaceListModel* shopList_ = nullptr;
    QLineEdit* otherBox_ = nullptr;
    QPushButton* chooseButton_ = nullptr;
    QPushButton* compareButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
};

} // namespace shopkeeper::gui
