#include "gui/windows/SearchWindow.h"

#include "core/catalogue/ItemSearch.h"
#include "gui/catalogue/CatalogueService.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FramelessChrome.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/WindowPlacement.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace shopkeeper::gui {

namespace {

const QString kSeparator = QStringLiteral("---");

void setColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

SearchWindow::SearchWindow(CatalogueService& catalogue, Dialogs& dialogs, QWidget* owner)
    : QWidget(owner, Qt::Window), catalogue_(catalogue), dialogs_(dialogs), owner_(owner)
{
    setObjectName(QStringLiteral("搜索窗口"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(330, 422);
    auto* chrome = new FramelessChrome(this, QStringLiteral("物品搜索"));
    // 标签1 of this window is its catalogue status; the title strip goes by another name.
    chrome->titleStrip()->setObjectName(QStringLiteral("标题标签"));

    auto* close = new PictureButton(PictureButton::Glyph::Close, this);
    close->setObjectName(QStringLiteral("关闭按钮SS"));
    close->setGeometry(302, 0, 25, 25);
    auto* minimise = new PictureButton(PictureButton::Glyph::Minimise, this);
    minimise->setObjectName(QStringLiteral("最小化按钮SS"));
    minimise->setGeometry(272, 0, 25, 25);
    connect(close, &PictureButton::clicked, this, &QWidget::close);
    connect(minimise, &PictureButton::clicked, this, &QWidget::showMinimized);

    statusLabel_ = new QLabel(catalogue_.statusText(), this);
    statusLabel_->setObjectName(QStringLiteral("标签1"));
    statusLabel_->setGeometry(7, 29, 205, 16);
    connect(&catalogue_, &CatalogueService::statusChanged, statusLabel_, &QLabel::setText);
    countLabel_ = new QLabel(this);
    countLabel_->setObjectName(QStringLiteral("状态标签S"));
    countLabel_->setGeometry(217, 29, 108, 16);

    results_ = new QListWidget(this);
    results_->setObjectName(QStringLiteral("超级列表框1"));
    results_->setGeometry(5, 47, 319, 312);
    results_->setUniformItemSizes(true);

    auto* nameLabel = new QLabel(QStringLiteral("物品名:"), this);
    nameLabel->setObjectName(QStringLiteral("标签6"));
    nameLabel->setGeometry(8, 365, 58, 20);
    searchBox_ = new QLineEdit(this);
    searchBox_->setObjectName(QStringLiteral("搜索编辑框"));
    searchBox_->setGeometry(68, 363, 198, 24);
    auto* idLabel = new QLabel(QStringLiteral("物品ID:"), this);
    idLabel->setObjectName(QStringLiteral("标签7"));
    idLabel->setGeometry(8, 393, 58, 20);
    idBox_ = new QLineEdit(this);
    idBox_->setObjectName(QStringLiteral("ID编辑框"));
    idBox_->setGeometry(68, 391, 198, 24);
    searchButton_ = new QPushButton(QStringLiteral("搜索"), this);
    searchButton_->setObjectName(QStringLiteral("搜索按钮"));
    searchButton_->setGeometry(272, 365, 48, 48);

    connect(searchButton_, &QPushButton::clicked, this, &SearchWindow::search);
    connect(searchBox_, &QLineEdit::returnPressed, this, &SearchWindow::search);
    connect(results_, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* item, QListWidgetItem*) { take(item); });
    connect(results_, &QListWidget::itemDoubleClicked, this, &SearchWindow::take);

    connect(&job_, &ItemSearchJob::hitsFound, this, [this](const std::vector<SearchHit>& hits) {
        results_->setUpdatesEnabled(false);
        for (const auto& hit : hits)
            results_->addItem(hit.id + kSeparator + hit.name);
        results_->setUpdatesEnabled(true);
        showCount();
    });
    connect(&job_, &ItemSearchJob::questionDue, this, [this] {
        job_.answer(dialogs_.question(this, qs(catalogue::kTooManyHitsTitle),
                                      qs(catalogue::kTooManyHitsQuestion), Dialogs::Icon::Question));
    });
    connect(&job_, &ItemSearchJob::finished, this, &SearchWindow::searchFinished);
    connect(&catalogue_, &CatalogueService::ready, this, [this] {
        if (waitingForCatalogue_)
            startSearch();
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
    if (catalogue_.isReady()) {
        startSearch();
    } else {
        waitingForCatalogue_ = true;
        catalogue_.prepare();
    }
}

void SearchWindow::startSearch()
{
    waitingForCatalogue_ = false;
    job_.start(searchText_, catalogue_.lookup());
    setColour(countLabel_, QColor(0, 0, 255));
}

void SearchWindow::showCount()
{
    countLabel_->setText(qs(catalogue::foundCountText(static_cast<std::size_t>(results_->count()))));
}

void SearchWindow::take(QListWidgetItem* item)
{
    if (!item)
        return;
    const QString entry = item->text();
    const auto cut = entry.indexOf(kSeparator);
    if (cut < 0)
        return;
    const QString id = entry.left(cut);
    searchBox_->setText(entry.mid(cut + kSeparator.size()));
    searchBox_->setCursorPosition(0);
    idBox_->setText(id);
    QApplication::clipboard()->setText(id);
}

void SearchWindow::closeEvent(QCloseEvent* event)
{
    // A search still running stops at its next entry; nothing is killed.
    waitingForCatalogue_ = false;
    job_.cancel();
    event->accept();
}

} // namespace shopkeeper::gui
