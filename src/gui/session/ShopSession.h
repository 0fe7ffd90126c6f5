#pragma once

#include "core/shop/ShopDocument.h"
#include "core/shop/ShopReader.h"
#include "core/workspace/Workspace.h"
#include "gui/session/DocumentState.h"

#include <QObject>
#include <QUndoStack>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace shopkeeper::gui {

using PageNames = std::array<QString, shop::kPageCount>;

// The one shop being edited, under every window. It owns the core's editable shop document
// and the undo stack: every change is an operation of the document, kept as an undo command
// that replays it, and what each operation reports reaches the views as documentChanged() (the
// page models only adapt the document for the grids). It also holds where the user is: the
// current page and each page's cursor cell, which the grids report and follow. "Modified"
// follows the undo stack's clean state.
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
        // Operations an earlier program was killed in, rolled back before this save.
        QString recovered;
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
    QUndoStack* undoStack() { return &undo_; }

    const shop::ShopDocument& document() const { return document_; }
    bool isBound() const { return document_.isBound(); }
    const std::filesystem::path& path() const { return document_.path(); }
    bool isModified() const { return !undo_.isClean() || dirty_; }
    PageNames pageNames() const;
    bool isRepairable() const { return document_.isRepairable(); }
    // Where the shop is in its life; the DocumentManager moves it. The edits below do nothing
    // unless it is idle.
    DocumentState documentState() const { return state_; }
    void setDocumentState(DocumentState state);
    bool isEditable() const { return isEditableIn(state_); }
    // From the start of a save until the shop has been read again.
    bool isSaving() const { return isSavingIn(state_); }
    // The raw block of a shop whose read stopped at too many pages, for the user to mend.
    const QString& pendingBlock() const { return pendingBlock_; }

    // Opens a shop file: the page-name table is read afresh, then the shop. A shop that cannot
    // be read leaves nothing bound and the grids empty. The same as read() followed by
    // finishOpen(), which a caller that reads off the window's thread does in two steps.
    OpenResult open(const std::filesystem::path& shopFile);
    using ShopRead = std::expected<shop::ShopDocument, shop::ShopReadError>;
    // Reads a shop with its page-name table; touches no session, so it may run on any thread.
    static ShopRead read(const std::filesystem::path& shopFile, const std::filesystem::path& tablePath);
    OpenResult finishOpen(const std::filesystem::path& shopFile, ShopRead read);
    // The open shop again, as it is on disk now.
    OpenResult reopen();
    // Nothing bound, empty grids, default names, repair flag off, an empty undo history.
    void reset();
    // Works on another workspace folder from now on; the editor is reset.
    void setWorkspace(std::filesystem::path folder);

    // Writes the shop back. Unless overwriteChanged, a shop file that changed on disk since it
    // was read is not overwritten. The same as prepareSave(), write() and, when that worked,
    // finishSave(), which a caller that writes off the window's thread does in three steps.
    SaveResult save(bool overwriteChanged = false);
    // What a save writes: the shop as it is when the save begins, and where its table goes.
    struct PendingSave
    {
        shop::ShopDocument document; // the writer turns it into the shop as written
        std::filesystem::path tablePath;
        std::filesystem::path workspaceRoot; // whose history keeps what the save replaces
    };
    // The save's first step: the pages are tidied (no empty rows, "-1" in empty cells), whatever
    // the write will do, and what is to be written is taken. Nothing when no file is bound.
    std::optional<PendingSave> prepareSave();
    // Writes pending to disk; it touches nothing else, so it may run on any thread.
    static SaveResult write(PendingSave& pending, bool overwriteChanged);
    // After a write that worked: the document is the shop as written, and unmodified.
    void finishSave(PendingSave pending);

    // Where the user is: the page shown and each page's cursor cell (none when the grid has no
    // current cell). The grids tell these and follow them.
    int currentPage() const { return currentPage_; }
    void setCurrentPage(int page);
    std::optional<shop::CellPosition> cursor(int page) const;
    void setCursor(int page, std::optional<shop::CellPosition> at);

    // The edits. Each is one undo step (none when nothing changed), and does nothing while not
    // editable. page is 0..4.
    // A typed value: the reason for the user when the cell rule refuses it (also signalled).
    std::optional<QString> editCell(int page, shop::CellPosition at, const QString& text);
    bool paste(int page, shop::CellPosition at, const QString& text);
    bool clearCells(int page, const std::vector<shop::CellPosition>& cells);
    // A captured ID into the current page's cursor cell, which must be empty; the cursor moves
    // on as the document says. False when the cell did not take it.
    bool fillSelectedCell(const QString& text);
    void addTwoRows(int page);
    void clearPage(int page);
    void clearAllPages();
    // The names by the rename rules, as one step; the reason when one is refused.
    std::optional<QString> renamePages(const PageNames& names);
    void setRepairable(bool repairable);
    // What the preview does to the pages before it shows them, and the first step of the output.
    void tidyPages(const QString& stepName);

    // Spreads a pasted item list over the five pages; the editor then leaves file mode.
    BlockResult readPasted(const QString& text);
    // The block of a shop that had too many pages, as the user mended it: the shop opens with
    // it, still bound to its file, and the mended pages count as an edit to save. Without such
    // a shop the pages only show the block.
    BlockResult readMended(const QString& text);
    // The output: empty rows go, empty cells become "-1" (one undo step; not an edit when no
    // file is bound), and the pages print as one item list.
    QString output();

    static QString defaultPageName(int page);

signals:
    void modifiedChanged(bool modified);
    // What one operation of the document changed, as it reported it.
    void documentChanged(const shop::DocumentChange& change);
    void currentPageChanged(int page);
    void cursorChanged(int page);
    // A value the cell rule refused; reason says why, for the user.
    void cellRefused(int page, int row, int column, const QString& reason);
    void pageNamesChanged();
    void repairableChanged(bool repairable);
    // A shop was opened, or the binding went: path() and isBound() have changed.
    void bindingChanged();
    void editableChanged(bool editable);
    void documentStateChanged(DocumentState state);

private:
    // The undo commands replay the document's operations through these.
    friend class PageEditCommand;
    friend class CellEditCommand;
    using Change = std::function<shop::DocumentChanges(shop::ShopDocument&)>;
    void change(const Change& operation);
    void restorePages(const std::vector<std::pair<int, shop::PageSnapshot>>& snapshots);
    void restoreCell(int page, shop::CellPosition at, const std::string& text);
    void report(const shop::DocumentChanges& changes);

    static std::expected<shop::ShopPages, BlockResult> parseBlock(const std::string& block);
    void bind(shop::ShopDocument document);
    void leaveFileMode();
    void showPages(const shop::ShopPages& pages);
    bool changePages(const QString& text, const std::vector<int>& pages, const Change& operation);
    void setDirty(bool dirty);

    workspace::Workspace workspace_;
    shop::ShopDocument document_;
    QUndoStack undo_;
    int currentPage_ = 0;
    std::array<std::optional<shop::CellPosition>, shop::kPageCount> cursors_{};
    DocumentState state_ = DocumentState::Idle;
    bool dirty_ = false; // a change made outside the undo history (a mended block)
    bool lastModified_ = false;
    QString pendingBlock_;
    std::filesystem::path pendingPath_;
};

} // namespace shopkeeper::gui
