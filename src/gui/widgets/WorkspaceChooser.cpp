#include "gui/widgets/WorkspaceChooser.h"

#include "gui/settings/Settings.h"
#include "gui/widgets/Dialogs.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <algorithm>

namespace shopkeeper::gui {

namespace {

const QString kCaption = QStringLiteral("工作目录：");

} // namespace

WorkspaceChooser::WorkspaceChooser(Dialogs& dialogs, QWidget* parent)
    : QToolButton(parent), dialogs_(dialogs), menu_(new QMenu(this))
{
    menu_->setObjectName(QStringLiteral("工作目录菜单"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAutoRaise(true);
    // It reads as part of the strip's title; hovering underlines it like a link.
    setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; color: white; "
                                 "padding: 0px; } QToolButton:hover { text-decoration: underline; }"));
    setToolTip(QStringLiteral("点击选择工作目录"));
    connect(this, &QToolButton::clicked, this, &WorkspaceChooser::openMenu);
}

void WorkspaceChooser::showOnStrip(const QString& folder, const QLabel* strip)
{
    const int left = 8 + strip->fontMetrics().horizontalAdvance(strip->text()) + 24;
    int right = parentWidget()->width() - 70;
    for (const auto* button : parentWidget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
        if (button != this && button->y() < strip->height() && button->x() > left)
            right = std::min(right, button->x() - 8);
    }
    showFolder(folder, QRect(left, 3, std::max(0, right - left), 19));
}

void WorkspaceChooser::showFolder(const QString& folder, const QRect& room)
{
    folder_ = folder;
    const QString full = kCaption + QDir::toNativeSeparators(folder);
    const int textRoom = std::max(0, room.width() - 4);
    const QString shown = fontMetrics().elidedText(full, Qt::ElideMiddle, textRoom);
    setText(shown);
    setToolTip(full + QStringLiteral("\n点击选择工作目录"));
    const int width = std::min(room.width(), fontMetrics().horizontalAdvance(shown) + 4);
    setGeometry(room.left(), room.top(), std::max(0, width), room.height());
    raise();
}

void WorkspaceChooser::openMenu()
{
    rebuildMenu();
    menu_->popup(mapToGlobal(QPoint(0, height())));
}

void WorkspaceChooser::rebuildMenu()
{
    menu_->clear();
    connect(menu_->addAction(QStringLiteral("选择工作目录…")), &QAction::triggered, this,
            &WorkspaceChooser::browse);
    const QStringList recent = settings::recentWorkspaces();
    if (recent.isEmpty())
        return;
    menu_->addSection(QStringLiteral("最近的工作目录"));
    const QString current = QDir::cleanPath(QDir(folder_).absolutePath());
    for (const QString& folder : recent) {
        auto* action = menu_->addAction(QDir::toNativeSeparators(folder));
        action->setData(folder);
        action->setCheckable(true);
        action->setChecked(folder == current);
        // A folder that was moved or deleted stays listed, but cannot be chosen.
        action->setEnabled(QFileInfo(folder).isDir());
        connect(action, &QAction::triggered, this, [this, folder] { emit chosen(folder); });
    }
}

void WorkspaceChooser::browse()
{
    const auto folder = dialogs_.chooseFolder(window(), QStringLiteral("选择工作目录"), folder_);
    if (folder && !folder->isEmpty())
        emit chosen(*folder);
}

} // namespace shopkeeper::gui
