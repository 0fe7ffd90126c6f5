#pragma once

#include "gui/jobs/JobRunner.h"
#include "gui/session/DocumentState.h"
#include "gui/session/ShopSession.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

class QWidget;

namespace shopkeeper::gui {

class Dialogs;
class WorkspaceSession;

// The one owner of the open shop's life: opening it, saving it (write, tick, read again), reading
// it again after a batch replace, and the question about unsaved changes that comes before
// anything replaces it. Reads and writes run as jobs off the window's thread; the shop's
// DocumentState says what runs, and whether the grids take edits and which controls are on
// follows from it alone.
//
// The open shop's file and the page-name table are watched: when another program changes them
// and the shop has no edits, the shop is read again (diskReloaded() says so); with edits the
// user chooses between reading it again and going on editing (a later save still refuses to
// overwrite the changed file without asking).
//
// A save started from a control returns at once and reports through saveFinished(). Callers
// that need the shop settled before they go on (settle(), the opens) wait in a local event loop:
// the window keeps painting and taking input meanwhile, and everything that could change the
// shop is off because the state is not idle.
class DocumentManager : public QObject
{
    Q_OBJECT
public:
    // window is the parent of the questions and messages.
    DocumentManager(ShopSession& session, WorkspaceSession& workspace, Dialogs& dialogs, QWidget* window);
    ~DocumentManager() override;

    DocumentState state() const { return session_.documentState(); }
    // How long the save button shows its tick before the shop is read again; with 0 the read
    // starts as soon as the write is done.
    void setConfirmationDelay(int milliseconds) { confirmationDelay_ = milliseconds; }

    // The question about unsaved changes, for everything that replaces the open shop (another
    // NPC, a load, closing, another workspace, pasted data, a where-used place, a replace). A save
    // still showing its tick is finished first. With "save", the save and its read run before
    // this returns. True when the caller may go on; false when the user kept the changes, the
    // save failed, or the shop is being read or written.
    bool settle();

    // Checks the workspace and starts making its NPC list, after settle(); the check's message
    // is shown when it fails. True when the list is being made.
    bool loadWorkspace();
    // Works on another folder, after settle(): the editor is reset and the folder goes first in
    // the recent list. False when the user kept the changes or something runs.
    bool switchWorkspace(const std::filesystem::path& folder);
    // Opens the shop of row of the NPC list, after settle(); returns when it is open or has failed
    // (the reason shown). True when it is open.
    bool openNpc(int row);
    // Opens a shop file a tool names: the open shop as it is when unmodified, else after settle(),
    // through its row when the NPC list names it. True when that shop is open afterwards.
    bool openFile(const std::filesystem::path& shopFile);

    // Starts a save of the open shop: the pages are tidied, the write runs as a job, a shop
    // another program changed is asked about, and after the tick the shop is read again. False
    // when no save could start (something runs; nothing bound, which is said as a failed save).
    bool save();
    // A save showing its tick goes on at once: the shop is read again before this returns.
    void finishConfirmation();

    // A batch replace writes the workspace's shops, the open one too: nothing may edit, save or
    // load the shop until endWrite(), which reads the open shop again when reread.
    bool beginWrite();
    void endWrite(bool reread);

    // An item list pasted with "读取数据" (after settle()): the pages take it and the editor leaves
    // the file mode.
    ShopSession::BlockResult readPasted(const QString& text);
    // The block of a shop with too many pages, mended by the user (after mendingNeeded()): the
    // shop opens with it, bound to its file.
    ShopSession::BlockResult readMended(const QString& text);
    // Asks for each page's name in turn (five input boxes; a name the table cannot hold is
    // refused and asked again) and renames the pages as one edit.
    void editPageNames();

    // Empties the page, or all five, after asking.
    void clearPage(int page);
    void clearAllPages();

    // Whether the window may close now: nothing runs and unsaved changes are settled. The NPC
    // list being made is stopped.
    bool mayClose();

    // Waits, processing events, until the shop is idle.
    void waitUntilIdle();
    // Looks at the open shop's file and table now, as a change noticed on disk does.
    void checkDisk();

signals:
    void stateChanged(DocumentState state);
    // A shop was opened (also when read again after a save).
    void shopOpened();
    // The shop chosen has more than five pages: the session holds its block for the user to mend.
    void mendingNeeded();
    // The write worked; the tick shows and the shop is about to be read again.
    void saveConfirming();
    // A save's write ended: saved, or not (the reason was said, or the user kept the disk's file).
    void saveFinished(bool saved);
    // The NPC list's row that stands for the open shop (0: none).
    void openRowChanged(int row);
    void workspaceChanged();
    // The open shop was read again because another program changed its files; message says so.
    void diskReloaded(const QString& message);

private:
    void setState(DocumentState state);
    bool openRow(int row);
    bool openPath(const std::filesystem::path& shopFile, DocumentState how);
    void finishRead(const std::filesystem::path& shopFile, ShopSession::ShopRead read);
    void write(bool overwriteChanged);
    void written(const ShopSession::SaveResult& result);
    void endSave(bool saved);
    void reread();
    void waitUntil(const std::function<bool()>& done);
    void showOpenFailure(const ShopSession::OpenResult& result);
    void watch();
    void watchAgain();
    std::uint64_t diskState(bool& same) const;
    bool diskChanged();

    ShopSession& session_;
    WorkspaceSession& workspace_;
    Dialogs& dialogs_;
    QWidget* window_;
    int confirmationDelay_ = 1000;
    QTimer confirmation_;
    std::shared_ptr<ShopSession::PendingSave> pending_;
    bool lastOpenOk_ = false;
    QFileSystemWatcher watcher_;
    QTimer diskCheck_;           // a burst of changes is looked at once
    std::uint64_t keptDisk_ = 0; // the disk's state the user chose to keep editing over
    // Last, so it goes first: a job still running is stopped while the sessions exist.
    JobRunner runner_;
};

} // namespace shopkeeper::gui
