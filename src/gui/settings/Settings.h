#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// What the editor remembers between runs, in the user's QSettings of the application: the
// workspaces used last and where each window was. Tests point QSettings at a folder of their own.
namespace shopkeeper::gui::settings {

// How many workspaces the recent list keeps.
inline constexpr int kRecentWorkspaceCount = 8;

// The workspaces used last, most recent first, as absolute folder paths.
QStringList recentWorkspaces();
// Puts folder first in the recent list: a folder already in it moves up, the oldest beyond
// kRecentWorkspaceCount goes.
void rememberWorkspace(const QString& folder);
// The workspace to start on when none is named: the most recent one that is still a folder,
// else fallback.
QString startWorkspace(const QString& fallback);
// Whether the user is asked for a workspace at the start: none was named, none is recent, and the
// fallback (the program's folder; for an installed program, a system folder) is no workspace.
bool asksForWorkspaceAtStart(bool named, const QString& fallback);

// The top-left corner of the window's frame where it was last seen, by the window's name.
std::optional<QPoint> windowPosition(const QString& name);
void setWindowPosition(const QString& name, QPoint topLeft);

// Remembers the position of window under name whenever it moves while shown.
void rememberPosition(QWidget* window, const QString& name);
// Moves window to the position remembered under name, kept on a screen that exists now; false
// (and the window stays where it is) when none is remembered.
bool restoreRememberedPosition(QWidget* window, const QString& name);

} // namespace shopkeeper::gui::settings
