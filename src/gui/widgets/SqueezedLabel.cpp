#include "gui/widgets/SqueezedLabel.h"

#include <QPainter>

namespace shopkeeper::gui {

SqueezedLabel::SqueezedLabel(QWidget* parent) : QLabel(parent) {}

void SqueezedLabel::setDecoration(QChar decoration)
{
    decoration_ = decoration;
    update();
}

void SqueezedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QFontMetrics metrics(font());
    const QString all = text();
    const qsizetype cut = all.indexOf(decoration_);
    const QString words = cut < 0 ? all : all.left(cut);
    const QString tail = cut < 0 ? QString() : all.mid(cut);
    const int wordsWidth = metrics.horizontalAdvance(words);
    const QRect area = contentsRect();
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, words);
    if (tail.isEmpty())
        return;
    const int room = area.width() - wordsWidth;
    const int tailWidth = metrics.horizontalAdvance(tail);
    if (room <= 0 || tailWidth <= 0)
        return;
    const qreal scale = std::min<qreal>(1.0, static_cast<qreal>(room) / tailWidth);
    painter.translate(area.left() + wordsWidth, 0);
    painter.scale(scale, 1.0);
    painter.drawText(QRect(0, area.top(), tailWidth, area.height()), Qt::AlignLeft | Qt::AlignVCenter, tail);
}

} // namespace shopkeeper::gui
