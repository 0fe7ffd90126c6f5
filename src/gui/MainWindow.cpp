#include "MainWindow.h"

#include "FramelessChrome.h"
#include "GridCommands.h"
#include "HelpWindow.h"
#include "QtText.h"
#include "SoundPlayer.h"
#include "io/AtomicFile.h"
#include "shop/SellItemBlock.h"
#include "shop/ShopReader.h"
#include "shop/ShopWriter.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace shopkeeper::gui {

namespace {

const QString kProduct = QStringLiteral("Shopkeeper  NPC商店编辑器  Ver1.2");
const QString kNotice = QStringLiteral("提示");
const QString kDiscardQuestion = QStringLiteral("当前商店尚未保存，是否放弃修改？");
const QColor kRepairOn(0x00, 0x80, 0x00);
const QColor kRepairOff(0xFF, 0x00, 0x00);

QString pageTitleOrdinal(int page)
{
    static const char* const ordinals[] = {"一", "二", "三", "四", "五"};
    return QString::fromUtf8(ordinals[page]);
}

} // namespace

MainWindow::MainWindow(std::filesystem::path workspace, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), workspace_(std::move(workspace)), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("主窗口"));
    setFixedSize(700, 560);
    chrome_ = new FramelessChrome(this, kProduct);
    buildControls();

    connect(&job_, &NpcListJob::listed, this,
            [this](int) { npcCombo_->addItem(qs(workspace::kChooseNpcPrompt)); });
    connect(&job_, &NpcListJob::entryFound, this, [this](const QString& shopFile, const QString& name) {
        entries_.push_back(toPath(shopFile));
        npcCombo_->addItem(name);
    });
    connect(&job_, &NpcListJob::failed, this, [this](const QString& message) {
        loadingLabel_->hide();
        dialogs_.message(this, QStringLiteral("错误提示"), message, Dialogs::Icon::Error);
        setListControlsEnabled(true);
    });
    connect(&job_, &NpcListJob::finished, this, [this] {
        // The prompt is selected without opening a shop.
        const int prompt = npcCombo_->findText(qs(workspace::kChooseNpcPrompt), Qt::MatchStartsWith);
        npcCombo_->setCurrentIndex(prompt);
        openIndex_ = 0;
        loadingLabel_->hide();
        setListControlsEnabled(true);
        emit npcListReady();
    });
    connect(&undo_, &QUndoStack::cleanChanged, this, [this] { updateTitle(); });

    auto* undoAction = undo_.createUndoAction(this, QStringLiteral("撤销"));
    undoAction->setShortcuts(QKeySequence::Undo);
    auto* redoAction = undo_.createRedoAction(this, QStringLiteral("重做"));
    redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    auto* saveAction = new QAction(QStringLiteral("保存"), this);
    saveAction->setShortcut(QKeySequence::Save);
    connect(saveAction, &QAction::triggered, this, [this] {
        if (saveButton_->isEnabled())
            save();
    });
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
    auto* label = new QLabel(title, box);
    label->setObjectName(QString::fromUtf8(titleName));
    label->adjustSize();
    label->move(8, 0);
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
    saveButton_ = button(batch, "保存按钮", QStringLiteral("保存文件"), {599, 10, 80, 30});
    saveButton_->setEnabled(false);
    label(batch, "标签7", QStringLiteral("路径:"), {6, 44, 44, 24});
    pathBox_ = new QLineEdit(batch);
    pathBox_->setObjectName(QStringLiteral("路径框"));
    pathBox_->setGeometry(57, 44, 624, 24);
    pathBox_->setReadOnly(true);
    pathBox_->setPlaceholderText(QStringLiteral("工作目录：") + nativePath(workspace_.root()));
    setRepairFlag(false);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("选择夹1"));
    tabs_->setGeometry(10, 101, 680, 370);
    for (int k = 0; k < shop::kPageCount; ++k) {
        auto* page = new QWidget();
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(4, 4, 4, 4);
        models_[static_cast<std::size_t>(k)] = new PageGridModel(this);
        models_[static_cast<std::size_t>(k)]->setUndoStack(&undo_);
        auto* view = new PageGridView(models_[static_cast<std::size_t>(k)], page);
        view->setObjectName(QStringLiteral("物品表格%1").arg(k + 1));
        layout->addWidget(view);
        grids_[static_cast<std::size_t>(k)] = view;
        tabs_->addTab(page, qs(shop::defaultPageName(k + 1)));
    }
    editPagesButton_ = button(this, "编辑页按钮", QStringLiteral("编辑页名称"), {610, 101, 80, 18});
    editPagesButton_->setEnabled(false);
    editPagesButton_->raise();

    auto* addRows = button(this, "增加按钮", QStringLiteral("↑增加两行↑"), {470, 477, 101, 31});

    auto* single = group("分组框1", "标签10", QStringLiteral("单文件修改"), {11, 473, 96, 80});
    auto* readButton = button(single, "读取按钮", QStringLiteral("读取数据"), {3, 19, 88, 25});
    auto* outputButton = button(single, "输出按钮", QStringLiteral("输出数据"), {3, 50, 88, 25});

    auto* pages = group("分组框2", "标签11", QStringLiteral("分页操作"), {116, 473, 96, 80});
    auto* clearPage = button(pages, "清空本页按钮", QStringLiteral("清空本页"), {4, 19, 88, 25});
    auto* clearAll = button(pages, "清空所有按钮", QStringLiteral("清空所有"), {4, 50, 88, 25});

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
    button(lookup, "预览按钮", QStringLiteral("预览物品"), {8, 19, 88, 25});
    button(lookup, "搜索按钮", QStringLiteral("搜索物品"), {8, 50, 88, 25});

    auto* external = new QCheckBox(this);
    external->setObjectName(QStringLiteral("外置ID选择框"));
    external->setGeometry(471, 522, 16, 16);
    auto* externalLabel = label(this, "标签14", QStringLiteral("加载外置ID→→→→→→"), {489, 521, 98, 18});
    // The caption must fit between its check box and the group on its right.
    QFont small = externalLabel->font();
    for (int size = 10; size > 6; --size) {
        small.setPixelSize(size);
        if (QFontMetrics(small).horizontalAdvance(externalLabel->text()) <= externalLabel->width())
            break;
    }
    externalLabel->setFont(small);

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
        undo_.push(new ValueCommand<bool>(QStringLiteral("可修理装备"), !checked, checked,
                                          [this](const bool& value) { setRepairFlag(value); }));
    });
    connect(editPagesButton_, &QPushButton::clicked, this, &MainWindow::editPageNames);
    connect(addRows, &QPushButton::clicked, this, &MainWindow::addTwoRows);
    connect(clearPage, &QPushButton::clicked, this, &MainWindow::clearThisPage);
    connect(clearAll, &QPushButton::clicked, this, &MainWindow::clearAllPages);
    connect(readButton, &QPushButton::clicked, this, &MainWindow::openForRead);
    connect(outputButton, &QPushButton::clicked, this, &MainWindow::openForOutput);
    connect(help, &QPushButton::clicked, this, &MainWindow::showHelp);
    connect(minimise, &PictureButton::clicked, this, &QWidget::showMinimized);
    connect(close, &PictureButton::clicked, this, &QWidget::close);
}

std::vector<PageGridModel*> MainWindow::models() const
{
    return {models_.begin(), models_.end()};
}

void MainWindow::updateTitle()
{
    QString title = kProduct + QStringLiteral("    工作目录：") + nativePath(workspace_.root());
    if (isModified())
        title += QStringLiteral("  *已修改");
    const int room = 555; // up to the help button
    chrome_->setTitle(chrome_->titleStrip()->fontMetrics().elidedText(title, Qt::ElideMiddle, room));
    chrome_->titleStrip()->setToolTip(title);
}

void MainWindow::setListControlsEnabled(bool enabled)
{
    loadButton_->setEnabled(enabled);
    npcCombo_->setEnabled(enabled);
    saveButton_->setEnabled(enabled);
}

void MainWindow::setRepairFlag(bool repairable)
{
    repairBox_->setChecked(repairable);
    QPalette palette = repairLabel_->palette();
    palette.setColor(QPalette::WindowText, repairable ? kRepairOn : kRepairOff);
    repairLabel_->setPalette(palette);
}

void MainWindow::setCaptions(const std::array<QString, shop::kPageCount>& captions)
{
    for (int k = 0; k < shop::kPageCount; ++k)
        tabs_->setTabText(k, captions[static_cast<std::size_t>(k)]);
}

std::array<QString, shop::kPageCount> MainWindow::captions() const
{
    std::array<QString, shop::kPageCount> out;
    for (int k = 0; k < shop::kPageCount; ++k)
        out[static_cast<std::size_t>(k)] = tabs_->tabText(k);
    return out;
}

void MainWindow::showPages(const shop::ShopPages& pages)
{
    for (std::size_t k = 0; k < pages.size(); ++k) {
        if (pages[k].rowCount() == 0)
            models_[k]->clearGrid();
        else
            models_[k]->fill(pages[k]);
    }
}

bool MainWindow::confirmDiscard()
{
    if (!isModified())
        return true;
    return dialogs_.question(this, kNotice, kDiscardQuestion);
}

void MainWindow::loadWorkspace()
{
    if (!confirmDiscard())
        return;
    setListControlsEnabled(false);
    if (auto ok = workspace_.checkRequiredFiles(); !ok) {
        dialogs_.message(this, QStringLiteral("错误提示"), qs(ok.error().message), Dialogs::Icon::Error);
        setListControlsEnabled(true);
        return;
    }
    resetEditor();
    loadingLabel_->show();
    job_.start(workspace_);
}

void MainWindow::resetEditor()
{
    job_.cancel();
    editPagesButton_->setEnabled(true);
    repairBox_->setEnabled(true);
    pathBox_->clear();
    npcCombo_->clear();
    clearItemGrids();
    document_ = shop::ShopDocument{};
    setRepairFlag(false);
    entries_.clear();
    openIndex_ = 0;
    resetPageNames();
    undo_.clear();
}

void MainWindow::clearItemGrids()
{
    for (auto* model : models_)
        model->clearGrid();
}

void MainWindow::resetPageNames()
{
    for (int k = 0; k < shop::kPageCount; ++k)
        tabs_->setTabText(k, qs(shop::defaultPageName(k + 1)));
}

void MainWindow::leaveFileMode()
{
    editPagesButton_->setEnabled(false);
    saveButton_->setEnabled(false);
    repairBox_->setEnabled(false);
    setRepairFlag(false);
    pathBox_->clear();
    npcCombo_->clear();
    npcCombo_->setEnabled(false);
    entries_.clear();
    openIndex_ = 0;
    resetPageNames();
    // No file is bound any more: nothing can be saved over a shop by mistake.
    document_ = shop::ShopDocument{};
}

void MainWindow::onNpcSelected(int index)
{
    if (index <= 0 || index > static_cast<int>(entries_.size()))
        return;
    // Choosing the open NPC again reads its shop again, which loses edits as well.
    if (!confirmDiscard()) {
        npcCombo_->setCurrentIndex(openIndex_);
        return;
    }
    openShop(index);
}

void MainWindow::openShop(int index)
{
    const auto& path = entries_[static_cast<std::size_t>(index - 1)];
    openIndex_ = index;
    npcCombo_->setCurrentIndex(index);
    pathBox_->setText(nativePath(path));
    // The table is read again: a save may have changed it since the load.
    auto result = shop::ShopReader::read(path, text::StringTable::read(workspace_.shopStringTablePath()));
    undo_.clear();
    if (!result) {
        document_ = shop::ShopDocument{};
        clearItemGrids();
        resetPageNames();
        setRepairFlag(false);
        if (result.error().tooManyPages) {
            dialogs_.message(this, QStringLiteral("错误"), qs(result.error().message), Dialogs::Icon::None);
            transferMode_ = TransferMode::Batch;
            TransferWindow window(TransferMode::Batch, qs(result.error().sellBody), dialogs_, this);
            window.onPagesRead = [this](const shop::ShopPages& pages) { showPages(pages); };
            window.exec();
        } else {
            dialogs_.message(this, QStringLiteral("错误"), qs(result.error().message), Dialogs::Icon::Error);
        }
        return;
    }
    document_ = std::move(*result);
    transferMode_ = TransferMode::Batch;
    showPages(document_.pages);
    std::array<QString, shop::kPageCount> names;
    for (std::size_t k = 0; k < names.size(); ++k)
        names[k] = qs(document_.captions[k]);
    setCaptions(names);
    setRepairFlag(document_.repairable);
    undo_.clear();
    updateTitle();
    emit shopOpened();
}

bool MainWindow::save()
{
    if (saving_)
        return false;
    saving_ = true;
    setListControlsEnabled(false);

    for (std::size_t k = 0; k < models_.size(); ++k) {
        document_.pages[k] = models_[k]->page();
        document_.captions[k] = u8(tabs_->tabText(static_cast<int>(k)));
    }
    document_.repairable = repairBox_->isChecked();
    io::AtomicFileWriter disk;
    shop::ShopWriter writer;
    const auto result = writer.save(document_, workspace_.shopStringTablePath(), disk);
    if (result) {
        undo_.setClean();
        saveButton_->setText(QStringLiteral("√√√"));
        SoundPlayer::playSaved();
        QEventLoop wait;
        QTimer::singleShot(confirmationDelay_, &wait, &QEventLoop::quit);
        wait.exec();
        saveButton_->setText(QStringLiteral("保存文件"));
        if (openIndex_ > 0 && openIndex_ <= static_cast<int>(entries_.size()))
            openShop(openIndex_);
    } else {
        dialogs_.message(this, kNotice, QStringLiteral("保存失败！\n") + qs(result.error().message),
                         Dialogs::Icon::Error);
        saveButton_->setText(QStringLiteral("保存文件"));
    }
    setListControlsEnabled(true);
    saving_ = false;
    return result.has_value();
}

PageGridView* MainWindow::currentPageGrid() const
{
    const int index = tabs_->currentIndex();
    if (index < 0 || index >= shop::kPageCount)
        return nullptr;
    return grids_[static_cast<std::size_t>(index)];
}

bool MainWindow::fillSelectedCell(const QString& text)
{
    auto* view = currentPageGrid();
    return view && view->fillSelectedCell(text);
}

void MainWindow::addTwoRows()
{
    auto* view = currentPageGrid();
    if (!view)
        return;
    auto* model = view->gridModel();
    recordGridChange(&undo_, QStringLiteral("增加两行"), {model}, [model] {
        model->appendRows(1);
        model->appendRows(1);
        model->shadeRows();
    });
}

void MainWindow::clearThisPage()
{
    if (!dialogs_.question(this, kNotice, QStringLiteral("确定要清空本页的数据吗？")))
        return;
    auto* view = currentPageGrid();
    if (!view)
        return;
    auto* model = view->gridModel();
    recordGridChange(&undo_, QStringLiteral("清空本页"), {model}, [model] { model->clearGrid(); });
}

void MainWindow::clearAllPages()
{
    if (!dialogs_.question(this, kNotice, QStringLiteral("确定要清空 所有页 的数据吗？")))
        return;
    recordGridChange(&undo_, QStringLiteral("清空所有"), models(), [this] { clearItemGrids(); });
}

void MainWindow::editPageNames()
{
    const auto before = captions();
    auto after = before;
    for (int k = 0; k < shop::kPageCount; ++k) {
        const auto answer =
            dialogs_.input(this, QStringLiteral("请输入第") + pageTitleOrdinal(k) + QStringLiteral("页名称"),
                           QStringLiteral("删除页名称请输入-1"), after[static_cast<std::size_t>(k)]);
        if (!answer)
            continue;
        after[static_cast<std::size_t>(k)] =
            *answer == QStringLiteral("-1") ? qs(shop::defaultPageName(k + 1)) : *answer;
    }
    if (after == before)
        return;
    undo_.push(new ValueCommand<std::array<QString, shop::kPageCount>>(
        QStringLiteral("编辑页名称"), before, after, [this](const auto& names) { setCaptions(names); }));
}

void MainWindow::openForRead()
{
    if (!confirmDiscard())
        return;
    transferMode_ = TransferMode::Read;
    TransferWindow window(TransferMode::Read, {}, dialogs_, this);
    window.onPagesRead = [this](const shop::ShopPages& pages) {
        showPages(pages);
        leaveFileMode();
        undo_.clear();
    };
    window.exec();
}

void MainWindow::openForOutput()
{
    transferMode_ = TransferMode::Output;
    recordGridChange(&undo_, QStringLiteral("输出数据"), models(), [this] {
        for (auto* model : models_) {
            model->removeEmptyRows();
            model->fillEmptyCells();
        }
    });
    shop::ShopPages pages;
    for (std::size_t k = 0; k < pages.size(); ++k)
        pages[k] = models_[k]->page();
    TransferWindow window(TransferMode::Output, qs(shop::SellItemBlock::serialise(pages)), dialogs_, this);
    window.exec();
}

void MainWindow::showHelp()
{
    HelpWindow help(this);
    help.exec();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!confirmDiscard()) {
        event->ignore();
        return;
    }
    job_.cancel();
    event->accept();
}

} // namespace shopkeeper::gui
