#include "gui/session/EditorState.h"

namespace shopkeeper::gui {

ActionStates actionsFor(const EditorState& state)
{
    const bool workspace = state.mode == EditorMode::Workspace;
    const bool idle = !state.listing && !state.saving;
    ActionStates a;
    a.load = idle;
    a.npcList = workspace && state.loadTried && idle && !state.previewing;
    a.save = a.npcList && !state.openFailed;
    a.repair = workspace && state.workspaceLoaded && !state.saving;
    a.editPageNames = a.repair;
    a.addRows = !state.saving;
    a.clearPage = !state.saving && !state.previewing;
    a.clearAll = a.clearPage;
    a.read = !state.saving && !state.previewing;
    a.output = a.read;
    a.externalTable = !state.previewing;
    a.chooser = !state.saving && !state.previewing;
    a.fillBox = state.capturing;
    a.idBox = state.capturing;
    a.grids = !state.saving;
    a.whereUsed = true;
    a.replace = a.chooser;
    a.check = true;
    a.seeChanges = state.shopBound && state.modified;
    return a;
}

} // namespace shopkeeper::gui
