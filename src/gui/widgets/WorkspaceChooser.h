#pragma once

#include <QToolButton>

class QLabel;
class QMenu;

namespace shopkeeper::gui {

class Dialogs;

// The workspace path on the main window's title strip, "工作目录：…". Clicking it opens a small
// menu: "选择工作目录…" (a folder dialog) and the recent workspaces, the current one checked
// and the ones that are no longer folders greyed. chosen() tells which folder the user took;
// switching to it is the window's business.
class WorkspaceChooser : public QToolButton
{
    Q_OBJECT
public:
    WorkspaceChooser(Dialogs& dialogs, QWidget* parent);

    // Shows folder at the left of room, as wide as its text and at most as wide as room, the
    // middle of the path left out when it does not fit.
    void showFolder(const QString& folder, const QRect& room);
    // showFolder() in the room of its window's title strip: after the title's words, up to the
    // first button on the strip.
    void showOnStrip(const QString& folder, const QLabel* strip);
    const QString& folder() const { return folder_; }
    // The menu as it was last opened.
    QMenu* workspaceMenu() const { return menu_; }
    // Builds the menu afresh from the recent list and pops it up below the path.
    void openMenu();
    // The folder dialog of "选择工作目录…"; chosen() follows unless the user cancels.
    void browse();

signals:
    void chosen(const QString& folder);

private:
    void rebuildMenu();

    Dialogs& dialogs_;
    QMenu* menu_;
    QString folder_;
};

} // namespace shopkeeper::gui
