#include "gui/session/ShopSession.h"

#include "core/history/History.h"
#include "core/io/AtomicFile.h"
#include "core/shop/SellItemBlock.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopRepair.h"
#include "core/shop/ShopWriter.h"
#include "gui/grid/PageGridModel.h"
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
    for (int k = 0; k < shop::kPageCount; ++k)
        models_[static_cast<std::size_t>(k)] = new PageGridModel(*this, k, this);
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
        names[k] = qs(document_.captions[k]);
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

void ShopSession::applyToPages(const std::vector<int>& pages,
                               const std::function<void(shop::ShopDocument&)>& change)
{
    for (const int page : pages)
        emit pageAboutToChange(page);
    change(document_);
    for (const int page : pages)
        emit pageChanged(page);
}

void ShopSession::restorePages(const std::vector<std::pair<int, shop::PageState>>& states)
{
    for (const auto& [page, state] : states) {
        emit pageAboutToChange(page);
        document_.restorePage(page, state);
        emit pageChanged(page);
    }
}

void ShopSession::applyCellText(int page, shop::CellPosition at, const std::string& text)
{
    if (!validPage(page) || at.row >= document_.page(page).rowCount())
        return;
    document_.setCellText(page, at, text);
    emit cellChanged(page, at.row, at.column);
}

void ShopSession::applyPageNames(const shop::PageNames& names)
{
    if (names == document_.captions)
        return;
    document_.setCaptions(names);
    emit pageNamesChanged();
}

void ShopSession::applyRepairable(bool repairable)
{
    if (repairable == document_.repairable)
        return;
    document_.setRepairable(repairable);
    emit repairableChanged(repairable);
}

void ShopSession::showPages(const shop::ShopPages& pages)
{
    applyToPages(allPages(), [&](shop::ShopDocument& document) { document.showPages(pages); });
}

bool ShopSession::changePages(const QString& text, const std::vector<int>& pages,
                              const std::function<void(shop::ShopDocument&)>& change)
{
    if (!isEditable())
        return false;
    const int before = undo_.count();
    const int index = undo_.index();
    undo_.push(new PageEditCommand(*this, text, pages, change));
    return undo_.count() != before || undo_.index() != index;
}

void ShopSession::reset()
{
    undo_.clear();
    document_ = shop::ShopDocument{};
    pendingBlock_.clear();
    pendingPath_.clear();
    showPages({});
    emit pageNamesChanged();
    emit repairableChanged(false);
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
    auto pages = document_.pages;
    auto shading = document_.shading;
    document_ = shop::ShopDocument{};
    document_.pages = std::move(pages);
    document_.shading = std::move(shading);
    pendingBlock_.clear();
    pendingPath_.clear();
    emit pageNamesChanged();
    emit repairableChanged(false);
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
    const auto pages = document.pages;
    const bool repairable = document.repairable;
    undo_.clear();
    for (int k = 0; k < shop::kPageCount; ++k)
        emit pageAboutToChange(k);
    document_ = std::move(document);
    document_.showPages(pages);
    for (int k = 0; k < shop::kPageCount; ++k)
        emit pageChanged(k);
    pendingBlock_.clear();
    pendingPath_.clear();
    emit pageNamesChanged();
    emit repairableChanged(repairable);
    setDirty(false);
    emit bindingChanged();
}

ShopSession::OpenResult ShopSession::reopen()
{
    const auto path = document_.path;
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
    changePages(QStringLiteral("保存"), allPages(), [](shop::ShopDocument& document) { document.tidy(); });
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
    // The pages are those written; the keys, the table and the fingerprint are new. The grey rows
    // stay as they were.
    applyToPages(allPages(), [&](shop::ShopDocument& document) {
        pending.document.shading = std::move(document.shading);
        document = std::move(pending.document);
    });
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
    const auto value = shop::cellValue(typed);
    if (!value) {
        const QString reason = qs(shop::cellRefusalMessage(value.error(), typed));
        emit cellRefused(page, at.row, at.column, reason);
        return reason;
    }
    const std::string before = document_.page(page).cell(at.row, at.column);
    if (before != *value)
        undo_.push(new CellEditCommand(*this, page, at, before, *value));
    return std::nullopt;
}

bool ShopSession::paste(int page, shop::CellPosition at, const QString& text)
{
    if (text.isEmpty() || !validPage(page))
        return false;
    int refused = 0;
    const bool changed = changePages(QStringLiteral("粘贴"), {page}, [&](shop::ShopDocument& document) {
        refused = document.paste(page, at, u8(text));
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
                       [&](shop::ShopDocument& document) { document.clearCells(page, cells); });
}

std::optional<shop::CellPosition> ShopSession::fillSelectedCell(int page, shop::CellPosition cursor,
                                                                const QString& text)
{
    if (!isEditable() || !validPage(page))
        return std::nullopt;
    // The document decides on a copy; the change goes in as an edit of that one cell.
    shop::ShopDocument trial;
    trial.pages[static_cast<std::size_t>(page)] = document_.page(page);
    const auto next = trial.fillSelectedCell(page, cursor, u8(text));
    if (!next)
        return std::nullopt;
    const std::string& after = trial.page(page).cell(cursor.row, cursor.column);
    const std::string& before = document_.page(page).cell(cursor.row, cursor.column);
    if (after != before)
        undo_.push(new CellEditCommand(*this, page, cursor, before, after));
    return next;
}

void ShopSession::addTwoRows(int page)
{
    if (validPage(page))
        changePages(QStringLiteral("增加两行"), {page},
                    [page](shop::ShopDocument& document) { document.addRows(page, 2); });
}

void ShopSession::clearPage(int page)
{
    if (validPage(page))
        changePages(QStringLiteral("清空本页"), {page},
                    [page](shop::ShopDocument& document) { document.clearPage(page); });
}

void ShopSession::clearAllPages()
{
    changePages(QStringLiteral("清空所有"), allPages(),
                [](shop::ShopDocument& document) { document.clearAllPages(); });
}

void ShopSession::renamePages(const PageNames& names)
{
    shop::PageNames wanted;
    for (std::size_t k = 0; k < names.size(); ++k)
        wanted[k] = u8(names[k]);
    if (!isEditable() || wanted == document_.captions)
        return;
    undo_.push(
        new ValueCommand<shop::PageNames>(QStringLiteral("编辑页名称"), document_.captions, wanted,
                                          [this](const shop::PageNames& value) { applyPageNames(value); }));
}

void ShopSession::setRepairable(bool repairable)
{
    if (!isEditable() || repairable == document_.repairable)
        return;
    undo_.push(new ValueCommand<bool>(
        QStringLiteral("可修理装备"), document_.repairable, repairable,
        [this](const bool& value) { applyRepairable(value); }, kRepairStepId));
}

ShopSession::BlockResult ShopSession::readBlock(const QString& text, TransferMode mode)
{
    const std::string block = u8(text);
    if (!shop::SellItemBlock::hasTab(block)) {
        // A shop file's block without a TAB holds no item: its grids are emptied.
        if (mode == TransferMode::Batch)
            showPages({});
        return {BlockStatus::NotABlock, {}};
    }
    const auto items = shop::SellItemBlock::read(block);
    if (!items) {
        return {items.error().tooManyPages() ? BlockStatus::TooManyPages : BlockStatus::Unreadable,
                qs(items.error().message)};
    }
    if (mode == TransferMode::Batch) {
        if (pendingPath_.empty()) {
            showPages(shop::SellItemBlock::toPages(*items));
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
    // Pasted data starts a new piece of work in the file-less mode.
    undo_.clear();
    showPages(shop::SellItemBlock::toPages(*items));
    leaveFileMode();
    setDirty(false);
    return {};
}

void ShopSession::tidyPages(const QString& stepName)
{
    const bool wasClean = !isModified();
    changePages(stepName, allPages(), [](shop::ShopDocument& document) { document.tidy(); });
    // Without a file there is nothing to save, and tidying is no edit of a shop.
    if (!isBound() && wasClean)
        undo_.setClean();
}

QString ShopSession::output()
{
    tidyPages(QStringLiteral("输出数据"));
    return qs(shop::SellItemBlock::serialise(document_.pages));
}

} // namespace shopkeeper::gui
