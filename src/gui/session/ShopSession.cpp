#include "gui/session/ShopSession.h"

#include "core/history/History.h"
#include "core/io/AtomicFile.h"
#include "core/shop/SellItemBlock.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopRepair.h"
#include "core/shop/ShopWriter.h"
#include "gui/session/PageEditCommand.h"
#include "gui/session/ValueCommand.h"
#include "gui/widgets/QtText.h"

namespace shopkeeper::gui {

namespace {

// Undo steps of one kind that follow each other merge (ticking and unticking the repair box).
constexpr int kRepairStepId = 100;

std::vector<int> allPages()
{
    return {0, 1, 2, 3, 4};
}

bool validPage(int page)
{
    return page >= 0 && page < shop::kPageCount;
}

} // namespace

QString ShopSession::defaultPageName(int page)
{
    return qs(shop::defaultPageName(page));
}

ShopSession::ShopSession(std::filesystem::path workspace, QObject* parent)
    : QObject(parent), workspace_(std::move(workspace))
{
    // A new grid has one empty row.
    for (int k = 0; k < shop::kPageCount; ++k)
        document_.addRows(k, 1);
    connect(&undo_, &QUndoStack::cleanChanged, this, [this] { setDirty(dirty_); });
}

ShopSession::~ShopSession()
{
    // The commands call back into the session: they go first.
    undo_.clear();
}

PageNames ShopSession::pageNames() const
{
    PageNames names;
    for (std::size_t k = 0; k < names.size(); ++k)
        names[k] = qs(document_.names()[k]);
    return names;
}

void ShopSession::setDirty(bool dirty)
{
    dirty_ = dirty;
    const bool modified = isModified();
    if (modified != lastModified_) {
        lastModified_ = modified;
        emit modifiedChanged(modified);
    }
}

void ShopSession::report(const shop::DocumentChanges& changes)
{
    for (const auto& change : changes) {
        emit documentChanged(change);
        if (change.kind == shop::DocumentChange::Kind::Names)
            emit pageNamesChanged();
        else if (change.kind == shop::DocumentChange::Kind::Repair)
            emit repairableChanged(document_.isRepairable());
    }
}

void ShopSession::change(const Change& operation)
{
    report(operation(document_));
}

void ShopSession::restorePages(const std::vector<std::pair<int, shop::PageSnapshot>>& snapshots)
{
    for (const auto& [page, snapshot] : snapshots)
        report(document_.restorePage(page, snapshot));
}

void ShopSession::restoreCell(int page, shop::CellPosition at, const std::string& text)
{
    report(document_.restoreCell(page, at, text));
}

void ShopSession::setCurrentPage(int page)
{
    if (!validPage(page) || page == currentPage_)
        return;
    currentPage_ = page;
    emit currentPageChanged(page);
}

std::optional<shop::CellPosition> ShopSession::cursor(int page) const
{
    return validPage(page) ? cursors_[static_cast<std::size_t>(page)] : std::nullopt;
}

void ShopSession::setCursor(int page, std::optional<shop::CellPosition> at)
{
    if (!validPage(page) || cursors_[static_cast<std::size_t>(page)] == at)
        return;
    cursors_[static_cast<std::size_t>(page)] = at;
    emit cursorChanged(page);
}

void ShopSession::showPages(const shop::ShopPages& pages)
{
    report(document_.showPages(pages));
}

bool ShopSession::changePages(const QString& text, const std::vector<int>& pages, const Change& operation)
{
    if (!isEditable())
        return false;
    const int before = undo_.count();
    const int index = undo_.index();
    undo_.push(new PageEditCommand(*this, text, pages, operation));
    return undo_.count() != before || undo_.index() != index;
}

void ShopSession::reset()
{
    undo_.clear();
    report(document_.replaceWith(shop::ShopDocument{}));
    pendingBlock_.clear();
    pendingPath_.clear();
    setDirty(false);
    emit bindingChanged();
}

void ShopSession::setWorkspace(std::filesystem::path folder)
{
    workspace_ = workspace::Workspace(std::move(folder));
    reset();
}

void ShopSession::leaveFileMode()
{
    // The pages stay; everything that tied them to a file goes.
    report(document_.forgetSource());
    pendingBlock_.clear();
    pendingPath_.clear();
    emit bindingChanged();
}

ShopSession::OpenResult ShopSession::open(const std::filesystem::path& shopFile)
{
    return finishOpen(shopFile, read(shopFile, workspace_.shopStringTablePath()));
}

ShopSession::ShopRead ShopSession::read(const std::filesystem::path& shopFile,
                                        const std::filesystem::path& tablePath)
{
    return shop::ShopReader::open(shopFile, tablePath);
}

ShopSession::OpenResult ShopSession::finishOpen(const std::filesystem::path& shopFile, ShopRead result)
{
    reset();
    if (!result) {
        const bool tooMany = result.error().kind == shop::ShopReadError::Kind::TooManyPages;
        if (tooMany) {
            pendingBlock_ = qs(result.error().sellBody);
            pendingPath_ = shopFile;
        }
        return {tooMany ? OpenStatus::TooManyPages : OpenStatus::Unreadable, qs(result.error().message)};
    }
    bind(std::move(*result));
    return {};
}

void ShopSession::bind(shop::ShopDocument document)
{
    undo_.clear();
    report(document_.replaceWith(std::move(document)));
    pendingBlock_.clear();
    pendingPath_.clear();
    setDirty(false);
    emit bindingChanged();
}

ShopSession::OpenResult ShopSession::reopen()
{
    const auto path = document_.path();
    if (path.empty())
        return {OpenStatus::Unreadable, QStringLiteral("没有打开商店文件。")};
    return open(path);
}

ShopSession::SaveResult ShopSession::save(bool overwriteChanged)
{
    auto pending = prepareSave();
    if (!pending)
        return {SaveStatus::Failed, QStringLiteral("没有打开商店文件，无法保存。"), {}};
    auto result = write(*pending, overwriteChanged);
    if (result.status == SaveStatus::Saved)
        finishSave(std::move(*pending));
    return result;
}

std::optional<ShopSession::PendingSave> ShopSession::prepareSave()
{
    if (!isBound())
        return std::nullopt;
    // The grids show what is written, also when the write fails: no empty rows, "-1" in the empty
    // cells. That is the same shop, so an unmodified shop stays unmodified.
    const bool wasClean = !isModified();
    changePages(QStringLiteral("保存"), allPages(),
                [](shop::ShopDocument& document) { return document.tidy(); });
    if (wasClean)
        undo_.setClean();
    return PendingSave{document_, workspace_.shopStringTablePath(), workspace_.root()};
}

ShopSession::SaveResult ShopSession::write(PendingSave& pending, bool overwriteChanged)
{
    io::AtomicFileWriter disk;
    shop::ShopWriter writer;
    shop::SaveOptions options;
    options.overwriteChanged = overwriteChanged;
    history::History history(pending.workspaceRoot, "shopkeeper");
    options.history = &history;
    const auto result = writer.save(pending.document, pending.tablePath, disk, options);
    QString recovered;
    for (const auto& note : history.notes())
        recovered += (recovered.isEmpty() ? QString() : QStringLiteral("\n")) + qs(note);
    if (!result) {
        const bool changed = result.error().kind == shop::SaveError::Kind::ChangedOnDisk;
        return {changed ? SaveStatus::ChangedOnDisk : SaveStatus::Failed, qs(result.error().message),
                recovered};
    }
    return {SaveStatus::Saved, {}, recovered};
}

void ShopSession::finishSave(PendingSave pending)
{
    // The pages are those written; the keys, the table and the fingerprint are new.
    report(document_.takeWritten(std::move(pending.document)));
    undo_.setClean();
    setDirty(false);
}

void ShopSession::setDocumentState(DocumentState state)
{
    if (state == state_)
        return;
    const bool wasEditable = isEditable();
    state_ = state;
    emit documentStateChanged(state);
    if (wasEditable != isEditable())
        emit editableChanged(isEditable());
}

std::optional<QString> ShopSession::editCell(int page, shop::CellPosition at, const QString& text)
{
    if (!isEditable() || !validPage(page) || at.row < 0 || at.row >= document_.page(page).rowCount() ||
        at.column < 0 || at.column >= shop::kColumns)
        return std::nullopt;
    const std::string typed = u8(text);
    const std::string before = document_.page(page).cell(at.row, at.column);
    const auto changes = document_.setCell(page, at, typed);
    if (!changes) {
        const QString reason = qs(shop::cellRefusalMessage(changes.error(), typed));
        emit cellRefused(page, at.row, at.column, reason);
        return reason;
    }
    if (changes->empty())
        return std::nullopt;
    report(*changes);
    undo_.push(new CellEditCommand(*this, page, at, before, document_.page(page).cell(at.row, at.column)));
    return std::nullopt;
}

bool ShopSession::paste(int page, shop::CellPosition at, const QString& text)
{
    if (text.isEmpty() || !validPage(page))
        return false;
    int refused = 0;
    const bool changed = changePages(QStringLiteral("粘贴"), {page}, [&](shop::ShopDocument& document) {
        return document.paste(page, at, u8(text), refused);
    });
    if (refused > 0)
        emit cellRefused(page, at.row, at.column,
                         QStringLiteral("有 %1 个值不是物品ID，没有粘贴。").arg(refused));
    return changed;
}

bool ShopSession::clearCells(int page, const std::vector<shop::CellPosition>& cells)
{
    if (cells.empty() || !validPage(page))
        return false;
    return changePages(QStringLiteral("删除"), {page},
                       [&](shop::ShopDocument& document) { return document.clearCells(page, cells); });
}

bool ShopSession::fillSelectedCell(const QString& text)
{
    const int page = currentPage_;
    const auto at = cursor(page);
    if (!isEditable() || !at)
        return false;
    auto fill = document_.fillSelectedCell(page, *at, u8(text));
    if (!fill)
        return false;
    if (!fill->changes.empty()) {
        report(fill->changes);
        // The cell was empty: the step is an edit of that one cell, merged with typing into it.
        undo_.push(new CellEditCommand(*this, page, *at, {}, document_.page(page).cell(at->row, at->column)));
    }
    setCursor(page, fill->next);
    return true;
}

void ShopSession::addTwoRows(int page)
{
    if (validPage(page))
        changePages(QStringLiteral("增加两行"), {page},
                    [page](shop::ShopDocument& document) { return document.addRows(page, 2); });
}

void ShopSession::clearPage(int page)
{
    if (validPage(page))
        changePages(QStringLiteral("清空本页"), {page},
                    [page](shop::ShopDocument& document) { return document.clearPage(page); });
}

void ShopSession::clearAllPages()
{
    changePages(QStringLiteral("清空所有"), allPages(),
                [](shop::ShopDocument& document) { return document.clearAllPages(); });
}

std::optional<QString> ShopSession::renamePages(const PageNames& names)
{
    if (!isEditable())
        return std::nullopt;
    shop::PageNames wanted;
    for (std::size_t k = 0; k < names.size(); ++k)
        wanted[k] = u8(names[k]);
    const auto before = document_.names();
    const auto changes = document_.rename(wanted);
    if (!changes)
        return qs(changes.error().message);
    if (changes->empty())
        return std::nullopt;
    report(*changes);
    // Done already: the step's first redo finds the names as they are.
    undo_.push(new ValueCommand<shop::PageNames>(
        QStringLiteral("编辑页名称"), before, document_.names(),
        [this](const shop::PageNames& value) { report(document_.restoreNames(value)); }));
    return std::nullopt;
}

void ShopSession::setRepairable(bool repairable)
{
    if (!isEditable() || repairable == document_.isRepairable())
        return;
    undo_.push(new ValueCommand<bool>(
        QStringLiteral("可修理装备"), document_.isRepairable(), repairable,
        [this](const bool& value) { report(document_.setRepairable(value)); }, kRepairStepId));
}

std::expected<shop::ShopPages, ShopSession::BlockResult> ShopSession::parseBlock(const std::string& block)
{
    if (!shop::SellItemBlock::hasTab(block))
        return std::unexpected(BlockResult{BlockStatus::NotABlock, {}});
    const auto items = shop::SellItemBlock::read(block);
    if (!items) {
        return std::unexpected(
            BlockResult{items.error().tooManyPages() ? BlockStatus::TooManyPages : BlockStatus::Unreadable,
                        qs(items.error().message)});
    }
    return shop::SellItemBlock::toPages(*items);
}

ShopSession::BlockResult ShopSession::readPasted(const QString& text)
{
    const auto pages = parseBlock(u8(text));
    if (!pages)
        return pages.error();
    // Pasted data starts a new piece of work in the file-less mode.
    undo_.clear();
    showPages(*pages);
    leaveFileMode();
    setDirty(false);
    return {};
}

ShopSession::BlockResult ShopSession::readMended(const QString& text)
{
    const std::string block = u8(text);
    const auto pages = parseBlock(block);
    if (!pages) {
        // A shop file's block without a TAB holds no item: its grids are emptied.
        if (pages.error().status == BlockStatus::NotABlock)
            showPages({});
        return pages.error();
    }
    if (pendingPath_.empty()) {
        showPages(*pages);
        return {};
    }
    // The user mended the block of a shop that could not be read: the shop opens with it,
    // still bound to its file, and the mended pages are an edit to save.
    auto mended = shop::openWithMendedBlock(pendingPath_, workspace_.shopStringTablePath(), block);
    if (!mended)
        return {BlockStatus::Unreadable, qs(mended.error().message)};
    bind(std::move(*mended));
    setDirty(true);
    return {};
}

void ShopSession::tidyPages(const QString& stepName)
{
    const bool wasClean = !isModified();
    changePages(stepName, allPages(), [](shop::ShopDocument& document) { return document.tidy(); });
    // Without a file there is nothing to save, and tidying is no edit of a shop.
    if (!isBound() && wasClean)
        undo_.setClean();
}

QString ShopSession::output()
{
    tidyPages(QStringLiteral("输出数据"));
    auto pages = document_.pages(); // tidied already: the copy is written as it is
    return qs(shop::SellItemBlock::serialise(pages));
}

} // namespace shopkeeper::gui
