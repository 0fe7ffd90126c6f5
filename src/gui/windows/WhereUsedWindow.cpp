#include "gui/windows/WhereUsedWindow.h"

#include "gui/catalogue/CatalogueService.h"
#include "gui/session/ShopSession.h"
#include "gui/widgets/QtText.h"
#include "ui_WhereUsedWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace shopkeeper::gui {

WhereUsedWindow::WhereUsedWindow(ShopSession& session, CatalogueService& catalogue, Dialogs& dialogs,
                                 QWidget* owner)
    : ToolWindow(session, catalogue, dialogs, owner, QStringLiteral("where-used"))
{
    Ui::WhereUsedWindow ui;
    ui.setupUi(this);
    setUpFrame(QStringLiteral("物品出售位置"), {QStringLiteral("关闭按钮W"), width() - 28},
               Picture{QStringLiteral("最小化按钮W"), width() - 58});
    idBox_ = ui.ID编辑框;
    nameLabel_ = ui.名称标签;
    findButton_ = ui.查找按钮;
    setUpResults(ui.结果表格, ui.状态标签,
                 {QStringLiteral("NPC"), QStringLiteral("商店"), QStringLiteral("页"), QStringLiteral("行"),
                  QStringLiteral("列")},
                 {170, 130, 130, 44});

    connect(findButton_, &QPushButton::clicked, this, &WhereUsedWindow::find);
    connect(idBox_, &QLineEdit::returnPressed, this, &WhereUsedWindow::find);
    connect(idBox_, &QLineEdit::textChanged, this, &WhereUsedWindow::showName);
    connect(&catalogue_, &CatalogueService::lookupChanged, this, &WhereUsedWindow::showName);
    connect(&catalogue_, &CatalogueService::ready, this, &WhereUsedWindow::showName);
    catalogue_.prepare();

    connect(&job_, &WorkspaceToolJob::progress, this,
            [this](int done, int total) { showProgress(QStringLiteral("正在查找"), done, total); });
    connect(&job_, &WorkspaceToolJob::usesFound, this,
            [this](const std::shared_ptr<const tools::WhereUsedResult>& result) {
                findButton_->setEnabled(true);
                showUses(result);
                emit finished();
            });
    connect(&job_, &WorkspaceToolJob::failed, this, [this] { findButton_->setEnabled(true); });
}

void WhereUsedWindow::findItem(const QString& id)
{
    idBox_->setText(id);
    find();
}

void WhereUsedWindow::find()
{
    std::string id;
    if (!checkItemId(idBox_->text(), id))
        return;
    idBox_->setText(qs(id));
    places()->clear();
    findButton_->setEnabled(false);
    showProgress(QStringLiteral("正在查找"), 0, 0);
    job_.findUses(session_.workspace(), {id});
}

void WhereUsedWindow::showUses(const std::shared_ptr<const tools::WhereUsedResult>& found)
{
    places()->setSource(usesSource({found, &found->uses}));
    const auto& result = *found;

    QString text =
        result.uses.empty()
            ? QStringLiteral("没有商店出售此物品（共 %1 个商店）").arg(result.shopCount)
            : QStringLiteral("找到 %1 处（共 %2 个商店）").arg(result.uses.size()).arg(result.shopCount);
    QStringList unreadable;
    for (const auto& shop : result.unreadable)
        unreadable << qs(shop.fileName) + QStringLiteral("：") + qs(shop.error.message);
    if (!unreadable.isEmpty())
        text += QStringLiteral("，%1 个商店无法读取").arg(unreadable.size());
    statusLabel()->setText(text);
    statusLabel()->setToolTip(unreadable.join(QLatin1Char('\n')));
}

void WhereUsedWindow::showName()
{
    nameLabel_->setText(itemName(idBox_->text().trimmed()));
}

} // namespace shopkeeper::gui
