#include "gui/widgets/FramelessWindow.h"

#include "gui/widgets/PictureButton.h"

#include <QDialog>
#include <QEvent>
#include <QMouseEvent>

namespace shopkeeper::gui {

namespace {

// Moves the window while the strip is dragged and keeps the strip and edges along the window's
// sides when it is resized.
class FrameTracker : public QObject
{
public:
    FrameTracker(QWidget* window, QLabel* strip, QLabel* left, QLabel* right, QLabel* bottom)
        : QObject(window), window_(window), strip_(strip), left_(left), right_(right), bottom_(bottom)
    {
        strip_->installEventFilter(this);
        window_->installEventFilter(this);
        placeEdges();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
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

private:
    void placeEdges()
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

    QWidget* window_;
    QLabel* strip_;
    QLabel* left_;
    QLabel* right_;
    QLabel* bottom_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

} // namespace

const QColor FramelessWindow::kStripColour(0x2F, 0x5D, 0x8A);
const QColor FramelessWindow::kEdgeColour(0x1E, 0x3D, 0x5C);

void FramelessWindow::setUpFrame(const QString& title, const Picture& close,
                                 const std::optional<Picture>& minimise, const QString& stripName,
                                 int stripHeight)
{
    window_->setWindowFlags(window_->windowFlags() | Qt::FramelessWindowHint);
    window_->setWindowTitle(title);

    strip_ = new QLabel(window_);
    strip_->setObjectName(stripName);
    strip_->setGeometry(0, 0, window_->width(), stripHeight);
    strip_->setAutoFillBackground(true);
    strip_->setStyleSheet(QStringLiteral("QLabel { background: %1; color: white; padding-left: 8px; }")
                              .arg(kStripColour.name()));
    strip_->setText(title);

    const auto edge = [this](const QString& name) {
        auto* label = new QLabel(window_);
        label->setObjectName(name);
        label->setAutoFillBackground(true);
        label->setStyleSheet(QStringLiteral("QLabel { background: %1; }").arg(kEdgeColour.name()));
        return label;
    };
    auto* left = edge(QStringLiteral("标签2"));
    auto* right = edge(QStringLiteral("标签3"));
    auto* bottom = edge(QStringLiteral("标签4"));
    new FrameTracker(window_, strip_, left, right, bottom);

    if (minimise) {
        auto* picture = new PictureButton(PictureButton::Glyph::Minimise, window_);
        picture->setObjectName(minimise->name);
        picture->setGeometry(minimise->x, 0, 25, 25);
        QObject::connect(picture, &PictureButton::clicked, window_, &QWidget::showMinimized);
    }
    close_ = new PictureButton(PictureButton::Glyph::Close, window_);
    close_->setObjectName(close.name);
    close_->setGeometry(close.x, 0, 25, 25);
    if (auto* dialog = qobject_cast<QDialog*>(window_))
        QObject::connect(close_, &PictureButton::clicked, dialog, &QDialog::reject);
    else
        QObject::connect(close_, &PictureButton::clicked, window_, &QWidget::close);
}

void FramelessWindow::setTitle(const QString& title)
{
    strip_->setText(title);
    window_->setWindowTitle(title);
}

} // namespace shopkeeper::gui
