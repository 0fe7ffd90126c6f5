#include "gui/windows/CheckWindow.h"

#include "gui/session/ShopSession.h"
#include "gui/widgets/QtText.h"
#include "ui_CheckWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <array>

namespace shopkeeper::gui {

namespace {

using Kind = tools::CheckProblem::Kind;
constexpr std::array kKinds{Kind::UnknownItem, Kind::DuplicateItem, Kind::UnreadableShop, Kind::UnknownNpc,
                            Kind::MissingPageName};

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
    : ToolWindow(session, catalogue, dialogs, owner)
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
    }
    return {};
}

void CheckWindow::check()
{
    result_.reset();
    places()->clear();
    checkButton_->setEnabled(false);
    showProgress(QStringLiteral("正在检查"), 0, 0);
    job_.check(session_.workspace());
}

void CheckWindow::showProblems()
{
    if (!result_)
        return;
    const int wanted = kindBox_->currentData().toInt();
    std::array<int, kKinds.size()> counts{};
    std::vector<Place> lines;
    for (const auto& problem : result_->problems) {
        ++counts[static_cast<std::size_t>(problem.kind)];
        if (wanted >= 0 && static_cast<int>(problem.kind) != wanted)
            continue;
        lines.push_back({{kindCaption(problem.kind), qs(problem.npcName), qs(problem.fileName),
                          placeText(problem), qs(problem.detail)},
                         problem.shopFile,
                         problem.cell});
    }
    const auto shown = lines.size();
    places()->setPlaces(std::move(lines));
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
