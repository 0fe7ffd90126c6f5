#include "gui/windows/PreviewWindow.h"

#include "gui/catalogue/CatalogueService.h"
#include "gui/grid/PageGridModel.h"
#include "gui/grid/PreviewGridModel.h"
#include "gui/session/ShopSession.h"
#include "gui/widgets/FramelessChrome.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/WindowPlacement.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace shopkeeper::gui {

PreviewWindow::PreviewWindow(ShopSession& session, CatalogueService& catalogue, QWidget* owner)
    : QWidget(owner, Qt::Window), session_(session), catalogue_(catalogue), owner_(owner)
{
    setObjectName(QStringLiteral("预览窗口"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(728, 513);
    auto* chrome = new FramelessChrome(this, QStringLiteral("物品名称预览"));
    // 标签1 of this window is its catalogue status; the title strip goes by another name.
    chrome->titleStrip()->setObjectName(QStringLiteral("标题标签"));

    closeButton_ = new PictureButton(PictureButton::Glyph::Close, this);
    closeButton_->setObjectName(QStringLiteral("关闭按钮Y"));
    closeButton_->setGeometry(700, 0, 25, 25);
    auto* minimise = new PictureButton(PictureButton::Glyph::Minimise, this);
    minimise->setObjectName(QStringLiteral("最小化按钮Y"));
    minimise->setGeometry(670, 0, 25, 25);
    connect(closeButton_, &PictureButton::clicked, this, &QWidget::close);
    connect(minimise, &PictureButton::clicked, this, &QWidget::showMinimized);

    statusLabel_ = new QLabel(catalogue_.statusText(), this);
    statusLabel_->setObjectName(QStringLiteral("标签1"));
    statusLabel_->setGeometry(8, 27, 300, 22);
    connect(&catalogue_, &CatalogueService::statusChanged, statusLabel_, &QLabel::setText);

    busyLabel_ = new QLabel(QStringLiteral(">"), this);
    busyLabel_->setObjectName(QStringLiteral("加载标签"));
    busyLabel_->setGeometry(596, 32, 40, 16);
    busyLabel_->hide();

    refreshButton_ = new QPushButton(QStringLiteral("刷　新"), this);
    refreshButton_->setObjectName(QStringLiteral("刷新按钮"));
    refreshButton_->setGeometry(640, 27, 80, 24);
    connect(refreshButton_, &QPushButton::clicked, this, &PreviewWindow::refresh);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("选择夹1"));
    tabs_->setGeometry(5, 53, 715, 451);
    for (int k = 0; k < 5; ++k) {
        auto* page = new QWidget();
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(2, 2, 2, 2);
        auto* model = new PreviewGridModel(this);
        auto* view = new QTableView(page);
        view->setObjectName(QStringLiteral("预览表格%1").arg(k + 1));
        view->setModel(model);
        view->horizontalHeader()->hide();
        view->verticalHeader()->hide();
        view->verticalHeader()->setMinimumSectionSize(70);
        view->verticalHeader()->setDefaultSectionSize(70);
        view->horizontalHeader()->setMinimumSectionSize(20);
        view->horizontalHeader()->setDefaultSectionSize(98);
        view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        view->setWordWrap(true);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setStyleSheet(QStringLiteral("QTableView { gridline-color: #C0C0C0; background: white; }"));
        layout->addWidget(view);
        models_[static_cast<std::size_t>(k)] = model;
        views_[static_cast<std::size_t>(k)] = view;
        tabs_->addTab(page, tabCaption(session_.pageNames()[static_cast<std::size_t>(k)]));
    }

    busyTimer_.setInterval(100);
    connect(&busyTimer_, &QTimer::timeout, this, &PreviewWindow::animate);
    connect(&job_, &PreviewFillJob::namesReady, this,
            [this](int page, int firstRow, const std::vector<QString>& names) {
                models_[static_cast<std::size_t>(page)]->setNames(firstRow, names);
            });
    connect(&job_, &PreviewFillJob::finished, this, &PreviewWindow::endRefresh);
    connect(&catalogue_, &CatalogueService::ready, this, [this] {
        if (waitingForCatalogue_)
            startFill();
    });
}

PreviewWindow::~PreviewWindow()
{
    job_.cancel();
    if (refreshing_)
        session_.setPreviewing(false);
}

void PreviewWindow::showEvent(QShowEvent* event)
{
    // Beside the main window, fully on its screen.
    if (!placed_ && owner_) {
        placed_ = true;
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
    session_.setPreviewing(true);

    // The grids lose their empty rows and show "-1" in their empty cells, as for an output.
    session_.tidyPages(QStringLiteral("预览物品"));
    for (int k = 0; k < 5; ++k) {
        tabs_->setTabText(k, tabCaption(session_.pageNames()[static_cast<std::size_t>(k)]));
        auto* model = models_[static_cast<std::size_t>(k)];
        model->clear();
        model->setRowCount(session_.model(k)->rowCount());
        model->shadeRows();
    }
    busyStep_ = 0;
    busyLabel_->setText(QStringLiteral(">"));
    busyLabel_->show();
    busyTimer_.start();
    if (catalogue_.isReady()) {
        startFill();
    } else {
        // The built-in list is still being read: the fill starts when it is there.
        waitingForCatalogue_ = true;
        catalogue_.prepare();
    }
}

void PreviewWindow::startFill()
{
    waitingForCatalogue_ = false;
    PreviewFillJob::Pages pages;
    for (int k = 0; k < 5; ++k) {
        auto& cells = pages[static_cast<std::size_t>(k)];
        for (const auto& item : session_.model(k)->page().items())
            cells.push_back(QString::fromStdString(item));
    }
    job_.start(std::move(pages), catalogue_.lookup());
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
    session_.setPreviewing(false);
    emit refreshed();
}

void PreviewWindow::closeEvent(QCloseEvent* event)
{
    // A fill still running stops at its next step; nothing is killed.
    job_.cancel();
    waitingForCatalogue_ = false;
    if (refreshing_) {
        busyTimer_.stop();
        refreshing_ = false;
        session_.setPreviewing(false);
    }
    event->accept();
}

} // namespace shopkeeper::gui
