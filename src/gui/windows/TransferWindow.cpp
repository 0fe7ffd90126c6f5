#include "gui/windows/TransferWindow.h"

#include "core/shop/SellItemBlock.h"
#include "core/shop/ShopPage.h"
#include "gui/settings/Settings.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/WindowPlacement.h"
#include "ui_TransferWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>

namespace shopkeeper::gui {

QString TransferWindow::rowsPerLine(const QString& block)
{
    return qs(shop::SellItemBlock::rowsPerLine(u8(block)));
}

TransferWindow::TransferWindow(TransferMode mode, const QString& body, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), FramelessWindow(this), mode_(mode), dialogs_(dialogs), exact_(body)
{
    Ui::TransferWindow ui;
    ui.setupUi(this);
    setUpFrame(QStringLiteral("物品数据传递 - ") + transferModeText(mode),
               {QStringLiteral("关闭按钮S"), 483});
    editor_ = ui.编辑框1;
    read_ = ui.读取按钮1;
    copy_ = ui.复制按钮;
    clear_ = ui.清空按钮;
    settings::rememberPosition(this, QStringLiteral("transfer"));

    editor_->setPlainText(mode == TransferMode::Output ? rowsPerLine(body) : body);
    editor_->setTabStopDistance(editor_->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    connect(read_, &QPushButton::clicked, this, &TransferWindow::readBlock);
    connect(copy_, &QPushButton::clicked, this, &TransferWindow::copyToClipboard);
    connect(clear_, &QPushButton::clicked, editor_, &QPlainTextEdit::clear);

    switch (mode) {
    case TransferMode::Read:
    case TransferMode::Batch:
        copy_->setEnabled(false);
        break;
    case TransferMode::Output:
        editor_->setReadOnly(true);
        read_->setEnabled(false);
        clear_->setEnabled(false);
        break;
    }
}

void TransferWindow::showEvent(QShowEvent* event)
{
    if (!settings::restoreRememberedPosition(this, QStringLiteral("transfer")))
        centreOver(this, parentWidget());
    QDialog::showEvent(event);
    editor_->setFocus();
}

void TransferWindow::readBlock()
{
    if (!reader)
        return;
    const auto result = reader(editor_->toPlainText());
    switch (result.status) {
    case ShopSession::BlockStatus::Read:
        accept();
        return;
    case ShopSession::BlockStatus::NotABlock:
        // A shop's block without a TAB holds no item: its grids were emptied and the
        // window is done. A pasted text without one is not an item list: the user is told why
        // nothing was read, and the pages stay as they were.
        if (mode_ == TransferMode::Batch)
            accept();
        else
            dialogs_.message(this, QStringLiteral("提示"), kNoTabMessage, Dialogs::Icon::Information);
        return;
    case ShopSession::BlockStatus::TooManyPages:
        dialogs_.message(this, QStringLiteral("错误"), result.message, Dialogs::Icon::None);
        return;
    case ShopSession::BlockStatus::Unreadable:
        dialogs_.message(this, QStringLiteral("错误"), result.message, Dialogs::Icon::Error);
        return;
    }
}

void TransferWindow::copyToClipboard()
{
    QApplication::clipboard()->setText(mode_ == TransferMode::Output ? exact_ : editor_->toPlainText());
}

} // namespace shopkeeper::gui
