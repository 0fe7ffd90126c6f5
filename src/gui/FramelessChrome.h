#pragma once

#include <QLabel>
#include <QPoint>

namespace shopkeeper::gui {

// A picture control that acts as a button (the minimise and close pictures of the windows).
class PictureButton : public QLabel
{
    Q_OBJECT
public:
    enum class Glyph
    {
        Minimise,
        Close
    };
    PictureButton(Glyph glyph, QWidget* parent);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void paintGlyph(bool hover);
    Glyph glyph_;
};

// The look every window shares: no system frame, a title strip "标签1" across the top that
// moves the window when dragged, and thin edge lines "标签2" (left), "标签3" (right) and
// "标签4" (bottom).
class FramelessChrome : public QObject
{
    Q_OBJECT
public:
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
