#pragma once

#include <QWidget>

namespace shopkeeper::gui {

// Places a secondary window centred over the window it belongs to.
inline void centreOver(QWidget* window, const QWidget* owner)
{
    if (!owner)
        return;
    const QRect area = owner->frameGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

} // namespace shopkeeper::gui
