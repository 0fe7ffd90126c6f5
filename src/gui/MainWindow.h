#pragma once

#include "Dialogs.h"
#include "NpcListJob.h"
#include "PageGridModel.h"
#include "PageGridView.h"
#include "TransferWindow.h"
#include "shop/ShopDocument.h"
#include "workspace/Workspace.h"

#include <QUndoStack>
#include <QWidget>
#include <array>
#include <filesystem>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace shopkeeper::gui {

class FramelessChrome;

// The editor's main window: the load button and NPC list, the five page grids, the page and
// data-transfer buttons, and the save button. Handlers call the core and show its results.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    MainWindow(std::filesystem::path workspace, Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The control handlers.
    void loadWorkspace();
    void onNpcSelected(int index);
    bool save();
    void addTwoRows();
    void clearThisPage();
    void clearAllPages();
    void editPageNames();
    void openForRead();
    void openForOutput();
    void showHelp();

    // Operations other parts of the window use.
    void resetEditor();
    void clearItemGrids();
    void resetPageNames();
    void leaveFileMode();
    PageGridView* currentPageGrid() const;
    PageGridView* grid(int page) const { return grids_.at(static_cast<std::size_t>(page)); }
    bool fillSelectedCell(const QString& text);

    const std::filesystem::path& workspacePath() const { return workspace_.root(); }
    const shop::ShopDocument& document() const { return document_; }
    QUndoStack* undoStack() { return &undo_; }
    bool isModified() const { return !undo_.isClean(); }
    TransferMode transferMode() const { return transferMode_; }
    // How long the save button shows its tick before the shop is read again.
    void setSaveConfirmationDelay(int milliseconds) { confirmationDelay_ = milliseconds; }

signals:
    void npcListReady();
    void shopOpened();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    QGroupBox* group(const char* name, const char* titleName, const QString& title, QRect rect);
    void setListControlsEnabled(bool enabled);
    void setRepairFlag(bool repairable);
    void setCaptions(const std::array<QString, shop::kPageCount>& captions);
    std::array<QString, shop::kPageCount> captions() const;
    void showPages(const shop::ShopPages& pages);
    void openShop(int index);
    bool confirmDiscard();
    void updateTitle();
    std::vector<PageGridModel*> models() const;

    workspace::Workspace workspace_;
    Dialogs& dialogs_;
    FramelessChrome* chrome_ = nullptr;
    NpcListJob job_;
    QUndoStack undo_;
    shop::ShopDocument document_;
    std::vector<std::filesystem::path> entries_; // shop file k is combo item k + 1
    int openIndex_ = 0;
    TransferMode transferMode_ = TransferMode::Read;
    int confirmationDelay_ = 1000;
    bool saving_ = false;

    QPushButton* loadButton_ = nullptr;
    QComboBox* npcCombo_ = nullptr;
    QLabel* loadingLabel_ = nullptr;
    QCheckBox* repairBox_ = nullptr;
    QLabel* repairLabel_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QLineEdit* pathBox_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QPushButton* editPagesButton_ = nullptr;
    QCheckBox* captureBox_ = nullptr;
    QCheckBox* fillBox_ = nullptr;
    QLineEdit* idBox_ = nullptr;
    std::array<PageGridModel*, shop::kPageCount> models_{};
    std::array<PageGridView*, shop::kPageCount> grids_{};
};

} // namespace shopkeeper::gui
