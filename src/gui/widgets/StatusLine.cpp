#include "gui/widgets/StatusLine.h"

#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

namespace shopkeeper::gui {

namespace {

constexpr int kGapAfterTabs = 12;
const QColor kProblemColour(0xB0, 0x00, 0x00);

} // namespace

StatusLine::StatusLine(QTabWidget* tabs, int rightMargin) : QLabel(tabs), tabs_(tabs)
{
    setContentsMargins(0, 0, rightMargin, 0);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTextFormat(Qt::PlainText);
    tabs_->setCornerWidget(this, Qt::TopRightCorner);
}

void StatusLine::showMessage(const QString& message, Tone tone)
{
    message_ = message;
    tone_ = tone;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText,
                     tone == Tone::Problem ? kProblemColour : tabs_->palette().color(QPalette::WindowText));
    setPalette(colours);
    setToolTip(message);
    updateGeometry();
    showElided();
}

QSize StatusLine::sizeHint() const
{
    const QMargins margins = contentsMargins();
    const int wanted = fontMetrics().horizontalAdvance(message_) + margins.left() + margins.right();
    // The tabs come first: the line takes only what they leave.
    const int room = tabs_->width() - tabs_->tabBar()->sizeHint().width() - kGapAfterTabs;
    const int width = std::max(margins.left() + margins.right(), std::min(wanted, room));
    return {width, QLabel::sizeHint().height()};
}

QSize StatusLine::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return {margins.left() + margins.right(), QLabel::minimumSizeHint().height()};
}

void StatusLine::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    showElided();
}

void StatusLine::showElided()
{
    // Line breaks of a longer message run on as one line here; the tip keeps them.
    QString line = message_;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    setText(fontMetrics().elidedText(line, Qt::ElideRight, std::max(0, contentsRect().width())));
}

} // namespace shopkeeper::gui
