#pragma once

#include "core/shop/ShopPage.h"
#include "gui/jobs/WorkspaceToolJob.h"
#include "gui/widgets/FramelessWindow.h"
#include "gui/windows/PlaceListModel.h"

#include <QWidget>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QTableView;

namespace shopkeeper::gui {

class CatalogueService;
class Dialogs;
class ShopSession;

// What the workspace tool windows share: a result list of places in a table, a status line
// that shows the tool's progress as "n / N", the job the tool runs on, and a double-click on a
// line that asks the main window to open that place. Each opens where it was last left, else
// beside the main window clear of the other secondary windows. The windows only start the core's tools
// and show what they find; the rules are the core's.
class ToolWindow : public QWidget, public FramelessWindow
{
    Q_OBJECT
public:
    ~ToolWindow() override;

    QTableView* table() const { return table_; }
    PlaceListModel* places() const { return places_; }
    QLabel* statusLabel() const { return status_; }
    bool isBusy() const { return job_.isRunning(); }
    // Opens the place of a line, as a double-click does.
    void choose(int row);

signals:
    // The user wants to see this shop, on the page and at the cell the place names.
    void placeChosen(const gui::Place& place);
    // A run has ended and its result is shown (or its failure told).
    void finished();

protected:
    // positionName: the name the window's place is remembered by.
    ToolWindow(ShopSession& session, CatalogueService& catalogue, Dialogs& dialogs, QWidget* owner,
               const QString& positionName);

    // Takes the form's table and status line; the columns get the headers and widths given.
    void setUpResults(QTableView* table, QLabel* status, const QStringList& headers,
                      const QList<int>& widths);
    void showProgress(const QString& doing, int done, int total);
    // Sizes every column but the last to what its header and its lines in sight need; together
    // they leave the last column a third of the table at least.
    void fitColumnsToContents();
    // The lines NPC, shop, page name, row, column of the cells in uses.
    static PlaceListModel::Source usesSource(std::shared_ptr<const std::vector<tools::ItemUse>> uses);
    // The item's name by the catalogue: "" for no ID, and nothing until the catalogue is ready.
    QString itemName(const QString& id) const;
    // Tells the user an ID field holds no item ID; false then.
    bool checkItemId(const QString& text, std::string& id);
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    ShopSession& session_;
    CatalogueService& catalogue_;
    Dialogs& dialogs_;
    WorkspaceToolJob job_;

private:
    QWidget* owner_;
    QString positionName_;
    bool placed_ = false;
    QTableView* table_ = nullptr;
    QLabel* status_ = nullptr;
    PlaceListModel* places_ = nullptr;
};

} // namespace shopkeeper::gui
