#pragma once

#include "core/capture/CaptureBackends.h"
#include "gui/catalogue/CatalogueService.h"
#include "gui/session/DocumentManager.h"
#include "gui/session/ShopSession.h"
#include "gui/session/WorkspaceSession.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FramelessWindow.h"
#include "gui/windows/PlaceListModel.h"
#include "gui/windows/PreviewWindow.h"
#include "gui/windows/SearchWindow.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;

namespace shopkeeper::gui {

class CheckWindow;
class CompareWindow;
class HistoryWindow;
class LiveCapture;
class PageGridView;
class ReplaceWindow;
class SaveChangesWindow;
class StatusLine;
class ToolWindow;
class WhereUsedWindow;
class WorkspaceChooser;

// The editor's main window: the load button and NPC list, the five page grids, the page and
// data-transfer buttons, and the save button. It wires the controls to the sessions and the
// document manager: the shop session holds the shop, the workspace session the NPC list and the
// mode, the document manager the shop's life (open, save, the unsaved-changes question), and
// updateActions() derives every control's state from them.
class MainWindow : public QWidget, public FramelessWindow
{
    Q_OBJECT
public:
    MainWindow(std::filesystem::path workspace, Dialogs& dialogs, QWidget* parent = nullptr);
    // What the window reads besides the workspace: the process list and keyboard of the F12
    // capture, and the item tables (the core's when null).
    struct Backends
    {
        capture::CaptureBackends capture = capture::makeCaptureBackends();
        std::unique_ptr<ItemTableSource> itemTables = nullptr;
    };
    MainWindow(std::filesystem::path workspace, Dialogs& dialogs, Backends backends,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    ShopSession& session() { return session_; }
    WorkspaceSession& workspaceSession() { return workspace_; }
    DocumentManager& documents() { return documents_; }
    LiveCapture& liveCapture() { return *capture_; }
    CatalogueService& catalogue() { return catalogue_; }
    PreviewWindow* previewWindow() const { return preview_; }
    SearchWindow* searchWindow() const { return search_; }

    // The control handlers.
    void loadWorkspace();
    void onNpcSelected(int index);
    // Starts a save (see DocumentManager::save); false when none started.
    bool save();
    void addTwoRows();
    void editPageNames();
    void openForRead();
    void openForOutput();
    void showHelp();
    // Works on another workspace folder: unsaved changes are settled first, as for a load, then
    // the editor is reset and the folder goes first in the recent list. False when the user
    // kept the changes or a save or preview is under way.
    bool switchWorkspace(const std::filesystem::path& folder);
    // Asks for the workspace folder with the chooser's folder dialog (at the start, when the
    // program's own folder is none).
    void chooseWorkspace();

    PageGridView* currentPageGrid() const;
    PageGridView* grid(int page) const { return grids_.at(static_cast<std::size_t>(page)); }

    const std::filesystem::path& workspacePath() const { return session_.workspace().root(); }
    // How long the save button shows its tick before the shop is read again; with 0 the shop
    // is read again before save() returns.
    void setSaveConfirmationDelay(int milliseconds) { documents_.setConfirmationDelay(milliseconds); }
    // The window's commands: each button, check box and menu entry shows one of them, and
    // updateActions() sets them all from one state.
    struct Actions
    {
        QAction* load = nullptr;
        QAction* save = nullptr; // also Ctrl+S
        QAction* repair = nullptr;
        QAction* editPageNames = nullptr;
        QAction* addRows = nullptr;
        QAction* clearPage = nullptr;
        QAction* clearAll = nullptr;
        QAction* read = nullptr;
        QAction* output = nullptr;
        QAction* externalTable = nullptr;
        QAction* chooseWorkspace = nullptr;
        QAction* whereUsed = nullptr;
        QAction* replace = nullptr;
        QAction* check = nullptr;
        QAction* seeChanges = nullptr; // "查看改动"
        QAction* history = nullptr;
        QAction* compare = nullptr;
    };
    const Actions& actions() const { return actions_; }
    // What the controls depend on: the sessions', the shop's and the capture's state.
    EditorState editorState() const;
    // Sets every control, action and grid from editorState() through actionsFor().
    void updateActions();

    // The workspace tools: the "工具" menu on the title strip, the grids' context menu and the
    // three tool windows.
    QMenu* toolsMenu() const { return toolsMenu_; }
    WhereUsedWindow* whereUsedWindow() const;
    ReplaceWindow* replaceWindow() const;
    CheckWindow* checkWindow() const;
    void showWhereUsed(const QString& id = {});
    void showReplace(const QString& from = {});
    void showCheck();
    // What a save would write, the history of saves and the comparison with another workspace.
    SaveChangesWindow* saveChangesWindow() const;
    HistoryWindow* historyWindow() const;
    CompareWindow* compareWindow() const;
    void showSaveChanges();
    void showHistory();
    void showCompare();
    // Opens a shop file the way choosing its NPC does (unsaved changes are asked about first)
    // and shows the place's page and selects its cell; false when the shop was not opened.
    bool openPlace(const Place& place);

signals:
    void npcListReady();
    void shopOpened();
    // The save's tick is showing and the shop is about to be read again.
    void saveConfirming();
    void workspaceChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void createActions(QAbstractButton* preview, QAbstractButton* search, QAbstractButton* help);
    void connectSession();
    void showRepairFlag(bool repairable);
    void showPageNames();
    void showBinding();
    void showOpenRow(int row);
    void openRepairWindow();
    void leaveWorkspace();
    void updateTitle();
    void returnFocus();
    void showPreview();
    void showSearch();
    void loadExternalTable(bool checked);
    void setUpTools(QPushButton* help);
    void showGridMenu(int page, const QPoint& at);
    void showToolWindow(ToolWindow* window);
    void deleteToolWindows();
    void setUpChangeWindows();
    void deleteChangeWindows();
    void setUpWorkspaceChooser();
    void keepWindowPosition();

    ShopSession session_;
    WorkspaceSession workspace_;
    CatalogueService catalogue_;
    Dialogs& dialogs_;
    DocumentManager documents_;
    Actions actions_;

    QPushButton* loadButton_ = nullptr;
    QComboBox* npcCombo_ = nullptr;
    QLabel* loadingLabel_ = nullptr;
    QCheckBox* repairBox_ = nullptr;
    QLabel* repairLabel_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QLineEdit* pathBox_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QPushButton* editPagesButton_ = nullptr;
    QPushButton* addRowsButton_ = nullptr;
    QPushButton* clearPageButton_ = nullptr;
    QPushButton* clearAllButton_ = nullptr;
    QCheckBox* captureBox_ = nullptr;
    QCheckBox* fillBox_ = nullptr;
    QLineEdit* idBox_ = nullptr;
    QCheckBox* externalBox_ = nullptr;
    QPushButton* readButton_ = nullptr;
    QPushButton* outputButton_ = nullptr;
    WorkspaceChooser* chooser_ = nullptr;
    StatusLine* statusLine_ = nullptr;
    QPointer<PreviewWindow> preview_;
    QPointer<SearchWindow> search_;
    QMenu* toolsMenu_ = nullptr;
    QPointer<WhereUsedWindow> whereUsed_;
    QPointer<ReplaceWindow> replace_;
    QPointer<CheckWindow> check_;
    QPointer<SaveChangesWindow> saveChanges_;
    QPointer<HistoryWindow> history_;
    QPointer<CompareWindow> compare_;
    std::array<PageGridView*, shop::kPageCount> grids_{};
    // Last, so it goes first: its workers are joined while the controls still exist.
    std::unique_ptr<LiveCapture> capture_;
};

} // namespace shopkeeper::gui
