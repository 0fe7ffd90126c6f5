#pragma once

#include <QLabel>

namespace shopkeeper::gui {

// A one-line label in the window's normal font whose trailing run of decoration (the arrows
// of "加载外置ID→→→→→→") is squeezed sideways when the whole text does not fit: the words stay
// at their normal size and readable, the decoration gives way.
class SqueezedLabel : public QLabel
{
    Q_OBJECT
    // The character whose run at the end of the text is squeezed.
    Q_PROPERTY(QChar decoration READ decoration WRITE setDecoration)
public:
    explicit SqueezedLabel(QWidget* parent = nullptr);

    QChar decoration() const { return decoration_; }
    void setDecoration(QChar decoration);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QChar decoration_;
};

} // namespace shopkeeper::gui
