#include "gui/windows/TransferWindow.h"

#include "core/shop/SellItemBlock.h"
#include "core/shop/ShopPage.h"
#include "gui/widgets/FramelessChrome.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/WindowPlacement.h"

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
    : QDialog(parent), mode_(mode), dialogs_(dialogs), exact_(body)
{
    setModal(true);
    setFixedSize(511, 536);
    new FramelessChrome(this, QStringLiteral("物品数据传递 - ") + transferModeText(mode));

    auto* close = new PictureButton(PictureButton::Glyph::Close, this);
    close->setObjectName(QStringLiteral("关闭按钮S"));
    close->setGeometry(483, 0, 25, 25);
    connect(close, &PictureButton::clicked, this, &QDialog::reject);

    editor_ = new QPlainTextEdit(this);
    editor_->setObjectName(QStringLiteral("编辑框1"));
    editor_->setGeometry(6, 31, 499, 455);
    editor_->setPlainText(mode == TransferMode::Output ? rowsPerLine(body) : body);
    editor_->setPlaceholderText(QStringLiteral("把 [sell item] 与 [/sell item] 之间的物品数据粘贴到这里"));
    editor_->setTabStopDistance(editor_->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));

    const auto button = [this](const char* name, const QString& caption, int x) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromUtf8(name));
        b->setGeometry(x, 496, 100, 30);
        return b;
    };
    read_ = button("读取按钮1", QStringLiteral("读取"), 60);
    copy_ = button("复制按钮", QStringLiteral("复制"), 205);
    clear_ = button("清空按钮", QStringLiteral("清空"), 350);
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
        // window is done. A pasted text without one is simply not an item list.
        if (mode_ == TransferMode::Batch)
            accept();
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
