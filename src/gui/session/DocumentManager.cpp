#include "gui/session/DocumentManager.h"

#include "core/io/FileSystem.h"
#include "gui/session/WorkspaceSession.h"
#include "gui/settings/Settings.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/SoundPlayer.h"

#include <QEventLoop>
#include <QPointer>
#include <system_error>

namespace shopkeeper::gui {

namespace {

const QString kNotice = QStringLiteral("提示");

QString pageTitleOrdinal(int page)
{
    static const char* const ordinals[] = {"一", "二", "三", "四", "五"};
    return QString::fromUtf8(ordinals[page]);
}

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

// The row of the NPC list whose shop is shopFile; 0 when the list names none.
int rowOfShop(NpcListModel& list, const std::filesystem::path& shopFile)
{
    for (int row = 1; row < list.rowCount(); ++row) {
        if (const auto* path = list.shopFile(row); path && *path == shopFile)
            return row;
    }
    for (int row = 1; row < list.rowCount(); ++row) {
        if (const auto* path = list.shopFile(row); path && samePath(*path, shopFile))
            return row;
    }
    return 0;
}

} // namespace

DocumentManager::DocumentManager(ShopSession& session, WorkspaceSession& workspace, Dialogs& dialogs,
                                 QWidget* window)
    : session_(session), workspace_(workspace), dialogs_(dialogs), window_(window)
{
    confirmation_.setSingleShot(true);
    connect(&confirmation_, &QTimer::timeout, this, &DocumentManager::reread);
    diskCheck_.setSingleShot(true);
    diskCheck_.setInterval(100);
    connect(&diskCheck_, &QTimer::timeout, this, &DocumentManager::checkDisk);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { diskCheck_.start(); });
    connect(&session_, &ShopSession::bindingChanged, this, &DocumentManager::watch);
    // What the load finds out once the NPC list is being made is said here too.
    connect(&workspace_, &WorkspaceSession::listFailed, this, [this](const QString& message) {
        dialogs_.message(window_, QStringLiteral("错误提示"), message, Dialogs::Icon::Error);
    });
    connect(&workspace_, &WorkspaceSession::shopsSkipped, this, [this](const QString& message) {
        dialogs_.message(window_, kNotice, message, Dialogs::Icon::Warning);
    });
}

DocumentManager::~DocumentManager()
{
    runner_.stop();
}

void DocumentManager::setState(DocumentState state)
{
    if (state == session_.documentState())
        return;
    session_.setDocumentState(state);
    emit stateChanged(state);
}

void DocumentManager::waitUntil(const std::function<bool()>& done)
{
    if (done())
        return;
    QEventLoop loop;
    connect(this, &DocumentManager::stateChanged, &loop, [&] {
        if (done())
            loop.quit();
    });
    loop.exec();
}

void DocumentManager::waitUntilIdle()
{
    waitUntil([this] { return state() == DocumentState::Idle; });
}

bool DocumentManager::settle()
{
    if (state() == DocumentState::Confirming)
        finishConfirmation();
    if (state() != DocumentState::Idle)
        return false;
    if (!session_.isModified())
        return true;
    if (!session_.isBound()) {
        return dialogs_.question(window_, kNotice, QStringLiteral("表格中的数据尚未输出，是否放弃？"),
                                 Dialogs::Icon::Question);
    }
    switch (dialogs_.askToSave(window_, kNotice, QStringLiteral("当前商店尚未保存，是否先保存修改？"))) {
    case Dialogs::SaveChoice::Save: {
        bool saved = false;
        QPointer<DocumentManager> self(this);
        const auto connection =
            connect(this, &DocumentManager::saveFinished, this, [&saved](bool ok) { saved = ok; });
        if (!save())
            return false;
        // What comes next replaces the shop: the save's read happens now, not after the tick.
        waitUntil([this] { return state() != DocumentState::Saving; });
        if (!self)
            return false;
        disconnect(connection);
        finishConfirmation();
        return saved;
    }
    case Dialogs::SaveChoice::Discard:
        return true;
    case Dialogs::SaveChoice::Cancel:
        return false;
    }
    return false;
}

bool DocumentManager::loadWorkspace()
{
    if (!settle())
        return false;
    if (const auto failure = workspace_.load()) {
        dialogs_.message(window_, QStringLiteral("错误提示"), *failure, Dialogs::Icon::Error);
        return false;
    }
    settings::rememberWorkspace(fromPath(session_.workspace().root()));
    return true;
}

bool DocumentManager::switchWorkspace(const std::filesystem::path& folder)
{
    if (workspace_.isPreviewing() || !settle())
        return false;
    workspace_.setWorkspace(folder);
    settings::rememberWorkspace(fromPath(session_.workspace().root()));
    emit workspaceChanged();
    return true;
}

bool DocumentManager::openNpc(int row)
{
    if (!workspace_.npcList()->shopFile(row))
        return false;
    // Choosing the open NPC again reads its shop again, which loses edits as well.
    if (!settle()) {
        emit openRowChanged(workspace_.openRow());
        return false;
    }
    return openRow(row);
}

bool DocumentManager::openFile(const std::filesystem::path& shopFile)
{
    if (state() == DocumentState::Confirming)
        finishConfirmation();
    if (state() != DocumentState::Idle)
        return false;
    // The open shop as it is needs no reading; anything else is opened as choosing its NPC is.
    if (session_.isBound() && !session_.isModified() && samePath(session_.path(), shopFile))
        return true;
    if (!settle())
        return false;
    if (const int row = rowOfShop(*workspace_.npcList(), shopFile); row > 0) {
        openRow(row);
    } else {
        // No NPC list names the shop (the workspace is not loaded): the file is opened as such.
        workspace_.setMode(EditorMode::Workspace);
        workspace_.setOpenRow(0);
        emit openRowChanged(0);
        openPath(shopFile, DocumentState::Opening);
    }
    return session_.isBound() && samePath(session_.path(), shopFile);
}

bool DocumentManager::openRow(int row)
{
    const auto* path = workspace_.npcList()->shopFile(row);
    if (!path)
        return false;
    workspace_.setOpenRow(row);
    emit openRowChanged(row);
    return openPath(*path, DocumentState::Opening);
}

bool DocumentManager::openPath(const std::filesystem::path& shopFile, DocumentState how)
{
    setState(how);
    lastOpenOk_ = false;
    runner_.run<ShopSession::ShopRead>(
        [shopFile, table = session_.workspace().shopStringTablePath()](const JobRun::Ticket&) {
            return ShopSession::read(shopFile, table);
        },
        [this, shopFile](ShopSession::ShopRead read) { finishRead(shopFile, std::move(read)); });
    // A read after the tick goes on by itself; anything else waits for its shop.
    if (how == DocumentState::Opening)
        waitUntilIdle();
    return lastOpenOk_;
}

void DocumentManager::watch()
{
    keptDisk_ = 0;
    if (const auto watched = watcher_.files(); !watched.isEmpty())
        watcher_.removePaths(watched);
    watchAgain();
}

void DocumentManager::watchAgain()
{
    if (!session_.isBound())
        return;
    // A file replaced by a rename is no longer watched: it is watched again wherever a change was
    // seen.
    const auto watched = watcher_.files();
    for (const auto& path : {session_.path(), session_.workspace().shopStringTablePath()}) {
        const QString file = fromPath(path);
        if (!watched.contains(file) && std::filesystem::exists(path))
            watcher_.addPath(file);
    }
}

std::uint64_t DocumentManager::diskState(bool& same) const
{
    const auto& read = session_.document().source();
    const auto shop = io::readFileBytes(read.path);
    const auto now = shop ? io::fingerprintOf(read.path, *shop) : io::missingFileFingerprint();
    const auto table = io::readFileBytes(session_.workspace().shopStringTablePath());
    const bool tableSame = table ? read.table.isReadFrom(*table) : read.table.lineCount() == 0;
    same = read.fingerprint.known && now.sameContentAs(read.fingerprint) && tableSame;
    return now.hash ^ now.size ^ (table ? io::fnv1a64(*table) : 0);
}

bool DocumentManager::diskChanged()
{
    bool same = false;
    const auto disk = diskState(same);
    // A change the user was asked about already is not asked about again.
    if (same || disk == keptDisk_)
        return false;
    keptDisk_ = disk;
    return true;
}

void DocumentManager::checkDisk()
{
    // A read or write of our own is under way: what it does is seen once it is done.
    if (state() != DocumentState::Idle) {
        if (session_.isBound())
            diskCheck_.start();
        return;
    }
    watchAgain();
    if (!session_.isBound() || !diskChanged())
        return;
    if (session_.isModified()) {
        const bool reload = dialogs_.question(
            window_, kNotice,
            QStringLiteral("当前商店的文件已被其他程序修改。\n是否重新读取？（未保存的修改将丢失）"),
            Dialogs::Icon::Warning);
        if (!reload)
            return;
    }
    const auto path = session_.path();
    if (openPath(path, DocumentState::Opening))
        emit diskReloaded(QStringLiteral("文件已被其他程序修改，已重新读取：") + nativePath(path));
}

void DocumentManager::finishRead(const std::filesystem::path& shopFile, ShopSession::ShopRead read)
{
    const auto result = session_.finishOpen(shopFile, std::move(read));
    lastOpenOk_ = result.status == ShopSession::OpenStatus::Opened;
    workspace_.setOpenFailed(!lastOpenOk_);
    setState(DocumentState::Idle);
    if (lastOpenOk_)
        emit shopOpened();
    else
        showOpenFailure(result);
}

void DocumentManager::showOpenFailure(const ShopSession::OpenResult& result)
{
    // Nothing is bound: the path box is empty and there is nothing to save.
    if (result.status == ShopSession::OpenStatus::TooManyPages) {
        dialogs_.message(window_, QStringLiteral("错误"), result.message, Dialogs::Icon::None);
        emit mendingNeeded();
        return;
    }
    dialogs_.message(window_, QStringLiteral("错误"), result.message, Dialogs::Icon::Error);
}

bool DocumentManager::save()
{
    if (state() != DocumentState::Idle)
        return false;
    auto pending = session_.prepareSave();
    if (!pending) {
        dialogs_.message(window_, kNotice, QStringLiteral("保存失败！\n没有打开商店文件，无法保存。"),
                         Dialogs::Icon::Error);
        emit saveFinished(false);
        return false;
    }
    pending_ = std::make_shared<ShopSession::PendingSave>(std::move(*pending));
    // Nothing may change the shop between the write and the read that shows what was written.
    setState(DocumentState::Saving);
    write(false);
    return true;
}

void DocumentManager::write(bool overwriteChanged)
{
    // The write may wait for the workspace's save lock: that wait is on the runner, off the window.
    runner_.run<ShopSession::SaveResult>(
        [pending = pending_, overwriteChanged](const JobRun::Ticket&) {
            return ShopSession::write(*pending, overwriteChanged);
        },
        [this](ShopSession::SaveResult result) { written(result); });
}

void DocumentManager::written(const ShopSession::SaveResult& result)
{
    // What an earlier program was killed in the middle of was rolled back before this save.
    if (!result.recovered.isEmpty())
        dialogs_.message(window_, kNotice, result.recovered, Dialogs::Icon::Warning);
    switch (result.status) {
    case ShopSession::SaveStatus::ChangedOnDisk:
        // The user hears of this change here; the watch on the disk need not ask about it too.
        diskChanged();
        if (dialogs_.question(window_, kNotice, QStringLiteral("文件已被其他程序修改，是否覆盖？"),
                              Dialogs::Icon::Warning)) {
            write(true);
            return;
        }
        endSave(false);
        return;
    case ShopSession::SaveStatus::Failed:
        dialogs_.message(window_, kNotice, QStringLiteral("保存失败！\n") + result.message,
                         Dialogs::Icon::Error);
        endSave(false);
        return;
    case ShopSession::SaveStatus::Saved:
        break;
    }
    session_.finishSave(std::move(*pending_));
    pending_.reset();
    // The tick shows (the state says so), the chime plays, and after a moment the shop is read
    // again; until then the grids and the save stay locked.
    setState(DocumentState::Confirming);
    SoundPlayer::playSaved();
    emit saveFinished(true);
    emit saveConfirming();
    if (state() != DocumentState::Confirming)
        return; // a handler finished the confirmation already
    if (confirmationDelay_ > 0)
        confirmation_.start(confirmationDelay_);
    else
        reread();
}

void DocumentManager::endSave(bool saved)
{
    pending_.reset();
    setState(DocumentState::Idle);
    emit saveFinished(saved);
}

void DocumentManager::reread()
{
    confirmation_.stop();
    if (!session_.isBound()) {
        setState(DocumentState::Idle);
        return;
    }
    openPath(session_.path(), DocumentState::Reopening);
}

void DocumentManager::finishConfirmation()
{
    if (state() == DocumentState::Confirming)
        reread();
    waitUntilIdle();
}

bool DocumentManager::beginWrite()
{
    if (state() == DocumentState::Confirming)
        finishConfirmation();
    if (state() != DocumentState::Idle)
        return false;
    setState(DocumentState::Saving);
    return true;
}

void DocumentManager::endWrite(bool reread)
{
    if (state() != DocumentState::Saving)
        return;
    // Whatever was written, the open shop shows its file as it is now.
    if (reread && session_.isBound()) {
        openPath(session_.path(), DocumentState::Reopening);
        waitUntilIdle();
        return;
    }
    setState(DocumentState::Idle);
}

ShopSession::BlockResult DocumentManager::readPasted(const QString& text)
{
    const auto result = session_.readPasted(text);
    // The editor leaves the file mode: nothing here can be saved over a shop.
    if (result.status == ShopSession::BlockStatus::Read)
        workspace_.enterPastedMode();
    return result;
}

ShopSession::BlockResult DocumentManager::readMended(const QString& text)
{
    const auto result = session_.readMended(text);
    // The mended block opens the shop, bound to its file: it can be saved.
    workspace_.setOpenFailed(!session_.isBound());
    return result;
}

void DocumentManager::editPageNames()
{
    auto names = session_.pageNames();
    for (int k = 0; k < shop::kPageCount; ++k) {
        auto& name = names[static_cast<std::size_t>(k)];
        const QString title = QStringLiteral("请输入第") + pageTitleOrdinal(k) + QStringLiteral("页名称");
        QString initial = name;
        while (true) {
            const auto answer = dialogs_.input(window_, title, QStringLiteral("删除页名称请输入-1"), initial);
            if (!answer)
                break;
            // A name the string table cannot hold as one line is refused, and asked again.
            const auto typed = shop::pageNameFromInput(k + 1, u8(*answer));
            if (!typed) {
                dialogs_.message(window_, kNotice, qs(typed.error().message), Dialogs::Icon::Warning);
                initial = *answer;
                continue;
            }
            name = qs(*typed);
            break;
        }
    }
    // One undo step for all five answers.
    session_.renamePages(names);
}

void DocumentManager::clearPage(int page)
{
    if (dialogs_.question(window_, kNotice, QStringLiteral("确定要清空本页的数据吗？"), Dialogs::Icon::None))
        session_.clearPage(page);
}

void DocumentManager::clearAllPages()
{
    if (dialogs_.question(window_, kNotice, QStringLiteral("确定要清空 所有页 的数据吗？"),
                          Dialogs::Icon::None))
        session_.clearAllPages();
}

bool DocumentManager::mayClose()
{
    if (state() == DocumentState::Confirming)
        finishConfirmation();
    if (state() != DocumentState::Idle || !settle())
        return false;
    workspace_.cancelListing();
    return true;
}

} // namespace shopkeeper::gui
