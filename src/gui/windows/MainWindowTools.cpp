// The main window's part in the workspace tools: the "工具" button on the title strip, the
// grids' context menu, the three tool windows, and opening the place a tool window names.
#include "core/tools/ItemId.h"
#include "gui/grid/PageGridView.h"
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
#include <system_error>

namespace shopkeeper::gui {

namespace {

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

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
    toolsMenu_->addAction(QStringLiteral("物品出售位置…"), this, [this, cellId] { showWhereUsed(cellId()); });
    toolsMenu_->addAction(QStringLiteral("批量替换物品…"), this, [this, cellId] { showReplace(cellId()); });
    toolsMenu_->addAction(QStringLiteral("检查工作目录…"), this, &MainWindow::showCheck);
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
    whereUsed->setEnabled(!id.isEmpty());
    menu.addAction(QStringLiteral("批量替换物品…"), this, [this, id] { showReplace(id); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("检查工作目录…"), this, &MainWindow::showCheck);
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

template <typename Window> void MainWindow::showToolWindow(Window* window)
{
    connect(window, &ToolWindow::placeChosen, this, &MainWindow::openPlace, Qt::UniqueConnection);
    window->showNormal();
    window->raise();
    window->activateWindow();
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
    if (!replace_) {
        ReplaceWindow::OpenShop hooks;
        hooks.save = [this] {
            const bool saved = save();
            // The replace comes next: the save's re-read happens now, not later.
            if (confirmation_.isActive())
                finishSave();
            return saved;
        };
        hooks.setWriting = [this](bool writing) {
            // A save still showing its tick is finished first: its re-read must not come later.
            if (writing && confirmation_.isActive())
                finishSave();
            session_.setEditable(!writing);
            workspace_.setSaving(writing);
        };
        hooks.reread = [this] {
            if (workspace_.npcList()->shopFile(workspace_.openRow()))
                openShop(workspace_.openRow());
            else if (const auto again = session_.reopen(); again.status != ShopSession::OpenStatus::Opened)
                showOpenFailure(again);
        };
        replace_ = new ReplaceWindow(session_, catalogue_, dialogs_, std::move(hooks), this);
    }
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
}

int MainWindow::rowOfShop(const std::filesystem::path& shopFile) const
{
    auto* list = const_cast<WorkspaceSession&>(workspace_).npcList();
    for (int row = 1; row < list->rowCount(); ++row) {
        if (const auto* path = list->shopFile(row); path && *path == shopFile)
            return row;
    }
    for (int row = 1; row < list->rowCount(); ++row) {
        if (const auto* path = list->shopFile(row); path && samePath(*path, shopFile))
            return row;
    }
    return 0;
}

bool MainWindow::openPlace(const Place& place)
{
    const auto& shopFile = place.shopFile;
    if (confirmation_.isActive())
        finishSave();
    if (workspace_.isSaving())
        return false;
    // The open shop as it is needs no reading; anything else is opened as choosing its NPC is.
    const bool open = session_.isBound() && !session_.isModified() && samePath(session_.path(), shopFile);
    if (!open) {
        if (!settleUnsavedChanges())
            return false;
        if (const int row = rowOfShop(shopFile); row > 0) {
            openShop(row);
        } else {
            // No NPC list names the shop (the workspace is not loaded): the file is opened as such.
            workspace_.setMode(EditorMode::Workspace);
            workspace_.setOpenRow(0);
            npcCombo_->setCurrentIndex(workspace_.npcList()->rowCount() > 0 ? 0 : -1);
            if (const auto result = session_.open(shopFile);
                result.status != ShopSession::OpenStatus::Opened) {
                showOpenFailure(result);
                return false;
            }
            transferMode_ = TransferMode::Batch;
            emit shopOpened();
        }
        if (!session_.isBound() || !samePath(session_.path(), shopFile))
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
