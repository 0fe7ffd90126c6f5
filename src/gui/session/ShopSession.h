#pragma once

#include "core/shop/ShopDocument.h"
#include "core/workspace/Workspace.h"
#include "gui/session/TransferMode.h"

#include <QObject>
#include <QUndoStack>
#include <array>
#include <filesystem>
#include <vector>

namespace shopkeeper::gui {

class PageGridModel;

using PageNames = std::array<QString, shop::kPageCount>;

// The one shop being edited, under every window: the document as read from disk, its five
// page models, the page names and the repair flag as data, and the undo stack that every
// change goes through. Windows show the session and call its operations; they never hold
// shop state in their widgets. "Modified" follows the undo stack's clean state.
class ShopSession : public QObject
{
    Q_OBJECT
public:
    enum class OpenStatus
    {
        Opened,
        Unreadable,   // the shop or the page-name table could not be read; nothing is bound
        TooManyPages, // the block holds more than five pages; see pendingBlock()
    };
    struct OpenResult
    {
        OpenStatus status = OpenStatus::Opened;
        QString message;
    };

    enum class SaveStatus
    {
        Saved,
        ChangedOnDisk, // the shop file is no longer what was read; save(true) overwrites it
        Failed,
    };
    struct SaveResult
    {
        SaveStatus status = SaveStatus::Saved;
        QString message;
    };

    enum class BlockStatus
    {
        Read,
        NotABlock, // no TAB in the text
        TooManyPages,
        Unreadable,
    };
    struct BlockResult
    {
        BlockStatus status = BlockStatus::Read;
        QString message;
    };

    explicit ShopSession(std::filesystem::path workspace, QObject* parent = nullptr);
    ~ShopSession() override;

    const workspace::Workspace& workspace() const { return workspace_; }
    PageGridModel* model(int page) const { return models_.at(static_cast<std::size_t>(page)); }
    std::vector<PageGridModel*> models() const { return {models_.begin(), models_.end()}; }
    QUndoStack* undoStack() { return &undo_; }

    bool isBound() const { return document_.isBound(); }
    const std::filesystem::path& path() const { return document_.path; }
    const shop::ShopDocument& document() const { return document_; }
    bool isModified() const { return !undo_.isClean() || dirty_; }
    const PageNames& pageNames() const { return names_; }
    bool isRepairable() const { return repairable_; }
    // False from the start of a save until the shop has been read again.
    bool isEditable() const { return editable_; }
    // The raw block of a shop whose read stopped at too many pages, for the user to mend.
    const QString& pendingBlock() const { return pendingBlock_; }

    // Opens a shop file: the page-name table is read afresh, then the shop. A shop that cannot
    // be read leaves nothing bound and the grids empty.
    OpenResult open(const std::filesystem::path& shopFile);
    // The open shop again, as it is on disk now.
    OpenResult reopen();
    // Nothing bound, empty grids, default names, repair flag off, an empty undo history.
    void reset();
    // The editor leaves the file: no file is bound any more, names back to their defaults and
    // the repair flag off; the grids keep what they hold.
    void leaveFileMode();

    // Writes the shop back. Unless overwriteChanged, a shop file that changed on disk since it
    // was read is not overwritten.
    SaveResult save(bool overwriteChanged = false);

    // The page commands; each is one undo step, and does nothing while not editable.
    void addTwoRows(int page);
    void clearPage(int page);
    void clearAllPages();
    void renamePages(const PageNames& names);
    void setRepairable(bool repairable);
    void setEditable(bool editable);
    // The preview is reading the pages: the window keeps the commands that change them off.
    void setPreviewing(bool previewing);
    bool isPreviewing() const { return previewing_; }

    // Spreads a pasted item list over the five pages. In Read mode the editor then leaves file
    // mode; in Batch mode (a shop whose block had to be mended) the file stays bound and the
    // mended pages count as an edit to save.
    BlockResult readBlock(const QString& text, TransferMode mode);
    // The output: empty rows go, empty cells become "-1" (one undo step; not an edit when no
    // file is bound), and the pages print as one item list.
    QString output();
    // What the preview does to the grids before it shows them: the same as the output.
    void tidyPages(const QString& stepName);

    static QString defaultPageName(int page);

signals:
    void modifiedChanged(bool modified);
    void pageNamesChanged();
    void repairableChanged(bool repairable);
    // A shop was opened, or the binding went: path() and isBound() have changed.
    void bindingChanged();
    void editableChanged(bool editable);
    void previewingChanged(bool previewing);

private:
    void bind(shop::ShopDocument document);
    void applyPageNames(const PageNames& names);
    void applyRepairable(bool repairable);
    void showPages(const shop::ShopPages& pages);
    shop::ShopPages pages() const;
    void setDirty(bool dirty);
    void resetNames();

    workspace::Workspace workspace_;
    shop::ShopDocument document_;
    std::array<PageGridModel*, shop::kPageCount> models_{};
    QUndoStack undo_;
    PageNames names_;
    bool repairable_ = false;
    bool editable_ = true;
    bool previewing_ = false;
    bool dirty_ = false; // a change made outside the undo history (a mended block)
    bool lastModified_ = false;
    QString pendingBlock_;
    std::filesystem::path pendingPath_;
};

} // namespace shopkeeper::gui
