#pragma once

#include "core/shop/SaveChange.h"
#include "gui/jobs/JobRunner.h"
#include "gui/windows/ToolWindow.h"

#include <QTimer>

class QPushButton;

namespace shopkeeper::gui {

// "查看改动": what a save of the open shop would write now, as a list of the cells (page, row,
// column, old and new item with its name), the page names, the repair flag and the page-name
// table's lines. It is worked out by the writer's own dry run, from the save's plan of the shop
// as it is now against the files on disk, off the window's thread; nothing is tidied, written or
// changed. The list follows the edits while the window is open.
class SaveChangesWindow : public ToolWindow
{
    Q_OBJECT
public:
    SaveChangesWindow(ShopSession& session, CatalogueService& catalogue, Dialogs& dialogs, QWidget* owner);
    ~SaveChangesWindow() override;

    // Works the change out again.
    void refresh();
    bool isWorking() const { return runner_.isRunning(); }

signals:
    // The list shows the change as it is now (or why there is none).
    void shown();

private:
    struct Change
    {
        shop::ShopChange change;
        bool changedOnDisk = false; // another program changed the shop file since it was read
    };
    using Planned = std::expected<Change, QString>;
    void show(Planned planned);

    QPushButton* refreshButton_ = nullptr;
    QTimer edits_; // a burst of edits is worked out once
    JobRunner runner_;
};

} // namespace shopkeeper::gui
