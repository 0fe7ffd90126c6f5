#include "gui/windows/HistoryWindow.h"

#include "core/history/EntryChange.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopWriter.h"
#include "core/text/ScriptText.h"
#include "gui/catalogue/CatalogueService.h"
#include "gui/session/DocumentManager.h"
#include "gui/session/ShopSession.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/QtText.h"
#include "gui/windows/ChangeLines.h"
#include "ui_HistoryWindow.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <chrono>

namespace shopkeeper::gui {

namespace {

const QString kNotice = QStringLiteral("提示");
constexpr auto kLockWait = std::chrono::milliseconds(5000);

bool isTable(const std::filesystem::path& path)
{
    return text::asciiLowered(io::displayPath(path.filename())) == "itemshop.kor.str";
}

// The shop files an entry changed, by name; the page-name table only when it is all there is.
QString shopsOf(const history::Entry& entry)
{
    QStringList shops;
    QString table;
    for (const auto& file : entry.files) {
        if (isTable(file.path))
            table = fromPath(file.path.filename());
        else
            shops << fromPath(file.path.filename());
    }
    return shops.isEmpty() ? table : shops.join(QStringLiteral("、"));
}

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code ec;
    return std::filesystem::absolute(a, ec).lexically_normal() ==
           std::filesystem::absolute(b, ec).lexically_normal();
}

} // namespace

struct HistoryWindow::Restored
{
    enum class Kind
    {
        Done,
        ChangedSince,
        Failed
    };
    Kind kind = Kind::Done;
    QString message;
    QString notes; // what an earlier, killed operation left and the lock rolled back
};

HistoryWindow::HistoryWindow(ShopSession& session, DocumentManager& documents, CatalogueService& catalogue,
                             Dialogs& dialogs, QWidget* owner)
    : ToolWindow(session, catalogue, dialogs, owner, QStringLiteral("history")), documents_(documents)
{
    Ui::HistoryWindow ui;
    ui.setupUi(this);
    setUpFrame(QStringLiteral("历史记录"), {QStringLiteral("关闭按钮H"), width() - 28},
               Picture{QStringLiteral("最小化按钮H"), width() - 58});
    entries_ = ui.记录表格;
    refreshButton_ = ui.刷新按钮;
    restoreButton_ = ui.恢复按钮;
    setUpResults(ui.结果表格, ui.状态标签,
                 ChangeLines::headers(true, QStringLiteral("之前"), QStringLiteral("之后")), {110, 140, 200});

    entryList_ = new PlaceListModel(
        {QStringLiteral("时间"), QStringLiteral("程序"), QStringLiteral("商店"), QStringLiteral("摘要")},
        this);
    entries_->setModel(entryList_);
    entries_->setSelectionBehavior(QAbstractItemView::SelectRows);
    entries_->setSelectionMode(QAbstractItemView::SingleSelection);
    entries_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    entries_->setWordWrap(false);
    entries_->verticalHeader()->hide();
    entries_->verticalHeader()->setDefaultSectionSize(22);
    entries_->horizontalHeader()->setStretchLastSection(true);
    entries_->horizontalHeader()->setHighlightSections(false);
    for (const auto& [column, width] : {std::pair{0, 140}, {1, 130}, {2, 170}})
        entries_->setColumnWidth(column, width);
    connect(entries_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { showChange(current.row()); });

    connect(refreshButton_, &QPushButton::clicked, this, &HistoryWindow::refresh);
    connect(restoreButton_, &QPushButton::clicked, this, &HistoryWindow::restore);
    connect(&catalogue_, &CatalogueService::ready, table(), [this] { table()->viewport()->update(); });
    catalogue_.prepare();
}

HistoryWindow::~HistoryWindow()
{
    reading_.stop();
    restorer_.stop();
}

void HistoryWindow::refresh()
{
    statusLabel()->setText(QStringLiteral("正在读取历史记录…"));
    using Entries = std::shared_ptr<const std::vector<history::Entry>>;
    reading_.run<Entries>(
        [root = session_.workspace().root()](const JobRun::Ticket&) {
            return std::make_shared<const std::vector<history::Entry>>(
                history::History(root, "shopkeeper").list());
        },
        [this](Entries entries) { showEntries(std::move(entries)); });
}

void HistoryWindow::showEntries(std::shared_ptr<const std::vector<history::Entry>> entries)
{
    shown_ = entries;
    PlaceListModel::Source source;
    source.count = entries->size();
    source.text = [entries](std::size_t item, int column) {
        const auto& entry = (*entries)[item];
        switch (column) {
        case 0:
            return qs(entry.time);
        case 1:
            return qs(entry.program);
        case 2:
            return shopsOf(entry);
        default:
            return qs(entry.summary);
        }
    };
    source.place = [](std::size_t) { return Place{}; };
    entryList_->setSource(std::move(source));
    places()->clear();
    restoreButton_->setEnabled(!entries->empty() && !restoring_);
    statusLabel()->setToolTip(
        nativePath(history::History(session_.workspace().root(), "shopkeeper").folder()));
    if (entries->empty()) {
        statusLabel()->setText(QStringLiteral("这个工作目录还没有保存记录。"));
        emit listed();
        return;
    }
    statusLabel()->setText(QStringLiteral("共 %1 条记录").arg(entries->size()));
    emit listed();
    entries_->selectRow(0);
}

void HistoryWindow::showChange(int row)
{
    const auto entries = shown_;
    if (!entries || row < 0 || static_cast<std::size_t>(row) >= entries->size()) {
        places()->clear();
        return;
    }
    using Lines = std::shared_ptr<const std::vector<ShopChangeLines>>;
    reading_.run<Lines>(
        [entries, row, table = session_.workspace().shopStringTablePath()](const JobRun::Ticket&) {
            auto change = history::changeOf(*entries, static_cast<std::size_t>(row), table);
            auto shops = std::make_shared<std::vector<ShopChangeLines>>();
            for (auto& shop : change.shops)
                shops->push_back(
                    {shop.path, fromPath(shop.path.filename()), std::move(shop.change), qs(shop.problem)});
            // The table's lines come last, under its own name; no place to go to.
            if (!change.tableLines.empty() || !change.tableProblem.empty()) {
                ShopChangeLines lines{{}, QStringLiteral("itemshop.kor.str"), {}, qs(change.tableProblem)};
                lines.change.tableLines = std::move(change.tableLines);
                shops->push_back(std::move(lines));
            }
            return Lines(std::move(shops));
        },
        [this, row](Lines shops) {
            places()->setSource(
                ChangeLines::source(shops, true, [this](const QString& id) { return itemName(id); }));
            const auto& entry = (*shown_)[static_cast<std::size_t>(row)];
            statusLabel()->setText(qs(entry.time) + QStringLiteral("  ") + qs(entry.summary));
            emit changeShown();
        });
}

std::optional<history::Entry> HistoryWindow::selectedEntry() const
{
    const int row = entries_->currentIndex().row();
    if (!shown_ || row < 0 || static_cast<std::size_t>(row) >= shown_->size())
        return std::nullopt;
    return (*shown_)[static_cast<std::size_t>(row)];
}

void HistoryWindow::restore()
{
    const auto entry = selectedEntry();
    if (!entry || restoring_)
        return;
    const bool touchesOpenShop =
        session_.isBound() && std::ranges::any_of(entry->files, [this](const history::EntryFile& file) {
            return samePath(file.path, session_.path());
        });
    const QString question = QStringLiteral("确定要把 %1 恢复到这次操作之前的样子吗？\n%2  %3\n"
                                            "恢复本身也会记入历史记录，可以再恢复回来。")
                                 .arg(shopsOf(*entry), qs(entry->time), qs(entry->summary));
    if (!dialogs_.question(this, kNotice, question, Dialogs::Icon::Question))
        return;
    // The open shop is read again afterwards: its edits are saved or dropped first. Nothing may
    // save or edit it while the files are put back.
    if ((touchesOpenShop && !documents_.settle()) || !documents_.beginWrite())
        return;
    runRestore(*entry, false, touchesOpenShop);
}

void HistoryWindow::runRestore(const history::Entry& entry, bool force, bool touchesOpenShop)
{
    restoring_ = true;
    restoreButton_->setEnabled(false);
    statusLabel()->setText(QStringLiteral("正在恢复…"));
    restorer_.run<Restored>(
        [root = session_.workspace().root(), table = session_.workspace().shopStringTablePath(),
         id = entry.id, force](const JobRun::Ticket&) {
            history::History history(root, "shopkeeper");
            Restored out;
            // The same lock as a save; an operation a killed program left half done is rolled back first.
            auto lock = shop::ShopWriter::lockForSave(table, kLockWait, &history);
            for (const auto& note : history.notes())
                out.notes += (out.notes.isEmpty() ? QString() : QStringLiteral("\n")) + qs(note);
            if (!lock)
                return Restored{Restored::Kind::Failed, qs(lock.error().message), out.notes};
            auto restored = history.restore(id, force);
            if (!restored) {
                out.kind = restored.error().kind == history::RestoreError::Kind::ChangedSince
                               ? Restored::Kind::ChangedSince
                               : Restored::Kind::Failed;
                out.message = qs(restored.error().message);
            }
            return out;
        },
        [this, entry, touchesOpenShop](Restored restored) {
            finishRestore(entry, touchesOpenShop, restored);
        });
}

void HistoryWindow::finishRestore(const history::Entry& entry, bool touchesOpenShop, const Restored& restored)
{
    if (!restored.notes.isEmpty())
        dialogs_.message(this, kNotice, restored.notes, Dialogs::Icon::Warning);
    if (restored.kind == Restored::Kind::ChangedSince) {
        const bool force = dialogs_.question(
            this, kNotice,
            QStringLiteral("%1 在这次操作之后又被修改过，恢复会丢掉那些修改。\n是否仍然恢复？")
                .arg(shopsOf(entry)),
            Dialogs::Icon::Warning);
        if (force) {
            runRestore(entry, true, touchesOpenShop);
            return;
        }
    }
    restoring_ = false;
    restoreButton_->setEnabled(true);
    const bool done = restored.kind == Restored::Kind::Done;
    // The open shop shows its file as the restore left it.
    documents_.endWrite(done && touchesOpenShop);
    if (restored.kind == Restored::Kind::Failed)
        dialogs_.message(this, kNotice, QStringLiteral("恢复失败！") + restored.message,
                         Dialogs::Icon::Error);
    emit restoreFinished(done);
    // The restore is an entry of its own now.
    refresh();
}

void HistoryWindow::closeEvent(QCloseEvent* event)
{
    // Files are being put back: the window stays until they are.
    if (restoring_) {
        event->ignore();
        return;
    }
    ToolWindow::closeEvent(event);
}

} // namespace shopkeeper::gui
