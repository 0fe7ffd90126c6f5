#pragma once

#include "core/capture/CaptureBackends.h"
#include "core/capture/HotkeyTable.h"
#include "core/capture/ItemCapture.h"
#include "gui/jobs/JobRunner.h"
#include "gui/widgets/Dialogs.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QCheckBox;
class QLineEdit;
class QWidget;

namespace shopkeeper::gui {

class StatusLine;

// The F12 capture of the main window: the switch 选择框1, the box ID框 that shows the last
// ID, and 选择框2, which asks for each ID to go into the grid as well. When a press gives no ID
// and the reason is known, the box's tip and the window's status line say why and what to do.
//
// The hot-key table is polled every 10 ms by a timer on the UI thread (the child named
// "capturePoll"), started once, at the first switch-on, and never again. Each F12 press queues a read of the
// game on the job runner, because walking the process list and reading another process can block; the results
// come back to the UI thread, which alone touches the controls, the clipboard and the grid. Every press
// counts: reads are done and applied in press order, so two quick presses with "ID填充到表格" fill two cells,
// and a read under way when the capture is switched off still shows what the game held when F12 was pressed.
class LiveCapture : public QObject
{
    Q_OBJECT
public:
    struct Controls
    {
        QCheckBox* captureBox = nullptr; // 选择框1
        QCheckBox* fillBox = nullptr;    // 选择框2
        QLineEdit* idBox = nullptr;      // ID框
        StatusLine* status = nullptr;    // the window's status line; may be null
    };
    // Puts a captured ID into the cursor cell of the visible page grid when that cell is empty.
    using CellFiller = std::function<bool(const QString& text)>;

    // Takes over the backends for the whole run; dialogParent owns the message boxes.
    LiveCapture(capture::CaptureBackends backends, Controls controls, Dialogs& dialogs, CellFiller fillCell,
                QWidget* dialogParent);
    ~LiveCapture() override;
    LiveCapture(const LiveCapture&) = delete;
    LiveCapture& operator=(const LiveCapture&) = delete;

    // The click handler of 选择框1: switches the capture on when the game runs and the
    // keyboard can be watched, off otherwise.
    void onCaptureToggled();
    // Whether F12 is watched; the window enables the ID and fill boxes by it.
    bool isOn() const;

signals:
    // A capture's result has been shown (or has switched the capture off).
    void resultApplied();
    // The capture was switched on or off; the window enables the ID and fill boxes by it.
    void switched(bool on);

private:
    void onHotkey();
    void apply(const capture::CaptureResult& result);
    void switchOff();
    // Why the last press gave no ID; "" clears the tip and the status.
    void showProblem(const QString& text);

    capture::CaptureBackends backends_;
    capture::HotkeyTable hotkeys_;
    QTimer pollTimer_;
    Controls controls_;
    Dialogs& dialogs_;
    CellFiller fillCell_;
    QWidget* dialogParent_ = nullptr;
    JobRunner reader_;
    QString shownProblem_;
};

} // namespace shopkeeper::gui
