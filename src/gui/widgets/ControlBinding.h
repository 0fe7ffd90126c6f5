#pragma once

class QAbstractButton;
class QAction;
class QLabel;
class QWidget;

namespace shopkeeper::gui {

// How the window's controls show its commands and titles.

// The button shows the action: enabled (and checked) as it is; a click triggers it.
void bindButton(QAbstractButton* button, QAction* action);

// A left click on the words beside a box toggles it while it is enabled, as a check box's own
// text would.
void clickTogglesBox(QLabel* words, QAbstractButton* box);

// The frame of a group box runs through the middle of its title, whose label hides the line
// behind its words; the label's size follows the font.
void fitGroupTitle(QLabel* title);

// A secondary window to the front: back from minimised as it was, raised and active.
void bringForward(QWidget* window);

} // namespace shopkeeper::gui
