// The main window's part in seeing changes: "查看改动" beside the save button, and the history
// of saves and the comparison with another workspace in the tools menu. The windows open places
// through the same path as the other tool windows.
#include "gui/widgets/ControlBinding.h"
#include "gui/windows/CompareWindow.h"
#include "gui/windows/HistoryWindow.h"
#include "gui/windows/MainWindow.h"
#include "gui/windows/SaveChangesWindow.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

namespace shopkeeper::gui {

void MainWindow::setUpChangeWindows()
{
    actions_.seeChanges = new QAction(QStringLiteral("查看改动"), this);
    connect(actions_.seeChanges, &QAction::triggered, this, &MainWindow::showSaveChanges);
    // Left of the save button, in its group, as wide as it.
    auto* button = new QPushButton(actions_.seeChanges->text(), saveButton_->parentWidget());
    button->setObjectName(QStringLiteral("查看改动按钮"));
    button->setGeometry(saveButton_->geometry().translated(-saveButton_->width() - 6, 0));
    bindButton(button, actions_.seeChanges);

    toolsMenu_->addSeparator();
    toolsMenu_->addAction(actions_.seeChanges);
    actions_.history = toolsMenu_->addAction(QStringLiteral("历史记录…"), this, &MainWindow::showHistory);
    actions_.compare = toolsMenu_->addAction(QStringLiteral("比较工作目录…"), this, &MainWindow::showCompare);
}

SaveChangesWindow* MainWindow::saveChangesWindow() const
{
    return saveChanges_;
}

HistoryWindow* MainWindow::historyWindow() const
{
    return history_;
}

CompareWindow* MainWindow::compareWindow() const
{
    return compare_;
}

void MainWindow::showSaveChanges()
{
    if (!saveChanges_)
        saveChanges_ = new SaveChangesWindow(session_, catalogue_, dialogs_, this);
    showToolWindow(saveChanges_.data());
    saveChanges_->refresh();
}

void MainWindow::showHistory()
{
    if (!history_)
        history_ = new HistoryWindow(session_, documents_, catalogue_, dialogs_, this);
    showToolWindow(history_.data());
    history_->refresh();
}

void MainWindow::showCompare()
{
    const bool first = !compare_;
    if (first)
        compare_ = new CompareWindow(session_, catalogue_, dialogs_, this);
    showToolWindow(compare_.data());
    if (first)
        compare_->chooseOther();
}

void MainWindow::deleteChangeWindows()
{
    delete saveChanges_.data();
    delete history_.data();
    delete compare_.data();
}

} // namespace shopkeeper::gui
