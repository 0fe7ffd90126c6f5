#include "gui/widgets/QtDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace shopkeeper::gui {

namespace {

QMessageBox::Icon shownIcon(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::None:
        return QMessageBox::NoIcon;
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtDialogs::message(QWidget* parent, const QString& title, const QString& text, Icon icon)
{
    QMessageBox box(shownIcon(icon), title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::question(QWidget* parent, const QString& title, const QString& text, Icon icon)
{
    QMessageBox box(shownIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No, parent);
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

std::optional<QString> QtDialogs::chooseFolder(QWidget* parent, const QString& title, const QString& start)
{
    const QString folder = QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

} // namespace shopkeeper::gui
