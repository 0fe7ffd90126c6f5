#pragma once

#include "gui/jobs/PreviewFillJob.h"
#include "gui/widgets/FramelessWindow.h"

#include <QTimer>
#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace shopkeeper::gui {

class CatalogueService;
class PictureButton;
class PreviewGridModel;
class ShopSession;
class WorkspaceSession;

// The item-name preview: the five pages of the open shop with item names in place of IDs,
// laid out like the item grids. It fills when the user presses 刷新按钮; the names are looked
// up on a worker while a busy label turns, and closing the window stops that work.
class PreviewWindow : public QWidget, public FramelessWindow
{
    Q_OBJECT
public:
    PreviewWindow(ShopSession& session, WorkspaceSession& workspace, CatalogueService& catalogue,
                  QWidget* owner);
    ~PreviewWindow() override;

    void refresh();
    // Empty grids and the open shop's tab captions, as when the window opens: what it showed
    // belonged to another shop (another workspace). A refresh under way stops.
    void clear();
    bool isRefreshing() const { return refreshing_; }
    PreviewGridModel* model(int page) const { return models_.at(static_cast<std::size_t>(page)); }

signals:
    void refreshed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void stopRefresh();
    void endRefresh();
    void animate();

    ShopSession& session_;
    WorkspaceSession& workspace_;
    CatalogueService& catalogue_;
    QWidget* owner_;
    PreviewFillJob job_;
    QTimer busyTimer_;
    int busyStep_ = 0;
    bool refreshing_ = false;
    QMetaObject::Connection catalogueWait_; // a fill waiting for the built-in list
    bool placed_ = false;
    QTabWidget* tabs_ = nullptr;
    QPushButton* refreshButton_ = nullptr;
    PictureButton* closeButton_ = nullptr;
    QLabel* busyLabel_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    std::array<PreviewGridModel*, 5> models_{};
    std::array<QTableView*, 5> views_{};
};

} // namespace shopkeeper::gui
