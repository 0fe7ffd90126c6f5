#include "gui/windows/CompareWindow.h"

#include "gui/catalogue/CatalogueService.h"
#include "gui/session/ShopSession.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/QtText.h"
#include "gui/windows/ChangeLines.h"
#include "ui_CompareWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <algorithm>

namespace shopkeeper::gui {

namespace {

// A line of the shop list: a differing shop (its index in differing), or one of the others.
struct ShopLine
{
    enum class Kind
    {
        Differing,
        OnlyHere,
        OnlyThere,
        Unreadable
    };
    Kind kind;
    std::size_t index;
};

} // namespace

CompareWindow::CompareWindow(ShopSession& session, CatalogueService& catalogue, Dialogs& dialogs,
                             QWidget* owner)
    : ToolWindow(session, catalogue, dialogs, owner, QStringLiteral("compare"))
{
    Ui::CompareWindow ui;
    ui.setupUi(this);
    setUpFrame(QStringLiteral("比较工作目录"), {QStringLiteral("关闭按钮D"), width() - 28},
               Picture{QStringLiteral("最小化按钮D"), width() - 58});
    shops_ = ui.商店表格;
    otherBox_ = ui.目录编辑框;
    chooseButton_ = ui.选择按钮;
    compareButton_ = ui.比较按钮;
    stopButton_ = ui.停止按钮;
    setUpResults(ui.结果表格, ui.状态标签,
                 ChangeLines::headers(false, QStringLiteral("本目录"), QStringLiteral("对方目录")),
                 {150, 270});

    shopList_ = new PlaceListModel({QStringLiteral("商店"), QStringLiteral("差异")}, this);
    shops_->setModel(shopList_);
    shops_->setSelectionBehavior(QAbstractItemView::SelectRows);
    shops_->setSelectionMode(QAbstractItemView::SingleSelection);
    shops_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    shops_->setWordWrap(false);
    shops_->verticalHeader()->hide();
    shops_->verticalHeader()->setDefaultSectionSize(22);
    shops_->horizontalHeader()->setStretchLastSection(true);
    shops_->horizontalHeader()->setHighlightSections(false);
    shops_->setColumnWidth(0, 200);
    connect(shops_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { showShop(current.row()); });
    // A shop's line opens it as it is, on its first page.
    connect(shops_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (const auto place = shopList_->place(index.row()); place && !place->shopFile.empty())
            emit placeChosen(*place);
    });

    connect(chooseButton_, &QPushButton::clicked, this, &CompareWindow::chooseOther);
    connect(compareButton_, &QPushButton::clicked, this, [this] {
        if (other_.empty())
            chooseOther();
        else
            compareWith(other_);
    });
    connect(stopButton_, &QPushButton::clicked, this, &CompareWindow::stop);
    connect(&job_, &WorkspaceToolJob::progress, this,
            [this](int done, int total) { showProgress(QStringLiteral("正在比较"), done, total); });
    connect(&job_, &WorkspaceToolJob::compared, this,
            [this](const std::shared_ptr<const tools::WorkspaceDiffResult>& result) {
                setRunning(false);
                showResult(result);
                emit finished();
            });
    connect(&job_, &WorkspaceToolJob::failed, this, [this] { setRunning(false); });
    connect(&catalogue_, &CatalogueService::ready, table(), [this] { table()->viewport()->update(); });
    catalogue_.prepare();
    setRunning(false);
}

void CompareWindow::chooseOther()
{
    const QString start =
        other_.empty() ? fromPath(session_.workspace().root().parent_path()) : fromPath(other_);
    if (const auto folder = dialogs_.chooseFolder(this, QStringLiteral("选择要比较的工作目录"), start))
        compareWith(toPath(*folder));
}

void CompareWindow::compareWith(const std::filesystem::path& other)
{
    other_ = other;
    otherBox_->setText(nativePath(other));
    otherBox_->setToolTip(otherBox_->text());
    result_.reset();
    shopList_->clear();
    places()->clear();
    setRunning(true);
    showProgress(QStringLiteral("正在比较"), 0, 0);
    job_.compare(session_.workspace(), workspace::Workspace(other));
}

void CompareWindow::stop()
{
    if (!job_.isRunning())
        return;
    job_.cancel();
    setRunning(false);
    statusLabel()->setText(QStringLiteral("比较已停止。"));
    emit finished();
}

void CompareWindow::setRunning(bool running)
{
    chooseButton_->setEnabled(!running);
    compareButton_->setEnabled(!running);
    stopButton_->setEnabled(running);
}

void CompareWindow::showResult(std::shared_ptr<const tools::WorkspaceDiffResult> result)
{
    result_ = result;
    auto lines = std::make_shared<std::vector<ShopLine>>();
    using Kind = ShopLine::Kind;
    for (std::size_t i = 0; i < result->differing.size(); ++i)
        lines->push_back({Kind::Differing, i});
    for (std::size_t i = 0; i < result->onlyInA.size(); ++i)
        lines->push_back({Kind::OnlyHere, i});
    for (std::size_t i = 0; i < result->onlyInB.size(); ++i)
        lines->push_back({Kind::OnlyThere, i});
    for (std::size_t i = 0; i < result->unreadable.size(); ++i)
        lines->push_back({Kind::Unreadable, i});

    PlaceListModel::Source source;
    source.count = lines->size();
    source.text = [result, lines](std::size_t item, int column) -> QString {
        const auto& line = (*lines)[item];
        switch (line.kind) {
        case Kind::Differing: {
            const auto& shop = result->differing[line.index];
            return column == 0 ? qs(shop.fileName) : ChangeLines::counts(shop.change);
        }
        case Kind::OnlyHere:
            return column == 0 ? qs(result->onlyInA[line.index]) : QStringLiteral("只在本目录");
        case Kind::OnlyThere:
            return column == 0 ? qs(result->onlyInB[line.index]) : QStringLiteral("只在对方目录");
        case Kind::Unreadable: {
            const auto& shop = result->unreadable[line.index];
            return column == 0 ? qs(shop.fileName) : QStringLiteral("无法读取：") + qs(shop.message);
        }
        }
        return {};
    };
    const auto here = session_.workspace().shopFolder();
    source.place = [result, lines, here](std::size_t item) {
        const auto& line = (*lines)[item];
        if (line.kind == Kind::Differing)
            return Place{result->differing[line.index].pathA, std::nullopt, 0};
        if (line.kind == Kind::OnlyHere)
            return Place{here / toPath(qs(result->onlyInA[line.index])), std::nullopt, 0};
        return Place{};
    };
    shopList_->setSource(std::move(source));

    QStringList parts;
    parts << QStringLiteral("%1 个商店不同").arg(result->differing.size());
    if (!result->onlyInA.empty())
        parts << QStringLiteral("%1 个只在本目录").arg(result->onlyInA.size());
    if (!result->onlyInB.empty())
        parts << QStringLiteral("%1 个只在对方目录").arg(result->onlyInB.size());
    if (!result->unreadable.empty())
        parts << QStringLiteral("%1 个无法读取").arg(result->unreadable.size());
    statusLabel()->setText(result->equal() && result->unreadable.empty()
                               ? QStringLiteral("两个工作目录的 %1 个商店完全相同。").arg(result->compared)
                               : QStringLiteral("比较了 %1 个商店：").arg(result->compared) +
                                     parts.join(QStringLiteral("，")));
    if (!lines->empty())
        shops_->selectRow(0);
}

void CompareWindow::showShop(int row)
{
    const auto place = shopList_->place(row);
    if (!result_ || !place || place->shopFile.empty()) {
        places()->clear();
        return;
    }
    const auto differing = std::ranges::find_if(
        result_->differing, [&](const tools::ShopDifference& shop) { return shop.pathA == place->shopFile; });
    if (differing == result_->differing.end()) {
        places()->clear();
        return;
    }
    auto shops = std::make_shared<std::vector<ShopChangeLines>>();
    shops->push_back({differing->pathA, qs(differing->fileName), differing->change, {}});
    places()->setSource(
        ChangeLines::source(shops, false, [this](const QString& id) { return itemName(id); }));
}

} // namespace shopkeeper::gui
