#include "gui/windows/PreviewWindow.h"

#include "gui/catalogue/CatalogueService.h"
#include "gui/grid/PageGridModel.h"
#include "gui/grid/PreviewGridModel.h"
#include "gui/session/ShopSession.h"
#include "gui/session/WorkspaceSession.h"
#include "gui/settings/Settings.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/WindowPlacement.h"
#include "ui_PreviewWindow.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

namespace shopkeeper::gui {

PreviewWindow::PreviewWindow(ShopSession& session, WorkspaceSession& workspace, CatalogueService& catalogue,
                             QWidget* owner)
    : QWidget(owner, Qt::Window), FramelessWindow(this), session_(session), workspace_(workspace),
      catalogue_(catalogue), owner_(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    Ui::PreviewWindow ui;
    ui.setupUi(this);
    // 标签1 of this window is its catalogue status; the title strip goes by another name.
    setUpFrame(QStringLiteral("物品名称预览"), {QStringLiteral("关闭按钮Y"), 700},
               Picture{QStringLiteral("最小化按钮Y"), 670}, QStringLiteral("标题标签"));
    closeButton_ = closePicture();
    statusLabel_ = ui.标签1;
    busyLabel_ = ui.加载标签;
    refreshButton_ = ui.刷新按钮;
    tabs_ = ui.选择夹1;
    views_ = {ui.预览表格1, ui.预览表格2, ui.预览表格3, ui.预览表格4, ui.预览表格5};
    settings::rememberPosition(this, QStringLiteral("preview"));

    statusLabel_->setText(catalogue_.statusText());
    connect(&catalogue_, &CatalogueService::statusChanged, statusLabel_, &QLabel::setText);
    connect(refreshButton_, &QPushButton::clicked, this, &PreviewWindow::refresh);
    for (int k = 0; k < 5; ++k) {
        auto* model = new PreviewGridModel(this);
        auto* view = views_[static_cast<std::size_t>(k)];
        view->setModel(model);
        view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        models_[static_cast<std::size_t>(k)] = model;
        tabs_->setTabText(k, tabCaption(session_.pageNames()[static_cast<std::size_t>(k)]));
    }

    busyTimer_.setInterval(100);
    connect(&busyTimer_, &QTimer::timeout, this, &PreviewWindow::animate);
    connect(&job_, &PreviewFillJob::namesReady, this,
            [this](int page, int firstRow, const std::vector<QString>& names) {
                models_[static_cast<std::size_t>(page)]->setNames(firstRow, names);
            });
    connect(&job_, &PreviewFillJob::finished, this, &PreviewWindow::endRefresh);
}

PreviewWindow::~PreviewWindow()
{
    job_.cancel();
    if (refreshing_)
        workspace_.setPreviewing(false);
}

void PreviewWindow::showEvent(QShowEvent* event)
{
    // Where the user left it last time, else beside the main window; fully on a screen.
    if (!placed_ && owner_) {
        placed_ = true;
        if (!settings::restoreRememberedPosition(this, QStringLiteral("preview")))
            placeBesideOwner(this, owner_);
    }
    QWidget::showEvent(event);
}

void PreviewWindow::refresh()
{
    if (refreshing_)
        return;
    refreshing_ = true;
    refreshButton_->setEnabled(false);
    closeButton_->setEnabled(false);
    workspace_.setPreviewing(true);

    // The grids lose their empty rows and show "-1" in their empty cells, as for an output.
    session_.tidyPages(QStringLiteral("预览物品"));
    for (int k = 0; k < 5; ++k) {
        tabs_->setTabText(k, tabCaption(session_.pageNames()[static_cast<std::size_t>(k)]));
        auto* model = models_[static_cast<std::size_t>(k)];
        model->clear();
        model->setRowCount(session_.document().page(k).rowCount());
        model->shadeRows();
    }
    busyStep_ = 0;
    busyLabel_->setText(QStringLiteral(">"));
    busyLabel_->show();
    busyTimer_.start();
    // While the built-in list is still being read, the fill starts when it is there.
    catalogueWait_ =
        catalogue_.whenReady(this, [this] { job_.start(session_.document().pages(), catalogue_.lookup()); });
}

void PreviewWindow::animate()
{
    busyStep_ = (busyStep_ + 1) % 7;
    busyLabel_->setText(QString(busyStep_, QLatin1Char(' ')) + QLatin1Char('>'));
}

void PreviewWindow::endRefresh()
{
    busyTimer_.stop();
    busyLabel_->hide();
    refreshButton_->setEnabled(true);
    closeButton_->setEnabled(true);
    refreshing_ = false;
    workspace_.setPreviewing(false);
    emit refreshed();
}

void PreviewWindow::closeEvent(QCloseEvent* event)
{
    stopRefresh();
    event->accept();
}

void PreviewWindow::stopRefresh()
{
    // A fill still running stops at its next step; nothing is killed.
    job_.cancel();
    disconnect(catalogueWait_);
    if (refreshing_) {
        busyTimer_.stop();
        busyLabel_->hide();
        refreshButton_->setEnabled(true);
        closeButton_->setEnabled(true);
        refreshing_ = false;
        workspace_.setPreviewing(false);
    }
}

void PreviewWindow::clear()
{
    stopRefresh();
    for (int k = 0; k < 5; ++k) {
        models_[static_cast<std::size_t>(k)]->clear();
        tabs_->setTabText(k, tabCaption(session_.pageNames()[static_cast<std::size_t>(k)]));
    }
}

} // namespace shopkeeper::gui
