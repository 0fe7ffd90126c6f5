#pragma once

#include "core/history/History.h"
#include "gui/jobs/JobRunner.h"
#include "gui/windows/ToolWindow.h"

#include <memory>
#include <vector>

class QPushButton;

namespace shopkeeper::gui {

class DocumentManager;
class PlaceListModel;

// "历史记录": the saves, replaces and restores kept of the open workspace, newest first (time,
// program, shops, summary); the change of the selected one in pages, rows and columns; and its
// restore, after a question. The restore runs off the window's thread under the workspace's save
// lock, as a save does; a file changed since the entry is told, and restored only when the user
// says so. The open shop takes part as in a replace: its unsaved edits are settled first when the
// entry touches it, and it is read again afterwards.
class HistoryWindow : public ToolWindow
{
    Q_OBJECT
public:
    HistoryWindow(ShopSession& session, DocumentManager& documents, CatalogueService& catalogue,
                  Dialogs& dialogs, QWidget* owner);
    ~HistoryWindow() override;

    // Reads the list again.
    void refresh();
    // Restores the selected entry, after asking.
    void restore();
    QTableView* entryTable() const { return entries_; }
    PlaceListModel* entryList() const { return entryList_; }
    QPushButton* restoreButton() const { return restoreButton_; }
    bool isWorking() const { return reading_.isRunning() || restoring_; }

signals:
    // The list of entries, or the change of the selected one, is shown.
    void listed();
    void changeShown();
    // A restore ended; restored says whether the files were put back.
    void restoreFinished(bool restored);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Restored;
    void showEntries(std::shared_ptr<const std::vector<history::Entry>> entries);
    void showChange(int row);
    void runRestore(const history::Entry& entry, bool force, bool touchesOpenShop);
    void finishRestore(const history::Entry& entry, bool touchesOpenShop, const Restored& restored);
    std::optional<history::Entry> selectedEntry() const;

    DocumentManager& documents_;
    QTableView* entries_ = nullptr;
    PlaceListModel* entryList_ = nullptr;
    QPushButton* refreshButton_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
    std::shared_ptr<const std::vector<history::Entry>> shown_;
    bool restoring_ = false;
    // The list and a change are read on one; a restore, which must always come back, on its own.
    JobRunner reading_;
    JobRunner restorer_;
};

} // namespace shopkeeper::gui
