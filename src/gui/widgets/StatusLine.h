#pragma once

#include <QLabel>
#include <QString>

class QTabWidget;

namespace shopkeeper::gui {

// The status of a window that has no room for a status bar: one line in the row of a tab
// widget's tabs, right of them, in the room the tabs leave. A message longer than that room is
// cut with "…"; the whole message is the tip. Empty, the line shows nothing.
class StatusLine : public QLabel
{
    Q_OBJECT
public:
    enum class Tone
    {
        Information,
        Problem, // something failed: shown in red
    };

    // Goes into tabs' top-right corner; rightMargin keeps that much of the row's right end free
    // (for a control laid over it).
    StatusLine(QTabWidget* tabs, int rightMargin);

    void showMessage(const QString& message, Tone tone = Tone::Information);
    void clearMessage() { showMessage({}); }
    QString message() const { return message_; }
    Tone tone() const { return tone_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showElided();

    QTabWidget* tabs_;
    QString message_;
    Tone tone_ = Tone::Information;
};

} // namespace shopkeeper::gui
