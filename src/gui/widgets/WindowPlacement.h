#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace shopkeeper::gui {

// Where windows go on the screen. The pure functions take geometries only (frame rectangles and
// the available geometries of screens, as QScreen::availableGeometry() gives them), so they are
// tested without real screens; the widget helpers below feed them the live values.

// The top-left corner for a secondary window of frame size `size` beside the owner's frame
// `owner`, fully inside `available`: to the right of the owner when it fits there, else to its
// left, else as far right as it can go while fully visible. Vertically it starts level with the
// owner's top and is pushed up or down into `available`. A window larger than `available` keeps
// its top-left corner in it.
QPoint placeBeside(const QRect& owner, QSize size, const QRect& available);

// How far each further secondary window steps down and right of one already at its place: its
// title strip stays in sight.
inline constexpr int kCascadeStep = 28;

// placeBeside(), stepped down and right by kCascadeStep (kept inside `available`) while its title
// strip would lie on another's: another window's frame in `others` whose top is less than a step
// away and which shares columns with it. So windows opened one after another beside the same
// owner are never stacked exactly on top of each other.
QPoint placeBesideOthers(const QRect& owner, QSize size, const QRect& available, const QList<QRect>& others);

// `frame` moved the least distance to lie fully inside `available` (top-left kept in it when the
// window is larger).
QPoint keepInside(const QRect& frame, const QRect& available);

// The top-left corner for a window whose frame was saved as `saved`, on the screens that exist
// now: kept inside the screen it overlaps most, or, when it overlaps none (that screen is gone),
// inside the screen nearest to it. Without screens the saved position stays as it is.
QPoint clampToScreens(const QRect& saved, const QList<QRect>& availableScreens);

// Moves `window` beside `owner` by placeBesideOthers() on the owner's screen, clear of the
// owner's other secondary windows that are shown.
void placeBesideOwner(QWidget* window, const QWidget* owner);

// Moves `window` to the saved top-left corner `savedTopLeft`, clamped by clampToScreens() to the
// available geometries of the screens that exist now.
void restorePosition(QWidget* window, QPoint savedTopLeft);

// Places a secondary window centred over the window it belongs to, kept inside the owner's screen.
void centreOver(QWidget* window, const QWidget* owner);

} // namespace shopkeeper::gui
