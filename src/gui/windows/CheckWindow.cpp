#include "gui/windows/CheckWindow.h"

#include "gui/session/ShopSession.h"
#include "gui/widgets/QtText.h"
#include "ui_CheckWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <utility>

namespace shopkeeper::gui {

namespace {

using Kind = tools::CheckProblem::Kind;
constexpr std::array kKinds{Kind::UnknownItem, Kind::DuplicateItem,   Kind::UnreadableShop,
                            Kind::UnknownNpc,  Kind::MissingPageName, Kind::LeftoverFile};

QString placeText(const tools::CheckProblem& problem)
{
    if (!problem.cell)
        return {};
    return QStringLiteral("第%1页 %2行 %3列")
        .arg(problem.cell->page + 1)
        .arg(problem.cell->row + 1)
        .arg(problem.cell->column + 1);
}

} // namespace

CheckWindow::CheckWindow(ShopSession& session, CatalogueService& catalogue, Dialogs& dialogs, QWidget* owner)
    : ToolWindow(session, catalogue, dialogs, owner, QStringLiteral("check"))
{
    Ui::CheckWindow ui;
    ui.setupUi(this);
    setUpFrame(QStringLiteral("检查工作目录"), {QStringLiteral("关闭按钮C"), width() - 28},
               Picture{QStringLiteral("最小化按钮C"), width() - 58});
    kindBox_ = ui.种类组合框;
    checkButton_ = ui.检查按钮;
    setUpResults(ui.结果表格, ui.状态标签,
                 {QStringLiteral("种类"), QStringLiteral("NPC"), QStringLiteral("商店"),
                  QStringLiteral("位置"), QStringLiteral("说明")},
                 {96, 130, 100, 110});

    kindBox_->addItem(QStringLiteral("全部"), -1);
    for (const auto kind : kKinds)
        kindBox_->addItem(kindCaption(kind), static_cast<int>(kind));
    connect(kindBox_, &QComboBox::currentIndexChanged, this, &CheckWindow::showProblems);
    connect(checkButton_, &QPushButton::clicked, this, &CheckWindow::check);

    connect(&job_, &WorkspaceToolJob::progress, this,
            [this](int done, int total) { showProgress(QStringLiteral("正在检查"), done, total); });
    connect(&job_, &WorkspaceToolJob::checked, this,
            [this](const std::shared_ptr<const tools::CheckResult>& result) {
                checkButton_->setEnabled(true);
                result_ = result;
                showProblems();
                emit finished();
            });
    connect(&job_, &WorkspaceToolJob::failed, this, [this] { checkButton_->setEnabled(true); });
}

QString CheckWindow::kindCaption(tools::CheckProblem::Kind kind)
{
    switch (kind) {
    case Kind::UnknownItem:
        return QStringLiteral("未知物品");
    case Kind::DuplicateItem:
        return QStringLiteral("重复物品");
    case Kind::UnreadableShop:
        return QStringLiteral("无法读取的商店");
    case Kind::UnknownNpc:
        return QStringLiteral("未知NPC");
    case Kind::MissingPageName:
        return QStringLiteral("缺少页名称");
    case Kind::LeftoverFile:
        return QStringLiteral("残留的临时文件");
    }
    return {};
}

void CheckWindow::check()
{
    places()->clear();
    checkButton_->setEnabled(false);
    showProgress(QStringLiteral("正在检查"), 0, 0);
    // Tens of thousands of problems take a while to free: the worker does it.
    job_.check(session_.workspace(), std::exchange(result_, nullptr));
}

void CheckWindow::showProblems()
{
    if (!result_)
        return;
    const int wanted = kindBox_->currentData().toInt();
    std::array<int, kKinds.size()> counts{};
    std::vector<std::size_t> shownItems;
    const auto& problems = result_->problems;
    for (std::size_t i = 0; i < problems.size(); ++i) {
        ++counts[static_cast<std::size_t>(problems[i].kind)];
        if (wanted < 0 || static_cast<int>(problems[i].kind) == wanted)
            shownItems.push_back(i);
    }
    const auto shown = shownItems.size();
    PlaceListModel::Source source;
    source.count = problems.size();
    source.text = [result = result_](std::size_t item, int column) {
        const auto& problem = result->problems[item];
        switch (column) {
        case 0:
            return kindCaption(problem.kind);
        case 1:
            return qs(problem.npcName);
        case 2:
            return qs(problem.fileName);
        case 3:
            return placeText(problem);
        default:
            return qs(problem.detail);
        }
    };
    source.place = [result = result_](std::size_t item) {
        const auto& problem = result->problems[item];
        return Place{problem.shopFile, problem.cell, problem.page};
    };
    places()->setSource(std::move(source), wanted < 0 ? std::nullopt : std::optional(std::move(shownItems)));
    fitColumnsToContents();
    // The filter tells how many lines each kind has.
    for (std::size_t k = 0; k < kKinds.size(); ++k) {
        kindBox_->setItemText(static_cast<int>(k) + 1,
                              QStringLiteral("%1 (%2)").arg(kindCaption(kKinds[k])).arg(counts[k]));
    }
    kindBox_->setItemText(0, QStringLiteral("全部 (%1)").arg(result_->problems.size()));
    if (result_->problems.empty())
        statusLabel()->setText(QStringLiteral("没有发现问题（共 %1 个商店）").arg(result_->shopCount));
    else
        statusLabel()->setText(QStringLiteral("共 %1 个问题，显示 %2 个（共 %3 个商店）")
                                   .arg(result_->problems.size())
                                   .arg(shown)
                                   .arg(result_->shopCount));
}

} // namespace shopkeeper::gui
