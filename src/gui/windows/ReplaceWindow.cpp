#include "gui/windows/ReplaceWindow.h"

#include "core/io/FileSystem.h"
#include "gui/catalogue/CatalogueService.h"
#include "gui/session/DocumentManager.h"
#include "gui/session/ShopSession.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/QtText.h"
#include "ui_ReplaceWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace shopkeeper::gui {

namespace {

const QString kNotice = QStringLiteral("提示");

QString fileNames(const std::vector<std::filesystem::path>& paths)
{
    QStringList names;
    for (const auto& path : paths)
        names << fromPath(path.filename());
    return names.join(QStringLiteral("、"));
}

} // namespace

ReplaceWindow::ReplaceWindow(ShopSession& session, DocumentManager& documents, CatalogueService& catalogue,
                             Dialogs& dialogs, QWidget* owner)
    : ToolWindow(session, catalogue, dialogs, owner, QStringLiteral("replace")), documents_(documents)
{
    Ui::ReplaceWindow ui;
    ui.setupUi(this);
    setUpFrame(QStringLiteral("批量替换物品"), {QStringLiteral("关闭按钮R"), width() - 28},
               Picture{QStringLiteral("最小化按钮R"), width() - 58});
    fromBox_ = ui.原ID编辑框;
    toBox_ = ui.新ID编辑框;
    fromName_ = ui.原名称标签;
    toName_ = ui.新名称标签;
    previewButton_ = ui.预览按钮;
    applyButton_ = ui.替换按钮;
    toBox_->setPlaceholderText(QStringLiteral("-1 清空格子"));
    setUpResults(ui.结果表格, ui.状态标签,
                 {QStringLiteral("NPC"), QStringLiteral("商店"), QStringLiteral("页"), QStringLiteral("行"),
                  QStringLiteral("列")},
                 {180, 140, 140, 44});

    connect(previewButton_, &QPushButton::clicked, this, &ReplaceWindow::preview);
    connect(applyButton_, &QPushButton::clicked, this, &ReplaceWindow::apply);
    connect(fromBox_, &QLineEdit::textChanged, this, &ReplaceWindow::showNames);
    connect(toBox_, &QLineEdit::textChanged, this, &ReplaceWindow::showNames);
    connect(&catalogue_, &CatalogueService::lookupChanged, this, &ReplaceWindow::showNames);
    connect(&catalogue_, &CatalogueService::ready, this, &ReplaceWindow::showNames);
    catalogue_.prepare();

    connect(&job_, &WorkspaceToolJob::progress, this, [this](int done, int total) {
        showProgress(writing_ ? QStringLiteral("正在替换") : QStringLiteral("正在预览"), done, total);
    });
    connect(&job_, &WorkspaceToolJob::replaced, this,
            [this](const std::shared_ptr<const tools::ReplacePlan>& plan,
                   const std::shared_ptr<const tools::ReplaceOutcome>& outcome) {
                setRunning(false);
                if (outcome)
                    showOutcome(*plan, *outcome);
                else
                    showPlan(plan);
                emit finished();
            });
    connect(&job_, &WorkspaceToolJob::failed, this, [this] {
        setRunning(false);
        if (writing_) {
            writing_ = false;
            documents_.endWrite(false);
        }
    });
}

void ReplaceWindow::setFrom(const QString& id)
{
    fromBox_->setText(id);
    places()->clear();
    statusLabel()->clear();
    toBox_->setFocus();
}

bool ReplaceWindow::readIds(std::string& from, std::string& to)
{
    if (!checkItemId(fromBox_->text(), from))
        return false;
    // "-1" empties the slots; anything else must be an item ID.
    if (toBox_->text().trimmed() == QStringLiteral("-1"))
        to = "-1";
    else if (!checkItemId(toBox_->text(), to))
        return false;
    return true;
}

void ReplaceWindow::preview()
{
    std::string from;
    std::string to;
    if (!readIds(from, to))
        return;
    places()->clear();
    setRunning(true);
    showProgress(QStringLiteral("正在预览"), 0, 0);
    job_.replace(session_.workspace(), from, to, false);
}

void ReplaceWindow::apply()
{
    std::string from;
    std::string to;
    if (!readIds(from, to))
        return;
    // The open shop is written by the replace too: its edits are saved or dropped first, and
    // nothing may change it while the replace writes.
    if ((session_.isBound() && !documents_.settle()) || !documents_.beginWrite())
        return;
    places()->clear();
    setRunning(true);
    writing_ = true;
    showProgress(QStringLiteral("正在替换"), 0, 0);
    // The plan is made again: what is written is what is on disk now, the saved edits included.
    job_.replace(session_.workspace(), from, to, true);
}

void ReplaceWindow::showPlan(const std::shared_ptr<const tools::ReplacePlan>& planned)
{
    places()->setSource(usesSource({planned, &planned->changes}));
    const auto& plan = *planned;
    const auto shops = plan.shops.size();
    QString text = plan.changes.empty()
                       ? QStringLiteral("没有需要替换的格子（共 %1 个商店）").arg(plan.shopCount)
                       : QStringLiteral("将替换 %1 处，%2 个商店").arg(plan.changes.size()).arg(shops);
    QStringList notes;
    for (const auto& shop : plan.unreadable)
        notes << qs(shop.fileName) + QStringLiteral("：") + qs(shop.error.message);
    for (const auto& shop : plan.refused)
        notes << qs(shop.fileName) + QStringLiteral("：") + qs(shop.message);
    if (!plan.unreadable.empty())
        text += QStringLiteral("；%1 个商店无法读取，替换时不会写入任何文件").arg(plan.unreadable.size());
    if (!plan.refused.empty())
        text += QStringLiteral("；%1 个商店无法替换").arg(plan.refused.size());
    statusLabel()->setText(text);
    statusLabel()->setToolTip(notes.join(QLatin1Char('\n')));
}

void ReplaceWindow::showOutcome(const tools::ReplacePlan& plan, const tools::ReplaceOutcome& outcome)
{
    writing_ = false;
    // Whatever was written, the open shop shows its file as it is now.
    documents_.endWrite(true);

    using Kind = tools::ReplaceOutcome::Kind;
    std::vector<tools::ItemUse> written;
    for (const auto& use : plan.changes) {
        if (std::ranges::find(outcome.written, use.shopFile) != outcome.written.end())
            written.push_back(use);
    }
    const auto count = written.size();
    places()->setSource(usesSource(std::make_shared<const std::vector<tools::ItemUse>>(std::move(written))));
    statusLabel()->setToolTip({});
    switch (outcome.kind) {
    case Kind::Written:
        statusLabel()->setText(
            plan.changes.empty()
                ? QStringLiteral("没有需要替换的格子")
                : QStringLiteral("已替换 %1 处，写入 %2 个商店").arg(count).arg(outcome.written.size()));
        return;
    case Kind::WriteFailed:
        statusLabel()->setText(QStringLiteral("替换中途失败！"));
        dialogs_.message(this, kNotice,
                         QStringLiteral("替换中途失败！") + qs(outcome.message) +
                             QStringLiteral("\n已写入：") + fileNames(outcome.written) +
                             QStringLiteral("\n未写入：") + fileNames(outcome.notWritten),
                         Dialogs::Icon::Error);
        return;
    case Kind::Unreadable:
    case Kind::Refused:
    case Kind::Cancelled:
    case Kind::Busy:
    case Kind::ChangedOnDisk:
        statusLabel()->setText(QStringLiteral("没有写入任何文件"));
        dialogs_.message(this, kNotice, QStringLiteral("没有写入任何文件：") + qs(outcome.message),
                         Dialogs::Icon::Error);
        return;
    }
}

void ReplaceWindow::showNames()
{
    fromName_->setText(itemName(fromBox_->text().trimmed()));
    const QString to = toBox_->text().trimmed();
    toName_->setText(to == QStringLiteral("-1") ? QStringLiteral("（清空格子）") : itemName(to));
}

void ReplaceWindow::setRunning(bool running)
{
    previewButton_->setEnabled(!running);
    applyButton_->setEnabled(!running);
}

void ReplaceWindow::closeEvent(QCloseEvent* event)
{
    // Shops are being written: the window stays until the batch is done.
    if (writing_) {
        event->ignore();
        return;
    }
    ToolWindow::closeEvent(event);
}

} // namespace shopkeeper::gui
