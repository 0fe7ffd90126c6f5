#include "gui/widgets/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace shopkeeper::gui {

namespace {

// The start coordinate of a span of `length` that begins at `wanted` and must lie in
// [low, low + room); the span's start stays in range when it is longer than the room.
int clampSpan(int wanted, int length, int low, int room)
{
    return std::max(low, std::min(wanted, low + room - length));
}

QRect availableFor(const QWidget* widget)
{
    const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

qint64 overlapArea(const QRect& a, const QRect& b)
{
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64{common.width()} * common.height();
}

// Squared distance between a point and the nearest point of a rectangle.
qint64 distanceSquared(QPoint point, const QRect& rect)
{
    const qint64 dx = point.x() < rect.left()    ? rect.left() - point.x()
                      : point.x() > rect.right() ? point.x() - rect.right()
                                                 : 0;
    const qint64 dy = point.y() < rect.top()      ? rect.top() - point.y()
                      : point.y() > rect.bottom() ? point.y() - rect.bottom()
                                                  : 0;
    return dx * dx + dy * dy;
}

} // namespace

QPoint placeBeside(const QRect& owner, QSize size, const QRect& available)
{
    const int width = size.width();
    const int rightEdge = available.left() + available.width(); // one past the last column
    int x = 0;
    if (owner.left() + owner.width() + width <= rightEdge)
        x = owner.left() + owner.width();
    else if (owner.left() - width >= available.left())
        x = owner.left() - width;
    else
        x = std::max(available.left(), rightEdge - width);
    const int y = clampSpan(owner.top(), size.height(), available.top(), available.height());
    return {x, y};
}

QPoint placeBesideOthers(const QRect& owner, QSize size, const QRect& available, const QList<QRect>& others)
{
    QPoint at = placeBeside(owner, size, available);
    const auto onAnother = [&](QPoint candidate) {
        return std::any_of(others.begin(), others.end(), [&](const QRect& other) {
            return std::abs(other.top() - candidate.y()) < kCascadeStep &&
                   other.left() < candidate.x() + size.width() &&
                   candidate.x() < other.left() + other.width();
        });
    };
    // Each step passes at least one other window, so as many steps as there are windows do.
    for (qsizetype step = 0; step < others.size() && onAnother(at); ++step) {
        const QPoint next = keepInside(QRect(at + QPoint(kCascadeStep, kCascadeStep), size), available);
        if (next == at)
            break; // in the screen's corner: no further to go
        at = next;
    }
    return at;
}

QPoint keepInside(const QRect& frame, const QRect& available)
{
    return {clampSpan(frame.left(), frame.width(), available.left(), available.width()),
            clampSpan(frame.top(), frame.height(), available.top(), available.height())};
}

QPoint clampToScreens(const QRect& saved, const QList<QRect>& availableScreens)
{
    if (availableScreens.isEmpty())
        return saved.topLeft();
    const QRect* best = nullptr;
    qint64 bestOverlap = 0;
    for (const QRect& screen : availableScreens) {
        const qint64 overlap = overlapArea(saved, screen);
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = &screen;
        }
    }
    if (best == nullptr) {
        qint64 nearest = std::numeric_limits<qint64>::max();
        for (const QRect& screen : availableScreens) {
            const qint64 distance = distanceSquared(saved.center(), screen);
            if (distance < nearest) {
                nearest = distance;
                best = &screen;
            }
        }
    }
    return keepInside(saved, *best);
}

void placeBesideOwner(QWidget* window, const QWidget* owner)
{
    if (window == nullptr || owner == nullptr)
        return;
    QList<QRect> others;
    for (const QWidget* other : owner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != window && other->isWindow() && other->isVisible() && !other->isMinimized())
            others.append(other->frameGeometry());
    }
    window->move(placeBesideOthers(owner->frameGeometry(), window->frameGeometry().size(),
                                   availableFor(owner), others));
}

void restorePosition(QWidget* window, QPoint savedTopLeft)
{
    if (window == nullptr)
        return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    window->move(clampToScreens(QRect(savedTopLeft, window->frameGeometry().size()), screens));
}

void centreOver(QWidget* window, const QWidget* owner)
{
    if (window == nullptr || owner == nullptr)
        return;
    const QRect area = owner->frameGeometry();
    const QSize size = window->frameGeometry().size();
    const QRect centred(area.center() - QPoint(size.width() / 2, size.height() / 2), size);
    window->move(keepInside(centred, availableFor(owner)));
}

} // namespace shopkeeper::gui
