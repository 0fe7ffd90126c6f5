#include "gui/windows/MainWindow.h"

#include "Version.h"
#include "core/shop/ShopPage.h"
#include "gui/capture/LiveCapture.h"
#include "gui/grid/PageGridModel.h"
#include "gui/grid/PageGridView.h"
#include "gui/widgets/FramelessChrome.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/SoundPlayer.h"
#include "gui/widgets/SqueezedLabel.h"
#include "gui/windows/HelpWindow.h"
#include "gui/windows/PreviewWindow.h"
#include "gui/windows/SearchWindow.h"
#include "gui/windows/TransferWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace shopkeeper::gui {

namespace {

const QString kNotice = QStringLiteral("提示");
const QColor kRepairOn(0x00, 0x80, 0x00);
const QColor kRepairOff(0xFF, 0x00, 0x00);

QString productTitle()
{
    return QStringLiteral("Shopkeeper  NPC商店编辑器  Ver") + QStringLiteral(SHOPKEEPER_VERSION);
}

QString pageTitleOrdinal(int page)
{
    static const char* const ordinals[] = {"一", "二", "三", "四", "五"};
    return QString::fromUtf8(ordinals[page]);
}

} // namespace

MainWindow::MainWindow(std::filesystem::path workspace, Dialogs& dialogs, QWidget* parent)
    : MainWindow(std::move(workspace), dialogs, capture::makeCaptureBackends(), parent)
{
}

MainWindow::MainWindow(std::filesystem::path workspace, Dialogs& dialogs,
                       capture::CaptureBackends captureBackends, QWidget* parent)
    : QWidget(parent), session_(workspace), catalogue_(std::move(workspace)), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("主窗口"));
    setFixedSize(700, 560);
    chrome_ = new FramelessChrome(this, productTitle());
    buildControls();
    for (int k = 0; k < shop::kPageCount; ++k) {
        session_.model(k)->setNameLookup([this](const QString& id) {
            // The built-in list is read on first use, off this thread; until then no name.
            if (!catalogue_.isReady()) {
                catalogue_.prepare();
                return QString();
            }
            return catalogue_.lookup()->nameOf(id);
        });
    }
    capture_ = std::make_unique<LiveCapture>(
        std::move(captureBackends), LiveCapture::Controls{captureBox_, fillBox_, idBox_}, dialogs_,
        [this](const QString& text) { return fillSelectedCell(text); }, this);
    connectSession();

    connect(&job_, &NpcListJob::listed, this,
            [this](int) { npcCombo_->addItem(qs(workspace::kChooseNpcPrompt)); });
    connect(&job_, &NpcListJob::entryFound, this, [this](const QString& shopFile, const QString& name) {
        entries_.push_back(toPath(shopFile));
        npcCombo_->addItem(name);
    });
    connect(&job_, &NpcListJob::failed, this, [this](const QString& message) {
        listing_ = false;
        loadingLabel_->hide();
        dialogs_.message(this, QStringLiteral("错误提示"), message, Dialogs::Icon::Error);
        setListControlsEnabled(true);
        returnFocus();
    });
    connect(&job_, &NpcListJob::finished, this, [this] {
        listing_ = false;
        // The prompt is selected without opening a shop.
        const int prompt = npcCombo_->findText(qs(workspace::kChooseNpcPrompt), Qt::MatchStartsWith);
        npcCombo_->setCurrentIndex(prompt);
        openIndex_ = 0;
        loadingLabel_->hide();
        setListControlsEnabled(true);
        returnFocus();
        emit npcListReady();
    });
    connect(&job_, &NpcListJob::shopsSkipped, this, [this](const QString& message) {
        dialogs_.message(this, QStringLiteral("提示"), message, Dialogs::Icon::Warning);
    });

    auto* undoAction = session_.undoStack()->createUndoAction(this, QStringLiteral("撤销"));
    undoAction->setShortcuts(QKeySequence::Undo);
    auto* redoAction = session_.undoStack()->createRedoAction(this, QStringLiteral("重做"));
    redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    auto* saveAction = new QAction(QStringLiteral("保存"), this);
    saveAction->setShortcut(QKeySequence::Save);
    connect(saveAction, &QAction::triggered, this, [this] {
        if (saveButton_->isEnabled())
            save();
    });
    for (auto* action : {undoAction, redoAction, saveAction})
        action->setShortcutContext(Qt::WindowShortcut);
    addActions({undoAction, redoAction, saveAction});

    updateTitle();
}

MainWindow::~MainWindow()
{
    job_.cancel();
}

QGroupBox* MainWindow::group(const char* name, const char* titleName, const QString& title, QRect rect)
{
    auto* box = new QGroupBox(this);
    box->setObjectName(QString::fromUtf8(name));
    box->setGeometry(rect);
    // The frame runs through the middle of the title, which hides the line behind its words.
    box->setStyleSheet(QStringLiteral("QGroupBox#%1 { border: 1px solid #A9B4C0; border-radius: 3px;"
                                      " margin-top: 8px; }")
                           .arg(QString::fromUtf8(name)));
    auto* label = new QLabel(title, box);
    label->setObjectName(QString::fromUtf8(titleName));
    label->setAutoFillBackground(true);
    label->setContentsMargins(3, 0, 3, 0);
    label->adjustSize();
    label->move(8, 8 - label->height() / 2);
    return box;
}

void MainWindow::buildControls()
{
    const auto button = [](QWidget* parent, const char* name, const QString& caption, QRect rect) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(QString::fromUtf8(name));
        b->setGeometry(rect);
        return b;
    };
    const auto label = [](QWidget* parent, const char* name, const QString& text, QRect rect) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(QString::fromUtf8(name));
        l->setGeometry(rect);
        return l;
    };

    auto* batch = group("分组框5", "标签16", QStringLiteral("批量操作"), {8, 25, 685, 75});
    loadButton_ = button(batch, "载入按钮", QStringLiteral("载入NPC"), {5, 17, 80, 23});
    npcCombo_ = new QComboBox(batch);
    npcCombo_->setObjectName(QStringLiteral("NPC组合框"));
    npcCombo_->setGeometry(91, 18, 181, 22);
    npcCombo_->setEnabled(false);
    loadingLabel_ = label(batch, "标签9", QStringLiteral("正在加载NPC列表..."), {279, 20, 111, 16});
    loadingLabel_->hide();
    repairBox_ = new QCheckBox(batch);
    repairBox_->setObjectName(QStringLiteral("修理选择框"));
    repairBox_->setGeometry(408, 20, 15, 15);
    repairBox_->setEnabled(false);
    repairLabel_ = label(batch, "标签8", QStringLiteral("可修理装备"), {424, 19, 88, 16});
    repairLabel_->installEventFilter(this);
    saveButton_ = button(batch, "保存按钮", QStringLiteral("保存文件"), {599, 10, 80, 30});
    saveButton_->setEnabled(false);
    label(batch, "标签7", QStringLiteral("路径:"), {6, 44, 44, 24});
    pathBox_ = new QLineEdit(batch);
    pathBox_->setObjectName(QStringLiteral("路径框"));
    pathBox_->setGeometry(57, 44, 624, 24);
    pathBox_->setReadOnly(true);
    pathBox_->setFocusPolicy(Qt::ClickFocus);
    showRepairFlag(false);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("选择夹1"));
    tabs_->setGeometry(10, 101, 680, 370);
    for (int k = 0; k < shop::kPageCount; ++k) {
        auto* page = new QWidget();
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(4, 4, 4, 4);
        auto* view = new PageGridView(session_.model(k), page);
        view->setObjectName(QStringLiteral("物品表格%1").arg(k + 1));
        layout->addWidget(view);
        grids_[static_cast<std::size_t>(k)] = view;
        tabs_->addTab(page, tabCaption(session_.pageNames()[static_cast<std::size_t>(k)]));
    }
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { returnFocus(); });
    editPagesButton_ = button(this, "编辑页按钮", QStringLiteral("编辑页名称"), {610, 101, 80, 18});
    editPagesButton_->setEnabled(false);
    editPagesButton_->raise();

    addRowsButton_ = button(this, "增加按钮", QStringLiteral("↑增加两行↑"), {470, 477, 101, 31});

    auto* single = group("分组框1", "标签10", QStringLiteral("单文件修改"), {11, 473, 96, 80});
    readButton_ = button(single, "读取按钮", QStringLiteral("读取数据"), {3, 19, 88, 25});
    outputButton_ = button(single, "输出按钮", QStringLiteral("输出数据"), {3, 50, 88, 25});

    auto* pages = group("分组框2", "标签11", QStringLiteral("分页操作"), {116, 473, 96, 80});
    clearPageButton_ = button(pages, "清空本页按钮", QStringLiteral("清空本页"), {4, 19, 88, 25});
    clearAllButton_ = button(pages, "清空所有按钮", QStringLiteral("清空所有"), {4, 50, 88, 25});

    auto* live = group("分组框3", "标签13", QStringLiteral("获取实时ID"), {220, 473, 241, 80});
    captureBox_ = new QCheckBox(live);
    captureBox_->setObjectName(QStringLiteral("选择框1"));
    captureBox_->setGeometry(5, 25, 16, 16);
    label(live, "标签5", QStringLiteral("F12获取ID"), {23, 25, 80, 16});
    fillBox_ = new QCheckBox(live);
    fillBox_->setObjectName(QStringLiteral("选择框2"));
    fillBox_->setGeometry(115, 25, 15, 16);
    fillBox_->setEnabled(false);
    label(live, "标签6", QStringLiteral("ID填充到表格"), {132, 25, 100, 16});
    label(live, "标签12", QStringLiteral("物品ID："), {5, 53, 58, 18});
    idBox_ = new QLineEdit(live);
    idBox_->setObjectName(QStringLiteral("ID框"));
    idBox_->setGeometry(65, 50, 169, 24);
    idBox_->setEnabled(false);

    auto* lookup = group("分组框4", "标签15", QStringLiteral("查找预览"), {587, 473, 104, 80});
    auto* preview = button(lookup, "预览按钮", QStringLiteral("预览物品"), {8, 19, 88, 25});
    auto* search = button(lookup, "搜索按钮", QStringLiteral("搜索物品"), {8, 50, 88, 25});

    externalBox_ = new QCheckBox(this);
    externalBox_->setObjectName(QStringLiteral("外置ID选择框"));
    externalBox_->setGeometry(471, 522, 16, 16);
    auto* externalLabel = new SqueezedLabel(QStringLiteral("加载外置ID→→→→→→"), QChar(0x2192), this);
    externalLabel->setObjectName(QStringLiteral("标签14"));
    externalLabel->setGeometry(489, 520, 97, 20);

    auto* help = button(this, "帮助按钮", QStringLiteral("使用帮助"), {565, 5, 64, 16});
    help->setStyleSheet(QStringLiteral("QPushButton { font-size: 11px; padding: 0; }"));
    auto* minimise = new PictureButton(PictureButton::Glyph::Minimise, this);
    minimise->setObjectName(QStringLiteral("最小化按钮"));
    minimise->setGeometry(638, 0, 25, 25);
    auto* close = new PictureButton(PictureButton::Glyph::Close, this);
    close->setObjectName(QStringLiteral("关闭按钮"));
    close->setGeometry(671, 0, 25, 25);

    connect(loadButton_, &QPushButton::clicked, this, &MainWindow::loadWorkspace);
    connect(npcCombo_, &QComboBox::activated, this, &MainWindow::onNpcSelected);
    connect(saveButton_, &QPushButton::clicked, this, &MainWindow::save);
    connect(repairBox_, &QCheckBox::clicked, this, [this](bool checked) {
        session_.setRepairable(checked);
        // The box shows the session, also when the session refused the change.
        showRepairFlag(session_.isRepairable());
    });
    connect(editPagesButton_, &QPushButton::clicked, this, &MainWindow::editPageNames);
    connect(addRowsButton_, &QPushButton::clicked, this, &MainWindow::addTwoRows);
    connect(clearPageButton_, &QPushButton::clicked, this, &MainWindow::clearThisPage);
    connect(clearAllButton_, &QPushButton::clicked, this, &MainWindow::clearAllPages);
    connect(readButton_, &QPushButton::clicked, this, &MainWindow::openForRead);
    connect(outputButton_, &QPushButton::clicked, this, &MainWindow::openForOutput);
    connect(preview, &QPushButton::clicked, this, &MainWindow::showPreview);
    connect(search, &QPushButton::clicked, this, &MainWindow::showSearch);
    connect(externalBox_, &QCheckBox::clicked, this, &MainWindow::loadExternalTable);
    connect(help, &QPushButton::clicked, this, &MainWindow::showHelp);
    connect(minimise, &PictureButton::clicked, this, &QWidget::showMinimized);
    connect(close, &PictureButton::clicked, this, &QWidget::close);
}

void MainWindow::connectSession()
{
    connect(&session_, &ShopSession::modifiedChanged, this, [this] { updateTitle(); });
    connect(&session_, &ShopSession::pageNamesChanged, this, &MainWindow::showPageNames);
    connect(&session_, &ShopSession::repairableChanged, this, &MainWindow::showRepairFlag);
    connect(&session_, &ShopSession::bindingChanged, this, &MainWindow::showBinding);
    connect(&session_, &ShopSession::previewingChanged, this, &MainWindow::showPreviewing);
    connect(&session_, &ShopSession::editableChanged, this, [this](bool editable) {
        for (auto* b : {addRowsButton_, clearPageButton_, clearAllButton_})
            b->setEnabled(editable);
    });
}

void MainWindow::showPreview()
{
    if (!preview_) {
        preview_ = new PreviewWindow(session_, catalogue_, this);
        catalogue_.prepare();
    }
    preview_->show();
    preview_->raise();
    preview_->activateWindow();
}

void MainWindow::showSearch()
{
    if (!search_) {
        search_ = new SearchWindow(catalogue_, dialogs_, this);
        catalogue_.prepare();
    }
    search_->show();
    search_->raise();
    search_->activateWindow();
}

void MainWindow::loadExternalTable(bool checked)
{
    if (const auto failure = catalogue_.useExternalTable(checked)) {
        externalBox_->setChecked(false);
        dialogs_.message(this, failure->title, failure->message, Dialogs::Icon::Error);
    }
    returnFocus();
}

void MainWindow::showPreviewing(bool previewing)
{
    // While the preview reads the pages nothing may replace or clear them.
    for (QWidget* control : std::initializer_list<QWidget*>{clearPageButton_, clearAllButton_, readButton_,
                                                            outputButton_, externalBox_})
        control->setEnabled(!previewing);
    if (previewing) {
        npcCombo_->setEnabled(false);
        saveButton_->setEnabled(false);
        return;
    }
    // The NPC list and the save come back only in the workspace mode.
    const bool workspaceMode = transferMode_ == TransferMode::Batch && !listing_;
    npcCombo_->setEnabled(workspaceMode);
    saveButton_->setEnabled(workspaceMode && session_.isBound());
}

void MainWindow::updateTitle()
{
    QString title = productTitle() + QStringLiteral("    工作目录：") + nativePath(workspacePath());
    if (session_.isModified())
        title += QStringLiteral("  *已修改");
    const int room = 555; // up to the help button
    chrome_->setTitle(chrome_->titleStrip()->fontMetrics().elidedText(title, Qt::ElideMiddle, room));
    chrome_->titleStrip()->setToolTip(title);
}

void MainWindow::returnFocus()
{
    activateWindow();
    if (auto* view = currentPageGrid())
        view->setFocus(Qt::OtherFocusReason);
}

void MainWindow::setListControlsEnabled(bool enabled)
{
    loadButton_->setEnabled(enabled);
    npcCombo_->setEnabled(enabled);
    saveButton_->setEnabled(enabled);
}

void MainWindow::showRepairFlag(bool repairable)
{
    repairBox_->setChecked(repairable);
    QPalette palette = repairLabel_->palette();
    palette.setColor(QPalette::WindowText, repairable ? kRepairOn : kRepairOff);
    repairLabel_->setPalette(palette);
}

void MainWindow::showPageNames()
{
    for (int k = 0; k < shop::kPageCount; ++k)
        tabs_->setTabText(k, tabCaption(session_.pageNames()[static_cast<std::size_t>(k)]));
}

void MainWindow::showBinding()
{
    pathBox_->setText(session_.isBound() ? nativePath(session_.path()) : QString());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The words beside the repair box toggle it, as a check box's own text would.
    if (watched == repairLabel_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && repairBox_->isEnabled()) {
        repairBox_->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::settleUnsavedChanges()
{
    if (!session_.isModified())
        return true;
    if (!session_.isBound()) {
        const bool discard = dialogs_.question(
            this, kNotice, QStringLiteral("表格中的数据尚未输出，是否放弃？"), Dialogs::Icon::Question);
        returnFocus();
        return discard;
    }
    const auto choice =
        dialogs_.askToSave(this, kNotice, QStringLiteral("当前商店尚未保存，是否先保存修改？"));
    returnFocus();
    switch (choice) {
    case Dialogs::SaveChoice::Save:
        return save();
    case Dialogs::SaveChoice::Discard:
        return true;
    case Dialogs::SaveChoice::Cancel:
        return false;
    }
    return false;
}

void MainWindow::loadWorkspace()
{
    if (!settleUnsavedChanges())
        return;
    setListControlsEnabled(false);
    if (auto ok = session_.workspace().checkRequiredFiles(); !ok) {
        dialogs_.message(this, QStringLiteral("错误提示"), qs(ok.error().message), Dialogs::Icon::Error);
        setListControlsEnabled(true);
        returnFocus();
        return;
    }
    // The editor starts afresh.
    job_.cancel();
    editPagesButton_->setEnabled(true);
    repairBox_->setEnabled(true);
    npcCombo_->clear();
    entries_.clear();
    openIndex_ = 0;
    session_.reset();
    loadingLabel_->show();
    listing_ = true;
    job_.start(session_.workspace());
}

void MainWindow::onNpcSelected(int index)
{
    if (index <= 0 || index > static_cast<int>(entries_.size()))
        return;
    // Choosing the open NPC again reads its shop again, which loses edits as well.
    if (!settleUnsavedChanges()) {
        npcCombo_->setCurrentIndex(openIndex_);
        return;
    }
    openShop(index);
    returnFocus();
}

void MainWindow::openShop(int index)
{
    const auto path = entries_[static_cast<std::size_t>(index - 1)];
    openIndex_ = index;
    npcCombo_->setCurrentIndex(index);
    const auto result = session_.open(path);
    if (result.status != ShopSession::OpenStatus::Opened) {
        showOpenFailure(result);
        return;
    }
    transferMode_ = TransferMode::Batch;
    if (!listing_)
        saveButton_->setEnabled(true);
    emit shopOpened();
}

void MainWindow::showOpenFailure(const ShopSession::OpenResult& result)
{
    // Nothing is bound: the path box is empty and there is nothing to save.
    saveButton_->setEnabled(false);
    if (result.status == ShopSession::OpenStatus::TooManyPages) {
        dialogs_.message(this, QStringLiteral("错误"), result.message, Dialogs::Icon::None);
        openRepairWindow();
        return;
    }
    dialogs_.message(this, QStringLiteral("错误"), result.message, Dialogs::Icon::Error);
}

void MainWindow::openRepairWindow()
{
    transferMode_ = TransferMode::Batch;
    TransferWindow window(TransferMode::Batch, session_.pendingBlock(), dialogs_, this);
    window.reader = [this](const QString& text) { return session_.readBlock(text, TransferMode::Batch); };
    window.exec();
    if (session_.isBound() && !listing_)
        saveButton_->setEnabled(true);
    returnFocus();
}

bool MainWindow::save()
{
    if (saving_)
        return false;
    saving_ = true;
    setListControlsEnabled(false);
    // Nothing may change the shop between the write and the read that shows what was written.
    session_.setEditable(false);

    auto result = session_.save(false);
    if (result.status == ShopSession::SaveStatus::ChangedOnDisk) {
        if (dialogs_.question(this, kNotice, QStringLiteral("文件已被其他程序修改，是否覆盖？"),
                              Dialogs::Icon::Warning))
            result = session_.save(true);
    }
    if (result.status == ShopSession::SaveStatus::Saved) {
        saveButton_->setText(QStringLiteral("√√√"));
        SoundPlayer::playSaved();
        emit saveConfirming();
        QEventLoop wait;
        QTimer::singleShot(confirmationDelay_, &wait, &QEventLoop::quit);
        wait.exec();
        saveButton_->setText(QStringLiteral("保存文件"));
        // Reading the shop again makes the grids editable again.
        if (openIndex_ > 0 && openIndex_ <= static_cast<int>(entries_.size()))
            openShop(openIndex_);
        else if (const auto again = session_.reopen(); again.status != ShopSession::OpenStatus::Opened)
            showOpenFailure(again);
    } else if (result.status == ShopSession::SaveStatus::Failed) {
        dialogs_.message(this, kNotice, QStringLiteral("保存失败！\n") + result.message,
                         Dialogs::Icon::Error);
    }
    session_.setEditable(true);
    setListControlsEnabled(true);
    if (!session_.isBound())
        saveButton_->setEnabled(false);
    saving_ = false;
    returnFocus();
    return result.status == ShopSession::SaveStatus::Saved;
}

int MainWindow::currentPage() const
{
    const int index = tabs_->currentIndex();
    return index >= 0 && index < shop::kPageCount ? index : -1;
}

PageGridView* MainWindow::currentPageGrid() const
{
    const int page = currentPage();
    return page < 0 ? nullptr : grids_[static_cast<std::size_t>(page)];
}

bool MainWindow::fillSelectedCell(const QString& text)
{
    auto* view = currentPageGrid();
    return view && view->fillSelectedCell(text);
}

void MainWindow::addTwoRows()
{
    if (currentPage() >= 0)
        session_.addTwoRows(currentPage());
    returnFocus();
}

void MainWindow::clearThisPage()
{
    const bool yes =
        dialogs_.question(this, kNotice, QStringLiteral("确定要清空本页的数据吗？"), Dialogs::Icon::None);
    if (yes && currentPage() >= 0)
        session_.clearPage(currentPage());
    returnFocus();
}

void MainWindow::clearAllPages()
{
    if (dialogs_.question(this, kNotice, QStringLiteral("确定要清空 所有页 的数据吗？"), Dialogs::Icon::None))
        session_.clearAllPages();
    returnFocus();
}

void MainWindow::editPageNames()
{
    auto names = session_.pageNames();
    for (int k = 0; k < shop::kPageCount; ++k) {
        auto& name = names[static_cast<std::size_t>(k)];
        const QString title = QStringLiteral("请输入第") + pageTitleOrdinal(k) + QStringLiteral("页名称");
        QString initial = name;
        while (true) {
            const auto answer = dialogs_.input(this, title, QStringLiteral("删除页名称请输入-1"), initial);
            if (!answer)
                break;
            // A name the string table cannot hold as one line is refused, and asked again.
            if (const auto ok = shop::checkPageName(u8(*answer)); !ok) {
                dialogs_.message(this, kNotice, qs(ok.error().message), Dialogs::Icon::Warning);
                initial = *answer;
                continue;
            }
            name = *answer == QStringLiteral("-1") ? ShopSession::defaultPageName(k + 1) : *answer;
            break;
        }
    }
    session_.renamePages(names);
    returnFocus();
}

void MainWindow::openForRead()
{
    if (!settleUnsavedChanges())
        return;
    transferMode_ = TransferMode::Read;
    TransferWindow window(TransferMode::Read, {}, dialogs_, this);
    window.reader = [this](const QString& text) {
        const auto result = session_.readBlock(text, TransferMode::Read);
        if (result.status == ShopSession::BlockStatus::Read) {
            // The editor leaves the file mode: nothing here can be saved over a shop.
            editPagesButton_->setEnabled(false);
            saveButton_->setEnabled(false);
            repairBox_->setEnabled(false);
            npcCombo_->clear();
            npcCombo_->setEnabled(false);
            entries_.clear();
            openIndex_ = 0;
        }
        return result;
    };
    window.exec();
    returnFocus();
}

void MainWindow::openForOutput()
{
    transferMode_ = TransferMode::Output;
    TransferWindow window(TransferMode::Output, session_.output(), dialogs_, this);
    window.exec();
    returnFocus();
}

void MainWindow::showHelp()
{
    HelpWindow help(this);
    help.exec();
    returnFocus();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (saving_ || !settleUnsavedChanges()) {
        event->ignore();
        return;
    }
    job_.cancel();
    event->accept();
}

} // namespace shopkeeper::gui
