#include "gui/windows/SearchWindow.h"

#include "core/catalogue/ItemSearch.h"
#include "gui/catalogue/CatalogueService.h"
#include "gui/settings/Settings.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/WindowPlacement.h"
#include "ui_SearchWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace shopkeeper::gui {

namespace {

// A result line keeps its ID and name beside the text it shows.
constexpr int kIdRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

void setColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

SearchWindow::SearchWindow(CatalogueService& catalogue, Dialogs& dialogs, QWidget* owner)
    : QWidget(owner, Qt::Window), FramelessWindow(this), catalogue_(catalogue), dialogs_(dialogs),
      owner_(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    Ui::SearchWindow ui;
    ui.setupUi(this);
    // 标签1 of this window is its catalogue status; the title strip goes by another name.
    setUpFrame(QStringLiteral("物品搜索"), {QStringLiteral("关闭按钮SS"), 302},
               Picture{QStringLiteral("最小化按钮SS"), 272}, QStringLiteral("标题标签"));
    statusLabel_ = ui.标签1;
    countLabel_ = ui.状态标签S;
    results_ = ui.超级列表框1;
    searchBox_ = ui.搜索编辑框;
    idBox_ = ui.ID编辑框;
    searchButton_ = ui.搜索按钮;
    settings::rememberPosition(this, QStringLiteral("search"));

    statusLabel_->setText(catalogue_.statusText());
    connect(&catalogue_, &CatalogueService::statusChanged, statusLabel_, &QLabel::setText);

    connect(searchButton_, &QPushButton::clicked, this, &SearchWindow::search);
    connect(searchBox_, &QLineEdit::returnPressed, this, &SearchWindow::search);
    connect(results_, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* item, QListWidgetItem*) { take(item); });
    connect(results_, &QListWidget::itemDoubleClicked, this, &SearchWindow::take);
    results_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(results_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        auto* item = results_->itemAt(at);
        if (!item)
            return;
        results_->setCurrentItem(item);
        QMenu menu(this);
        menu.addAction(QStringLiteral("物品出售位置"), this,
                       [this, id = item->data(kIdRole).toString()] { emit whereUsedRequested(id); });
        menu.exec(results_->viewport()->mapToGlobal(at));
    });

    connect(&job_, &ItemSearchJob::hitsFound, this, [this](const std::vector<SearchHit>& hits) {
        results_->setUpdatesEnabled(false);
        for (const auto& hit : hits) {
            auto* item = new QListWidgetItem(qs(catalogue::ItemHit{u8(hit.id), u8(hit.name)}.entryText()));
            item->setData(kIdRole, hit.id);
            item->setData(kNameRole, hit.name);
            results_->addItem(item);
        }
        results_->setUpdatesEnabled(true);
        showCount();
    });
    connect(&job_, &ItemSearchJob::questionDue, this, [this] {
        job_.answer(dialogs_.question(this, qs(catalogue::kTooManyHitsTitle),
                                      qs(catalogue::kTooManyHitsQuestion), Dialogs::Icon::Question));
    });
    connect(&job_, &ItemSearchJob::finished, this, [this] {
        // No hit: the ID of an earlier result no longer applies to what was searched.
        if (results_->count() == 0)
            idBox_->clear();
        emit searchFinished();
    });
}

SearchWindow::~SearchWindow()
{
    job_.cancel();
}

void SearchWindow::showEvent(QShowEvent* event)
{
    if (!placed_) {
        placed_ = true;
        if (!settings::restoreRememberedPosition(this, QStringLiteral("search")))
            placeBesideOwner(this, owner_);
    }
    QWidget::showEvent(event);
    searchBox_->setFocus();
}

void SearchWindow::search()
{
    const QString text = searchBox_->text();
    // At least two Chinese characters: four bytes the way the game's files count them.
    if (!catalogue::isSearchTextLongEnough(u8(text))) {
        dialogs_.message(this, qs(catalogue::kSearchTooShortTitle), qs(catalogue::kSearchTooShortMessage),
                         Dialogs::Icon::Error);
        return;
    }
    job_.cancel();
    results_->clear();
    searchText_ = text;
    setColour(countLabel_, QColor(255, 0, 0));
    countLabel_->setText(qs(catalogue::foundCountText(0)));
    disconnect(catalogueWait_);
    catalogueWait_ = catalogue_.whenReady(this, [this] {
        job_.start(searchText_, catalogue_.lookup());
        setColour(countLabel_, QColor(0, 0, 255));
    });
}

void SearchWindow::showCount()
{
    countLabel_->setText(qs(catalogue::foundCountText(static_cast<std::size_t>(results_->count()))));
}

void SearchWindow::take(QListWidgetItem* item)
{
    if (!item)
        return;
    const QString id = item->data(kIdRole).toString();
    searchBox_->setText(item->data(kNameRole).toString());
    searchBox_->setCursorPosition(0);
    idBox_->setText(id);
    QApplication::clipboard()->setText(id);
}

void SearchWindow::closeEvent(QCloseEvent* event)
{
    // A search still running stops at its next entry; nothing is killed.
    disconnect(catalogueWait_);
    job_.cancel();
    event->accept();
}

} // namespace shopkeeper::gui
