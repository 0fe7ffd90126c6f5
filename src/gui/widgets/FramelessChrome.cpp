#include "gui/widgets/FramelessChrome.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace shopkeeper::gui {

const QColor FramelessChrome::kStripColour(0x2F, 0x5D, 0x8A);
const QColor FramelessChrome::kEdgeColour(0x1E, 0x3D, 0x5C);

FramelessChrome::FramelessChrome(QWidget* window, const QString& title, int stripHeight)
    : QObject(window), window_(window)
{
    window->setWindowFlags(window->windowFlags() | Qt::FramelessWindowHint);
    window->setWindowTitle(title);

    strip_ = new QLabel(window);
    strip_->setObjectName(QStringLiteral("标签1"));
    strip_->setGeometry(0, 0, window->width(), stripHeight);
    strip_->setAutoFillBackground(true);
    strip_->setStyleSheet(QStringLiteral("QLabel { background: %1; color: white; padding-left: 8px; }")
                              .arg(kStripColour.name()));
    strip_->setText(title);
    strip_->installEventFilter(this);

    const auto edge = [window](const char* name) {
        auto* label = new QLabel(window);
        label->setObjectName(QString::fromUtf8(name));
        label->setAutoFillBackground(true);
        label->setStyleSheet(QStringLiteral("QLabel { background: %1; }").arg(kEdgeColour.name()));
        return label;
    };
    left_ = edge("标签2");
    right_ = edge("标签3");
    bottom_ = edge("标签4");
    window->installEventFilter(this);
    placeEdges();
}

void FramelessChrome::setTitle(const QString& title)
{
    strip_->setText(title);
    window_->setWindowTitle(title);
}

void FramelessChrome::placeEdges()
{
    const int w = window_->width();
    const int h = window_->height();
    strip_->setGeometry(0, 0, w, strip_->height());
    left_->setGeometry(0, 0, 1, h);
    right_->setGeometry(w - 1, 0, 1, h);
    bottom_->setGeometry(0, h - 1, w, 1);
    strip_->lower();
    left_->raise();
    right_->raise();
    bottom_->raise();
}

bool FramelessChrome::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Resize) {
        placeEdges();
    } else if (watched == strip_) {
        const auto type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
            type != QEvent::MouseButtonRelease)
            return QObject::eventFilter(watched, event);
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            dragging_ = true;
            dragOffset_ = mouse->globalPosition().toPoint() - window_->frameGeometry().topLeft();
            return true;
        }
        if (type == QEvent::MouseMove && dragging_ && (mouse->buttons() & Qt::LeftButton)) {
            window_->move(mouse->globalPosition().toPoint() - dragOffset_);
            return true;
        }
        if (type == QEvent::MouseButtonRelease)
            dragging_ = false;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace shopkeeper::gui
