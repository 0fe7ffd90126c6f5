#pragma once

#include <QLabel>

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

} // namespace shopkeeper::gui
