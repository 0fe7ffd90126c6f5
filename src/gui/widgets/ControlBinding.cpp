#include "gui/widgets/ControlBinding.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMouseEvent>

namespace shopkeeper::gui {

namespace {

class ClickToggles : public QObject
{
public:
    ClickToggles(QLabel* words, QAbstractButton* box) : QObject(words), box_(box) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && box_->isEnabled()) {
            box_->click();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractButton* box_;
};

} // namespace

void bindButton(QAbstractButton* button, QAction* action)
{
    const auto show = [button, action] {
        button->setEnabled(action->isEnabled());
        if (action->isCheckable())
            button->setChecked(action->isChecked());
    };
    show();
    QObject::connect(action, &QAction::changed, button, show);
    QObject::connect(button, &QAbstractButton::clicked, action, [action] { action->trigger(); });
}

void clickTogglesBox(QLabel* words, QAbstractButton* box)
{
    words->installEventFilter(new ClickToggles(words, box));
}

void fitGroupTitle(QLabel* title)
{
    title->setContentsMargins(3, 0, 3, 0);
    title->adjustSize();
    title->move(8, 8 - title->height() / 2);
}

void bringForward(QWidget* window)
{
    window->showNormal();
    window->raise();
    window->activateWindow();
}

} // namespace shopkeeper::gui
