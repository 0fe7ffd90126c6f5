#pragma once

#include <QLabel>

namespace shopkeeper::gui {

// A one-line label in the window's normal font whose trailing run of decoration (the arrows
// of "加载外置ID→→→→→→") is squeezed sideways when the whole text does not fit: the words stay
// at their normal size and readable, the decoration gives way.
class SqueezedLabel : public QLabel
{
    Q_OBJECT
public:
    SqueezedLabel(const QString& text, QChar decoration, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QChar decoration_;
};

} // namespace shopkeeper::gui
