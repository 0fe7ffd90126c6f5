#pragma once

#include "gui/jobs/ItemSearchJob.h"
#include "gui/widgets/FramelessWindow.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace shopkeeper::gui {

class CatalogueService;
class Dialogs;

// The item search: finds item IDs by part of a name, over the user's table first and then the
// built-in list, and hands the chosen ID over on the clipboard. The search runs on a worker
// and the list grows as it goes; a new search or closing the window stops the one running.
class SearchWindow : public QWidget, public FramelessWindow
{
    Q_OBJECT
public:
    SearchWindow(CatalogueService& catalogue, Dialogs& dialogs, QWidget* owner);
    ~SearchWindow() override;

    void search();
    bool isSearching() const { return job_.isRunning() || catalogueWait_; }
    QListWidget* results() const { return results_; }

signals:
    void searchFinished();
    // The user asked where the selected result's item is sold.
    void whereUsedRequested(const QString& id);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showCount();
    void take(QListWidgetItem* item);

    CatalogueService& catalogue_;
    Dialogs& dialogs_;
    QWidget* owner_;
    ItemSearchJob job_;
    QString searchText_;
    QMetaObject::Connection catalogueWait_; // a search waiting for the built-in list
    bool placed_ = false;
    QListWidget* results_ = nullptr;
    QLineEdit* searchBox_ = nullptr;
    QLineEdit* idBox_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QLabel* statusLabel_ = nullptr;
};

} // namespace shopkeeper::gui
