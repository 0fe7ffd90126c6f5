#pragma once

#include <QColor>
#include <QLabel>
#include <optional>

namespace shopkeeper::gui {

class PictureButton;

// The frame every window of the editor shares: no system frame, a title strip across the top
// that moves the window when dragged, thin edge lines "标签2" (left), "标签3" (right) and "标签4"
// (bottom), the close picture and, where the window has one, the minimise picture beside it.
// A window derives from its Qt widget class first and from this class second, lays out its
// controls, then calls setUpFrame once. The close picture rejects a dialog and closes any other
// window; the minimise picture minimises it.
class FramelessWindow
{
public:
    static const QColor kStripColour;
    static const QColor kEdgeColour;

    // A picture on the strip: its control name and its left edge; each is 25 x 25 at the top.
    struct Picture
    {
        QString name;
        int x = 0;
    };

    QLabel* titleStrip() const { return strip_; }
    PictureButton* closePicture() const { return close_; }
    // Shows the title on the strip and gives it to the window.
    void setTitle(const QString& title);

protected:
    explicit FramelessWindow(QWidget* window) : window_(window) {}
    ~FramelessWindow() = default;
    FramelessWindow(const FramelessWindow&) = delete;
    FramelessWindow& operator=(const FramelessWindow&) = delete;

    // Builds the strip (named "标签1" unless the window uses that name for a control of its own),
    // the edges and the pictures over the window at its present size.
    void setUpFrame(const QString& title, const Picture& close, const std::optional<Picture>& minimise = {},
                    const QString& stripName = QStringLiteral("标签1"), int stripHeight = 25);

private:
    QWidget* window_;
    QLabel* strip_ = nullptr;
    PictureButton* close_ = nullptr;
};

} // namespace shopkeeper::gui
