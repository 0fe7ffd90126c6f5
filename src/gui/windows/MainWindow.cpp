#include "gui/windows/MainWindow.h"

#include "Version.h"
#include "core/shop/ShopPage.h"
#include "gui/capture/LiveCapture.h"
#include "gui/grid/PageGridModel.h"
#include "gui/grid/PageGridView.h"
#include "gui/settings/Settings.h"
#include "gui/widgets/ControlBinding.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/StatusLine.h"
#include "gui/widgets/WorkspaceChooser.h"
#include "gui/windows/HelpWindow.h"
#include "gui/windows/PreviewWindow.h"
#include "gui/windows/SearchWindow.h"
#include "gui/windows/TransferWindow.h"
#include "ui_MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>

namespace shopkeeper::gui {

namespace {

const QString kNotice = QStringLiteral("提示");
const QColor kRepairOn(0x00, 0x80, 0x00);
const QColor kRepairOff(0xFF, 0x00, 0x00);

QString productTitle()
{
    return QStringLiteral("Shopkeeper  NPC商店编辑器  Ver") + QStringLiteral(SHOPKEEPER_VERSION);
}

} // namespace

MainWindow::MainWindow(std::filesystem::path workspace, Dialogs& dialogs, QWidget* parent)
    : MainWindow(std::move(workspace), dialogs, Backends{}, parent)
{
}

MainWindow::MainWindow(std::filesystem::path workspace, Dialogs& dialogs, Backends backends, QWidget* parent)
    : QWidget(parent), FramelessWindow(this), session_(workspace), workspace_(session_),
      catalogue_(std::move(workspace), std::move(backends.itemTables)), dialogs_(dialogs),
      documents_(session_, workspace_, dialogs, this)
{
    buildControls();
    setUpWorkspaceChooser();
    keepWindowPosition();
    npcCombo_->setModel(workspace_.npcList());
    for (auto* view : grids_) {
        view->gridModel()->setNameLookup([this](const QString& id) {
            // The built-in list is read on first use, off this thread; until then no name.
            if (!catalogue_.isReady()) {
                catalogue_.prepare();
                return QString();
            }
            return catalogue_.lookup()->nameOf(id);
        });
    }
    capture_ = std::make_unique<LiveCapture>(
        std::move(backends.capture), LiveCapture::Controls{captureBox_, fillBox_, idBox_, statusLine_},
        dialogs_, [this](const QString& text) { return session_.fillSelectedCell(text); }, this);
    connectSession();

    connect(&workspace_, &WorkspaceSession::stateChanged, this, &MainWindow::updateActions);
    connect(&workspace_, &WorkspaceSession::listFailed, this, &MainWindow::returnFocus);
    connect(&workspace_, &WorkspaceSession::listReady, this, [this] {
        // The prompt is selected without opening a shop.
        npcCombo_->setCurrentIndex(workspace_.npcList()->rowCount() > 0 ? 0 : -1);
        returnFocus();
        emit npcListReady();
    });

    connect(&documents_, &DocumentManager::shopOpened, this, [this] {
        pathBox_->setToolTip({});
        emit shopOpened();
    });
    connect(&documents_, &DocumentManager::saveConfirming, this, &MainWindow::saveConfirming);
    connect(&documents_, &DocumentManager::openRowChanged, this, &MainWindow::showOpenRow);
    connect(&documents_, &DocumentManager::mendingNeeded, this, &MainWindow::openRepairWindow);
    connect(&documents_, &DocumentManager::workspaceChanged, this, &MainWindow::leaveWorkspace);
    connect(&documents_, &DocumentManager::diskReloaded, this, [this](const QString& message) {
        pathBox_->setToolTip(message);
        QToolTip::showText(pathBox_->mapToGlobal(QPoint(0, pathBox_->height())), message, pathBox_, {}, 5000);
    });
    connect(&documents_, &DocumentManager::stateChanged, this, [this](DocumentState state) {
        if (state == DocumentState::Idle)
            returnFocus();
    });

    auto* undoAction = session_.undoStack()->createUndoAction(this, QStringLiteral("撤销"));
    undoAction->setShortcuts(QKeySequence::Undo);
    auto* redoAction = session_.undoStack()->createRedoAction(this, QStringLiteral("重做"));
    redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (auto* action : {undoAction, redoAction})
        action->setShortcutContext(Qt::WindowShortcut);
    addActions({undoAction, redoAction});
    connect(capture_.get(), &LiveCapture::switched, this, &MainWindow::updateActions);

    updateTitle();
    updateActions();
}

MainWindow::~MainWindow()
{
    // The secondary windows read the sessions: they go while the sessions are still there.
    delete preview_.data();
    delete search_.data();
    deleteToolWindows();
    workspace_.cancelListing();
}

void MainWindow::buildControls()
{
    Ui::MainWindow ui;
    ui.setupUi(this);
    setUpFrame(productTitle(), {QStringLiteral("关闭按钮"), 671}, Picture{QStringLiteral("最小化按钮"), 638});
    loadButton_ = ui.载入按钮;
    npcCombo_ = ui.NPC组合框;
    loadingLabel_ = ui.标签9;
    repairBox_ = ui.修理选择框;
    repairLabel_ = ui.标签8;
    saveButton_ = ui.保存按钮;
    pathBox_ = ui.路径框;
    tabs_ = ui.选择夹1;
    editPagesButton_ = ui.编辑页按钮;
    addRowsButton_ = ui.增加按钮;
    readButton_ = ui.读取按钮;
    outputButton_ = ui.输出按钮;
    clearPageButton_ = ui.清空本页按钮;
    clearAllButton_ = ui.清空所有按钮;
    captureBox_ = ui.选择框1;
    fillBox_ = ui.选择框2;
    idBox_ = ui.ID框;
    externalBox_ = ui.外置ID选择框;
    auto* preview = ui.预览按钮;
    auto* search = ui.搜索按钮;
    auto* help = ui.帮助按钮;

    for (auto* title : {ui.标签16, ui.标签10, ui.标签11, ui.标签13, ui.标签15})
        fitGroupTitle(title);
    clickTogglesBox(repairLabel_, repairBox_);

    // The page grids, each over its page of the session's document.
    for (int k = 0; k < shop::kPageCount; ++k) {
        auto* page = new QWidget();
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(4, 4, 4, 4);
        auto* view = new PageGridView(new PageGridModel(session_, k, this), page);
        view->setObjectName(QStringLiteral("物品表格%1").arg(k + 1));
        layout->addWidget(view);
        grids_[static_cast<std::size_t>(k)] = view;
        tabs_->addTab(page, tabCaption(session_.pageNames()[static_cast<std::size_t>(k)]));
    }
    // Tab goes from the page tabs through the grids to the controls below them.
    QWidget* previous = grids_.back();
    for (QWidget* control : std::initializer_list<QWidget*>{
             editPagesButton_, addRowsButton_, readButton_, outputButton_, clearPageButton_, clearAllButton_,
             captureBox_, fillBox_, idBox_, preview, search, externalBox_, help}) {
        setTabOrder(previous, control);
        previous = control;
    }
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int page) {
        session_.setCurrentPage(page);
        returnFocus();
    });
    connect(&session_, &ShopSession::currentPageChanged, tabs_, &QTabWidget::setCurrentIndex);
    // The window's status, right of the page tabs, clear of the button laid over their row.
    statusLine_ = new StatusLine(tabs_, tabs_->geometry().right() - editPagesButton_->x() + 4);
    statusLine_->setObjectName(QStringLiteral("状态栏"));

    connect(npcCombo_, &QComboBox::activated, this, &MainWindow::onNpcSelected);
    createActions(preview, search, help);
    showRepairFlag(false);
    setUpTools(help);
}

void MainWindow::connectSession()
{
    connect(&session_, &ShopSession::modifiedChanged, this, [this] {
        updateTitle();
        updateActions();
    });
    connect(&session_, &ShopSession::pageNamesChanged, this, &MainWindow::showPageNames);
    connect(&session_, &ShopSession::repairableChanged, this, &MainWindow::showRepairFlag);
    connect(&session_, &ShopSession::bindingChanged, this, &MainWindow::showBinding);
    connect(&session_, &ShopSession::editableChanged, this, &MainWindow::updateActions);
}

void MainWindow::createActions(QAbstractButton* preview, QAbstractButton* search, QAbstractButton* help)
{
    const auto action = [this](const QString& text, auto handler) {
        auto* made = new QAction(text, this);
        connect(made, &QAction::triggered, this, handler);
        return made;
    };
    actions_.load = action(loadButton_->text(), [this] { loadWorkspace(); });
    actions_.save = action(QStringLiteral("保存"), [this] { save(); });
    actions_.save->setShortcut(QKeySequence::Save);
    actions_.save->setShortcutContext(Qt::WindowShortcut);
    addAction(actions_.save);
    actions_.repair = action(QStringLiteral("可修理装备"), [this](bool checked) {
        session_.setRepairable(checked);
        // The box shows the session, also when the session refused the change.
        showRepairFlag(session_.isRepairable());
    });
    actions_.repair->setCheckable(true);
    actions_.editPageNames = action(editPagesButton_->text(), [this] { editPageNames(); });
    actions_.addRows = action(addRowsButton_->text(), [this] { addTwoRows(); });
    actions_.clearPage = action(clearPageButton_->text(), [this] {
        documents_.clearPage(session_.currentPage());
        returnFocus();
    });
    actions_.clearAll = action(clearAllButton_->text(), [this] {
        documents_.clearAllPages();
        returnFocus();
    });
    actions_.read = action(readButton_->text(), [this] { openForRead(); });
    actions_.output = action(outputButton_->text(), [this] { openForOutput(); });
    actions_.externalTable =
        action(QStringLiteral("加载外置ID"), [this](bool checked) { loadExternalTable(checked); });
    actions_.externalTable->setCheckable(true);
    actions_.chooseWorkspace = action(QStringLiteral("选择工作目录"), [this] { chooser_->openMenu(); });
    for (auto [button, bound] : {std::pair<QAbstractButton*, QAction*>{loadButton_, actions_.load},
                                 {saveButton_, actions_.save},
                                 {repairBox_, actions_.repair},
                                 {editPagesButton_, actions_.editPageNames},
                                 {addRowsButton_, actions_.addRows},
                                 {clearPageButton_, actions_.clearPage},
                                 {clearAllButton_, actions_.clearAll},
                                 {readButton_, actions_.read},
                                 {outputButton_, actions_.output},
                                 {externalBox_, actions_.externalTable}})
        bindButton(button, bound);
    connect(preview, &QPushButton::clicked, this, &MainWindow::showPreview);
    connect(search, &QPushButton::clicked, this, &MainWindow::showSearch);
    connect(help, &QPushButton::clicked, this, &MainWindow::showHelp);
}

EditorState MainWindow::editorState() const
{
    EditorState state = workspace_.state();
    state.capturing = capture_ && capture_->isOn();
    state.modified = session_.isModified();
    return state;
}

void MainWindow::updateActions()
{
    const ActionStates on = actionsFor(editorState());
    actions_.load->setEnabled(on.load);
    npcCombo_->setEnabled(on.npcList);
    actions_.save->setEnabled(on.save);
    actions_.repair->setEnabled(on.repair);
    actions_.editPageNames->setEnabled(on.editPageNames);
    actions_.addRows->setEnabled(on.addRows);
    actions_.clearPage->setEnabled(on.clearPage);
    actions_.clearAll->setEnabled(on.clearAll);
    actions_.read->setEnabled(on.read);
    actions_.output->setEnabled(on.output);
    actions_.externalTable->setEnabled(on.externalTable);
    actions_.chooseWorkspace->setEnabled(on.chooser);
    chooser_->setEnabled(on.chooser);
    fillBox_->setEnabled(on.fillBox);
    idBox_->setEnabled(on.idBox);
    for (auto* view : grids_)
        view->setEditable(on.grids);
    actions_.whereUsed->setEnabled(on.whereUsed);
    actions_.replace->setEnabled(on.replace);
    actions_.check->setEnabled(on.check);
    actions_.seeChanges->setEnabled(on.seeChanges);
    loadingLabel_->setVisible(workspace_.state().listing);
    // The tick shows from the write until the shop is read again.
    saveButton_->setText(documents_.state() == DocumentState::Confirming ? QStringLiteral("√√√")
                                                                         : QStringLiteral("保存文件"));
}

void MainWindow::showPreview()
{
    if (!preview_) {
        preview_ = new PreviewWindow(session_, workspace_, catalogue_, this);
        // What it shows belongs to the workspace it was filled from, as the tool windows' lists do.
        connect(this, &MainWindow::workspaceChanged, preview_, &PreviewWindow::clear);
        catalogue_.prepare();
    }
    bringForward(preview_);
}

void MainWindow::showSearch()
{
    if (!search_) {
        search_ = new SearchWindow(catalogue_, dialogs_, this);
        connect(search_, &SearchWindow::whereUsedRequested, this,
                [this](const QString& id) { showWhereUsed(id); });
        catalogue_.prepare();
    }
    bringForward(search_);
}

void MainWindow::loadExternalTable(bool checked)
{
    if (const auto failure = catalogue_.useExternalTable(checked)) {
        actions_.externalTable->setChecked(false);
        dialogs_.message(this, failure->title, failure->message, Dialogs::Icon::Error);
    }
    returnFocus();
}

void MainWindow::updateTitle()
{
    QString title = productTitle();
    if (session_.isModified())
        title += QStringLiteral("  *已修改");
    setTitle(title);
    // The workspace path follows on the strip as the chooser; the task bar shows it all.
    setWindowTitle(title + QStringLiteral("    工作目录：") + nativePath(workspacePath()));
    titleStrip()->setToolTip(windowTitle());
    chooser_->showOnStrip(nativePath(workspacePath()), titleStrip());
}

void MainWindow::setUpWorkspaceChooser()
{
    chooser_ = new WorkspaceChooser(dialogs_, this);
    chooser_->setObjectName(QStringLiteral("工作目录按钮"));
    connect(chooser_, &WorkspaceChooser::chosen, this,
            [this](const QString& folder) { switchWorkspace(toPath(folder)); });
}

bool MainWindow::switchWorkspace(const std::filesystem::path& folder)
{
    const bool switched = documents_.switchWorkspace(folder);
    returnFocus();
    return switched;
}

void MainWindow::chooseWorkspace()
{
    chooser_->browse();
}

void MainWindow::leaveWorkspace()
{
    // The user's item table was read from the old folder: it goes out of use with it.
    actions_.externalTable->setChecked(false);
    catalogue_.setWorkspace(workspacePath());
    updateTitle();
    updateActions();
    emit workspaceChanged();
}

void MainWindow::keepWindowPosition()
{
    settings::restoreRememberedPosition(this, QStringLiteral("main"));
    settings::rememberPosition(this, QStringLiteral("main"));
}

void MainWindow::returnFocus()
{
    activateWindow();
    if (auto* view = currentPageGrid())
        view->setFocus(Qt::OtherFocusReason);
}

void MainWindow::showRepairFlag(bool repairable)
{
    actions_.repair->setChecked(repairable);
    QPalette palette = repairLabel_->palette();
    palette.setColor(QPalette::WindowText, repairable ? kRepairOn : kRepairOff);
    repairLabel_->setPalette(palette);
}

void MainWindow::showPageNames()
{
    const auto names = session_.pageNames();
    for (int k = 0; k < shop::kPageCount; ++k)
        tabs_->setTabText(k, tabCaption(names[static_cast<std::size_t>(k)]));
}

void MainWindow::showBinding()
{
    pathBox_->setText(session_.isBound() ? nativePath(session_.path()) : QString());
}

void MainWindow::loadWorkspace()
{
    documents_.loadWorkspace();
    returnFocus();
}

void MainWindow::onNpcSelected(int index)
{
    if (documents_.openNpc(index))
        returnFocus();
}

void MainWindow::showOpenRow(int row)
{
    npcCombo_->setCurrentIndex(row < workspace_.npcList()->rowCount() ? row : -1);
}

void MainWindow::openRepairWindow()
{
    TransferWindow window(TransferMode::Batch, session_.pendingBlock(), dialogs_, this);
    window.reader = [this](const QString& text) { return documents_.readMended(text); };
    window.exec();
    returnFocus();
}

bool MainWindow::save()
{
    return documents_.save();
}

PageGridView* MainWindow::currentPageGrid() const
{
    return grids_[static_cast<std::size_t>(session_.currentPage())];
}

void MainWindow::addTwoRows()
{
    session_.addTwoRows(session_.currentPage());
    returnFocus();
}

void MainWindow::editPageNames()
{
    documents_.editPageNames();
    returnFocus();
}

void MainWindow::openForRead()
{
    if (!documents_.settle()) {
        returnFocus();
        return;
    }
    TransferWindow window(TransferMode::Read, {}, dialogs_, this);
    window.reader = [this](const QString& text) { return documents_.readPasted(text); };
    window.exec();
    returnFocus();
}

void MainWindow::openForOutput()
{
    TransferWindow window(TransferMode::Output, session_.output(), dialogs_, this);
    window.exec();
    returnFocus();
}

void MainWindow::showHelp()
{
    HelpWindow help(nativePath(workspacePath()), this);
    help.exec();
    returnFocus();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!documents_.mayClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace shopkeeper::gui
