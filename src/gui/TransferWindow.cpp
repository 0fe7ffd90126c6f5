#include "TransferWindow.h"

#include "FramelessChrome.h"
#include "QtText.h"
#include "shop/SellItemBlock.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>

namespace shopkeeper::gui {

QString transferModeText(TransferMode mode)
{
    switch (mode) {
    case TransferMode::Read:
        return QStringLiteral("读数据");
    case TransferMode::Output:
        return QStringLiteral("输出数据");
    case TransferMode::Batch:
        return QStringLiteral("批量数据");
    }
    return {};
}

TransferWindow::TransferWindow(TransferMode mode, const QString& body, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), mode_(mode), dialogs_(dialogs)
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
    editor_->setPlainText(body);
    editor_->setPlaceholderText(QStringLiteral("把 [sell item] 与 [/sell item] 之间的物品数据粘贴到这里"));

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

void TransferWindow::readBlock()
{
    const std::string text = u8(editor_->toPlainText());
    // A text without a single TAB is not an item list.
    if (!shop::SellItemBlock::hasTab(text))
        return;
    const auto items = shop::SellItemBlock::read(text);
    if (!items) {
        const bool tooMany = items.error().message == shop::kTooManyPagesMessage;
        dialogs_.message(this, QStringLiteral("错误"), qs(items.error().message),
                         tooMany ? Dialogs::Icon::None : Dialogs::Icon::Error);
        return;
    }
    if (onPagesRead)
        onPagesRead(shop::SellItemBlock::toPages(*items));
    accept();
}

void TransferWindow::copyToClipboard()
{
    QApplication::clipboard()->setText(editor_->toPlainText());
}

} // namespace shopkeeper::gui
