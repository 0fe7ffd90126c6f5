#include "gui/session/WorkspaceSession.h"

#include "gui/session/ShopSession.h"
#include "gui/widgets/QtText.h"

namespace shopkeeper::gui {

WorkspaceSession::WorkspaceSession(ShopSession& shop, QObject* parent) : QObject(parent), shop_(shop)
{
    connect(&shop_, &ShopSession::bindingChanged, this, &WorkspaceSession::stateChanged);
    connect(&shop_, &ShopSession::documentStateChanged, this, &WorkspaceSession::stateChanged);
    connect(&job_, &NpcListJob::listed, this, [this](int) { list_.showPrompt(); });
    connect(&job_, &NpcListJob::entryFound, this,
            [this](const QString& shopFile, const QString& name) { list_.append(toPath(shopFile), name); });
    connect(&job_, &NpcListJob::shopsSkipped, this, &WorkspaceSession::shopsSkipped);
    connect(&job_, &NpcListJob::failed, this, [this](const QString& message) {
        update(&EditorState::listing, false);
        emit listFailed(message);
    });
    connect(&job_, &NpcListJob::finished, this, [this] {
        openRow_ = 0;
        update(&EditorState::listing, false);
        emit listReady();
    });
}

WorkspaceSession::~WorkspaceSession()
{
    job_.stop();
}

EditorState WorkspaceSession::state() const
{
    EditorState state = state_;
    state.shopBound = shop_.isBound();
    // While the shop is read or written nothing may start that changes it.
    state.saving = shop_.documentState() != DocumentState::Idle;
    return state;
}

bool WorkspaceSession::isSaving() const
{
    return shop_.isSaving();
}

std::optional<QString> WorkspaceSession::load()
{
    const bool tried = state_.loadTried;
    state_.loadTried = true;
    if (auto ok = shop_.workspace().checkRequiredFiles(); !ok) {
        if (!tried)
            emit stateChanged();
        // The folder may simply be the wrong one: the message says where another is chosen.
        return qs(ok.error().message) + QStringLiteral("\r\n") + kChooseWorkspaceHint;
    }
    job_.cancel();
    list_.clear();
    openRow_ = 0;
    state_.mode = EditorMode::Workspace;
    state_.workspaceLoaded = true;
    state_.listing = true;
    state_.openFailed = false;
    shop_.reset();
    job_.start(shop_.workspace());
    emit stateChanged();
    return std::nullopt;
}

void WorkspaceSession::cancelListing()
{
    job_.cancel();
    update(&EditorState::listing, false);
}

void WorkspaceSession::setWorkspace(std::filesystem::path folder)
{
    job_.cancel();
    list_.clear();
    openRow_ = 0;
    state_ = EditorState{};
    shop_.setWorkspace(std::move(folder));
    emit stateChanged();
}

void WorkspaceSession::enterPastedMode()
{
    job_.cancel();
    list_.clear();
    openRow_ = 0;
    state_.listing = false;
    state_.loadTried = false;
    state_.workspaceLoaded = false;
    state_.openFailed = false;
    setMode(EditorMode::PastedList);
}

void WorkspaceSession::setMode(EditorMode mode)
{
    if (state_.mode == mode)
        return;
    state_.mode = mode;
    emit stateChanged();
}

void WorkspaceSession::setOpenFailed(bool failed)
{
    update(&EditorState::openFailed, failed);
}

void WorkspaceSession::setPreviewing(bool previewing)
{
    update(&EditorState::previewing, previewing);
}

void WorkspaceSession::update(bool EditorState::*flag, bool value)
{
    if (state_.*flag == value)
        return;
    state_.*flag = value;
    emit stateChanged();
}

} // namespace shopkeeper::gui
