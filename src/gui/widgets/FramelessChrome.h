#pragma once

#include <QColor>
#include <QLabel>
#include <QPoint>

namespace shopkeeper::gui {

// The look every window shares: no system frame, a title strip "标签1" across the top that
// moves the window when dragged, and thin edge lines "标签2" (left), "标签3" (right) and
// "标签4" (bottom).
class FramelessChrome : public QObject
{
    Q_OBJECT
public:
    static const QColor kStripColour;
    static const QColor kEdgeColour;

    FramelessChrome(QWidget* window, const QString& title, int stripHeight = 25);

    QLabel* titleStrip() const { return strip_; }
    void setTitle(const QString& title);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeEdges();

    QWidget* window_;
    QLabel* strip_;
    QLabel* left_;
    QLabel* right_;
    QLabel* bottom_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

} // namespace shopkeeper::gui
