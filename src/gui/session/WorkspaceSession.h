#pragma once

#include "gui/jobs/NpcListJob.h"
#include "gui/session/EditorState.h"
#include "gui/session/NpcListModel.h"

#include <QObject>
#include <QString>
#include <filesystem>
#include <optional>

namespace shopkeeper::gui {

class ShopSession;

// The line the workspace check's message ends with in the window.
inline const QString kChooseWorkspaceHint = QStringLiteral("点击标题栏中的工作目录可选择其他文件夹。");

// What the editor holds beside the open shop: the NPC list of the loaded workspace and the
// job that makes it, the editor's mode and its busy states, and which NPC's shop is open.
// stateChanged() tells the window to derive its controls again.
class WorkspaceSession : public QObject
{
    Q_OBJECT
public:
    explicit WorkspaceSession(ShopSession& shop, QObject* parent = nullptr);
    ~WorkspaceSession() override;

    NpcListModel* npcList() { return &list_; }
    EditorState state() const;
    EditorMode mode() const { return state_.mode; }
    // From the start of a save until the shop has been read again (the shop's state says).
    bool isSaving() const;
    bool isPreviewing() const { return state_.previewing; }
    // The row of the open NPC in the list; 0 when none.
    int openRow() const { return openRow_; }

    // Checks the workspace and starts making its NPC list; the error message when the
    // workspace check fails (nothing changes then).
    std::optional<QString> load();
    // Cancels a list being made; what it had listed stays.
    void cancelListing();
    // Another workspace folder: the list being made stops, the NPC list goes, the shop is reset
    // and the editor is fresh, as at the start.
    void setWorkspace(std::filesystem::path folder);
    void setOpenRow(int row) { openRow_ = row; }
    // The editor works on a pasted list: the NPC list goes.
    void enterPastedMode();
    void setMode(EditorMode mode);
    void setOpenFailed(bool failed);
    void setPreviewing(bool previewing);

signals:
    void stateChanged();
    void listReady();
    void listFailed(const QString& message);
    // Shop files that could not be read and are not in the list, named with their reasons.
    void shopsSkipped(const QString& message);

private:
    void update(bool EditorState::*flag, bool value);

    ShopSession& shop_;
    NpcListJob job_;
    NpcListModel list_;
    EditorState state_;
    int openRow_ = 0;
};

} // namespace shopkeeper::gui
