#include "gui/session/ShopSession.h"

#include "core/io/AtomicFile.h"
#include "core/shop/SellItemBlock.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopRepair.h"
#include "core/shop/ShopWriter.h"
#include "gui/grid/GridStateCommand.h"
#include "gui/grid/PageGridModel.h"
#include "gui/grid/ValueCommand.h"
#include "gui/widgets/QtText.h"

namespace shopkeeper::gui {

namespace {

// Undo steps of one kind that follow each other merge (ticking and unticking the repair box).
constexpr int kRepairStepId = 100;

} // namespace

QString ShopSession::defaultPageName(int page)
{
    return qs(shop::defaultPageName(page));
}

ShopSession::ShopSession(std::filesystem::path workspace, QObject* parent)
    : QObject(parent), workspace_(std::move(workspace))
{
    for (auto& model : models_) {
        model = new PageGridModel(this);
        model->setUndoStack(&undo_);
    }
    resetNames();
    connect(&undo_, &QUndoStack::cleanChanged, this, [this] { setDirty(dirty_); });
}

ShopSession::~ShopSession()
{
    // The models' undo commands must go before the models.
    undo_.clear();
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

void ShopSession::resetNames()
{
    for (int k = 0; k < shop::kPageCount; ++k)
        names_[static_cast<std::size_t>(k)] = defaultPageName(k + 1);
}

void ShopSession::applyPageNames(const PageNames& names)
{
    if (names == names_)
        return;
    names_ = names;
    emit pageNamesChanged();
}

void ShopSession::applyRepairable(bool repairable)
{
    if (repairable == repairable_)
        return;
    repairable_ = repairable;
    emit repairableChanged(repairable);
}

void ShopSession::showPages(const shop::ShopPages& pages)
{
    for (std::size_t k = 0; k < pages.size(); ++k) {
        if (pages[k].rowCount() == 0)
            models_[k]->clearGrid();
        else
            models_[k]->fill(pages[k]);
    }
}

shop::ShopPages ShopSession::pages() const
{
    shop::ShopPages out;
    for (std::size_t k = 0; k < out.size(); ++k)
        out[k] = models_[k]->page();
    return out;
}

void ShopSession::reset()
{
    undo_.clear();
    document_ = shop::ShopDocument{};
    pendingBlock_.clear();
    pendingPath_.clear();
    for (auto* model : models_)
        model->clearGrid();
    PageNames defaults;
    for (int k = 0; k < shop::kPageCount; ++k)
        defaults[static_cast<std::size_t>(k)] = defaultPageName(k + 1);
    applyPageNames(defaults);
    applyRepairable(false);
    setEditable(true);
    setDirty(false);
    emit bindingChanged();
}

void ShopSession::leaveFileMode()
{
    document_ = shop::ShopDocument{};
    pendingBlock_.clear();
    pendingPath_.clear();
    PageNames defaults;
    for (int k = 0; k < shop::kPageCount; ++k)
        defaults[static_cast<std::size_t>(k)] = defaultPageName(k + 1);
    applyPageNames(defaults);
    applyRepairable(false);
    emit bindingChanged();
}

ShopSession::OpenResult ShopSession::open(const std::filesystem::path& shopFile)
{
    reset();
    auto result = shop::ShopReader::open(shopFile, workspace_.shopStringTablePath());
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
    document_ = std::move(document);
    pendingBlock_.clear();
    pendingPath_.clear();
    showPages(document_.pages);
    PageNames names;
    for (std::size_t k = 0; k < names.size(); ++k)
        names[k] = qs(document_.captions[k]);
    applyPageNames(names);
    applyRepairable(document_.repairable);
    undo_.clear();
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
    if (!isBound())
        return {SaveStatus::Failed, QStringLiteral("没有打开商店文件，无法保存。")};
    shop::ShopDocument edited = document_;
    edited.pages = pages();
    for (std::size_t k = 0; k < names_.size(); ++k)
        edited.captions[k] = u8(names_[k]);
    edited.repairable = repairable_;
    io::AtomicFileWriter disk;
    shop::ShopWriter writer;
    shop::SaveOptions options;
    options.overwriteChanged = overwriteChanged;
    const auto result = writer.save(edited, workspace_.shopStringTablePath(), disk, options);
    if (!result) {
        const bool changed = result.error().kind == shop::SaveError::Kind::ChangedOnDisk;
        return {changed ? SaveStatus::ChangedOnDisk : SaveStatus::Failed, qs(result.error().message)};
    }
    // The grids show what was written: no empty rows, "-1" in the empty cells.
    for (std::size_t k = 0; k < edited.pages.size(); ++k) {
        if (!(models_[k]->page() == edited.pages[k]))
            models_[k]->fill(edited.pages[k]);
    }
    document_ = std::move(edited);
    undo_.setClean();
    setDirty(false);
    return {};
}

void ShopSession::setEditable(bool editable)
{
    for (auto* model : models_)
        model->setEditable(editable);
    if (editable == editable_)
        return;
    editable_ = editable;
    emit editableChanged(editable);
}

void ShopSession::setPreviewing(bool previewing)
{
    if (previewing == previewing_)
        return;
    previewing_ = previewing;
    emit previewingChanged(previewing);
}

void ShopSession::addTwoRows(int page)
{
    if (!editable_ || page < 0 || page >= shop::kPageCount)
        return;
    auto* model = models_[static_cast<std::size_t>(page)];
    GridStateCommand::record(&undo_, QStringLiteral("增加两行"), {model}, [model] {
        model->appendRows(1);
        model->appendRows(1);
        model->shadeRows();
    });
}

void ShopSession::clearPage(int page)
{
    if (!editable_ || page < 0 || page >= shop::kPageCount)
        return;
    auto* model = models_[static_cast<std::size_t>(page)];
    GridStateCommand::record(&undo_, QStringLiteral("清空本页"), {model}, [model] { model->clearGrid(); });
}

void ShopSession::clearAllPages()
{
    if (!editable_)
        return;
    GridStateCommand::record(&undo_, QStringLiteral("清空所有"), models(), [this] {
        for (auto* model : models_)
            model->clearGrid();
    });
}

void ShopSession::renamePages(const PageNames& names)
{
    if (!editable_ || names == names_)
        return;
    undo_.push(new ValueCommand<PageNames>(QStringLiteral("编辑页名称"), names_, names,
                                           [this](const PageNames& value) { applyPageNames(value); }));
}

void ShopSession::setRepairable(bool repairable)
{
    if (!editable_ || repairable == repairable_)
        return;
    undo_.push(new ValueCommand<bool>(
        QStringLiteral("可修理装备"), repairable_, repairable,
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
    GridStateCommand::record(&undo_, stepName, models(), [this] {
        for (auto* model : models_) {
            model->removeEmptyRows();
            model->fillEmptyCells();
        }
    });
    // Without a file there is nothing to save, and tidying is no edit of a shop.
    if (!isBound() && wasClean)
        undo_.setClean();
}

QString ShopSession::output()
{
    tidyPages(QStringLiteral("输出数据"));
    auto current = pages();
    return qs(shop::SellItemBlock::serialise(current));
}

} // namespace shopkeeper::gui
