#include "widgets/QtDialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace shopkeeper::gui {

void QtDialogs::message(QWidget* parent, const QString& title, const QString& text, Icon icon)
{
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::None:
        break;
    case Icon::Information:
        shown = QMessageBox::Information;
        break;
    case Icon::Warning:
        shown = QMessageBox::Warning;
        break;
    case Icon::Error:
        shown = QMessageBox::Critical;
        break;
    }
    QMessageBox box(shown, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::question(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

Dialogs::SaveChoice QtDialogs::askToSave(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    auto* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
    auto* discard = box.addButton(QStringLiteral("放弃"), QMessageBox::DestructiveRole);
    auto* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveChoice::Save;
    if (box.clickedButton() == discard)
        return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

std::optional<QString> QtDialogs::input(QWidget* parent, const QString& title, const QString& prompt,
                                        const QString& initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace shopkeeper::gui
