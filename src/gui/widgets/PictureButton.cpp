#include "gui/widgets/PictureButton.h"

#include "gui/widgets/FramelessWindow.h"

#include <QMouseEvent>
#include <QPainter>

namespace shopkeeper::gui {

PictureButton::PictureButton(Glyph glyph, QWidget* parent) : QLabel(parent), glyph_(glyph)
{
    setCursor(Qt::PointingHandCursor);
    setToolTip(glyph == Glyph::Close ? QStringLiteral("关闭") : QStringLiteral("最小化"));
    paintGlyph(false);
}

void PictureButton::paintGlyph(bool hover)
{
    QPixmap pixmap(25, 25);
    pixmap.fill(hover ? (glyph_ == Glyph::Close ? QColor(0xC4, 0x2B, 0x1C)
                                                : FramelessWindow::kStripColour.lighter(130))
                      : Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2));
    if (glyph_ == Glyph::Close) {
        painter.drawLine(8, 8, 17, 17);
        painter.drawLine(17, 8, 8, 17);
    } else {
        painter.drawLine(7, 16, 18, 16);
    }
    setPixmap(pixmap);
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void PictureButton::enterEvent(QEnterEvent* event)
{
    paintGlyph(true);
    QLabel::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event)
{
    paintGlyph(false);
    QLabel::leaveEvent(event);
}

} // namespace shopkeeper::gui
