// The main window's part in the workspace tools: the "工具" button on the title strip, the
// grids' context menu, the three tool windows, and opening the place a tool window names.
#include "core/tools/ItemId.h"
#include "gui/grid/PageGridView.h"
#include "gui/widgets/ControlBinding.h"
#include "gui/widgets/QtText.h"
#include "gui/windows/CheckWindow.h"
#include "gui/windows/MainWindow.h"
#include "gui/windows/ReplaceWindow.h"
#include "gui/windows/WhereUsedWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

namespace shopkeeper::gui {

namespace {

// The item ID a grid cell holds, or "" when it holds none.
QString itemIdAt(const QModelIndex& index)
{
    const auto id = tools::parseItemId(u8(index.data().toString()));
    return id ? qs(*id) : QString();
}

} // namespace

void MainWindow::setUpTools(QPushButton* help)
{
    // Beside "使用帮助" on the title strip; the title's room ends before it.
    auto* button = new QPushButton(QStringLiteral("工具"), this);
    button->setObjectName(QStringLiteral("工具按钮"));
    button->setStyleSheet(help->styleSheet());
    button->setGeometry(help->x() - 42, help->y(), 38, help->height());
    button->setFocusPolicy(Qt::NoFocus);

    toolsMenu_ = new QMenu(this);
    const auto cellId = [this] {
        auto* view = currentPageGrid();
        return view ? itemIdAt(view->currentIndex()) : QString();
    };
    // The menu's entries are the window's actions: updateActions() decides what is on.
    actions_.whereUsed = toolsMenu_->addAction(QStringLiteral("物品出售位置…"), this,
                                               [this, cellId] { showWhereUsed(cellId()); });
    actions_.replace = toolsMenu_->addAction(QStringLiteral("批量替换物品…"), this,
                                             [this, cellId] { showReplace(cellId()); });
    actions_.check = toolsMenu_->addAction(QStringLiteral("检查工作目录…"), this, &MainWindow::showCheck);
    setUpChangeWindows();
    connect(button, &QPushButton::clicked, this,
            [this, button] { toolsMenu_->popup(button->mapToGlobal(QPoint(0, button->height()))); });

    // What the tool windows show belongs to the workspace they ran on.
    connect(this, &MainWindow::workspaceChanged, this, &MainWindow::deleteToolWindows);

    for (int k = 0; k < shop::kPageCount; ++k) {
        auto* view = grid(k);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, k](const QPoint& at) { showGridMenu(k, at); });
    }
}

void MainWindow::showGridMenu(int page, const QPoint& at)
{
    auto* view = grid(page);
    const QModelIndex index = view->indexAt(at);
    if (index.isValid())
        view->setCurrentIndex(index);
    const QString id = itemIdAt(index);
    QMenu menu(this);
    auto* whereUsed = menu.addAction(QStringLiteral("物品出售位置"), this, [this, id] { showWhereUsed(id); });
    whereUsed->setEnabled(!id.isEmpty() && actions_.whereUsed->isEnabled());
    // The cell clicked is the cursor cell now: the window's own entries take its ID.
    menu.addAction(actions_.replace);
    menu.addSeparator();
    menu.addAction(actions_.check);
    menu.exec(view->viewport()->mapToGlobal(at));
}

WhereUsedWindow* MainWindow::whereUsedWindow() const
{
    return whereUsed_;
}

ReplaceWindow* MainWindow::replaceWindow() const
{
    return replace_;
}

CheckWindow* MainWindow::checkWindow() const
{
    return check_;
}

void MainWindow::showToolWindow(ToolWindow* window)
{
    connect(window, &ToolWindow::placeChosen, this, &MainWindow::openPlace, Qt::UniqueConnection);
    bringForward(window);
}

void MainWindow::showWhereUsed(const QString& id)
{
    if (!whereUsed_)
        whereUsed_ = new WhereUsedWindow(session_, catalogue_, dialogs_, this);
    showToolWindow(whereUsed_.data());
    if (!id.isEmpty())
        whereUsed_->findItem(id);
    else
        whereUsed_->idBox()->setFocus();
}

void MainWindow::showReplace(const QString& from)
{
    if (!replace_)
        replace_ = new ReplaceWindow(session_, documents_, catalogue_, dialogs_, this);
    showToolWindow(replace_.data());
    if (!from.isEmpty())
        replace_->setFrom(from);
}

void MainWindow::showCheck()
{
    const bool first = !check_;
    if (first)
        check_ = new CheckWindow(session_, catalogue_, dialogs_, this);
    showToolWindow(check_.data());
    if (first)
        check_->check();
}

void MainWindow::deleteToolWindows()
{
    delete whereUsed_.data();
    delete replace_.data();
    delete check_.data();
    deleteChangeWindows();
}

bool MainWindow::openPlace(const Place& place)
{
    if (!documents_.openFile(place.shopFile)) {
        returnFocus();
        return false;
    }
    raise();
    activateWindow();
    if (const auto page = place.pageToShow(); page && *page >= 0 && *page < shop::kPageCount) {
        tabs_->setCurrentIndex(*page);
        const auto& cell = place.cell;
        auto* view = grid(*page);
        const QModelIndex index = cell ? view->model()->index(cell->row, cell->column) : QModelIndex();
        if (index.isValid()) {
            view->setCurrentIndex(index);
            view->scrollTo(index);
        }
    }
    returnFocus();
    return true;
}

} // namespace shopkeeper::gui
