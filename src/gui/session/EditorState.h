#pragma once

namespace shopkeeper::gui {

// What the editor is working on.
enum class EditorMode
{
    Workspace,  // the workspace's shops: the NPC list, and saving the open shop
    PastedList, // an item list pasted in with "读取数据", bound to no file
};

// Everything the enabled state of the main window's controls depends on.
struct EditorState
{
    EditorMode mode = EditorMode::Workspace;
    bool loadTried = false;       // the load button was used: the list and the save are offered
    bool workspaceLoaded = false; // a load passed the workspace check
    bool listing = false;         // the NPC list is being made
    bool saving = false;          // the shop is being read or written (not idle)
    bool previewing = false;      // the preview is reading the pages
    bool shopBound = false;       // a shop file is open
    bool openFailed = false;      // the last shop chosen could not be read: nothing to save
    bool capturing = false;       // the F12 capture is switched on
    bool modified = false;        // the open shop has unsaved changes
};

// Which controls are enabled.
struct ActionStates
{
    bool load = false;
    bool npcList = false;
    bool save = false;
    bool repair = false;
    bool editPageNames = false;
    bool addRows = false;
    bool clearPage = false;
    bool clearAll = false;
    bool read = false;
    bool output = false;
    bool externalTable = false;
    bool chooser = false;   // the workspace chooser on the title strip
    bool fillBox = false;   // "ID填充到表格"
    bool idBox = false;     // the captured ID
    bool grids = false;     // the page grids take edits
    bool whereUsed = false; // the tools: where used, replace, check
    bool replace = false;
    bool check = false;
    bool seeChanges = false; // what a save would write
    bool operator==(const ActionStates&) const = default;
};

// The one rule for what is enabled. The NPC list and the save are offered once the load button
// was used, in the workspace mode, whatever the data-transfer window was last used for; the
// save not after a shop failed to open. While a job runs, the controls that could change what it
// reads or writes are off: the NPC list and the save while the list is made, everything that
// changes the pages while the preview reads them or a save writes them; the workspace chooser and
// the replace (which writes shops) while either runs. The capture's boxes while it is on. What a
// save would write can be seen exactly while the open shop has unsaved changes.
ActionStates actionsFor(const EditorState& state);

} // namespace shopkeeper::gui
