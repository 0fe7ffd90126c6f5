#include "Dialogs.h"

#include <QInputDialog>
#include <QMessageBox>

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
