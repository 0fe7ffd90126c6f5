#pragma once

#include "core/capture/CaptureBackends.h"
#include "core/capture/HotkeyTable.h"
#include "core/capture/ItemCapture.h"
#include "gui/jobs/JobRun.h"
#include "gui/widgets/Dialogs.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <thread>
#include <vector>

class QCheckBox;
class QLineEdit;
class QWidget;

namespace shopkeeper::gui {

// The F12 capture of the main window: the switch 选择框1, the box ID框 that shows the last
// ID, and 选择框2, which asks for each ID to go into the grid as well.
//
// The hot-key table is polled every 10 ms by a timer on the UI thread, started once, at the
// first switch-on, and never again. Each F12 press reads the game on a worker thread, because
// walking the process list and reading another process can block; the result comes back to
// the UI thread, which alone touches the controls, the clipboard and the grid. Only the result
// of the latest press while the capture is on is shown: switching off, or a newer press,
// makes an earlier result stale, and it is dropped.
class LiveCapture : public QObject
{
    Q_OBJECT
public:
    struct Controls
    {
        QCheckBox* captureBox = nullptr; // 选择框1
        QCheckBox* fillBox = nullptr;    // 选择框2
        QLineEdit* idBox = nullptr;      // ID框
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
    bool isOn() const;
    // Whether a read of the game is under way or its result not yet taken in.
    bool isCapturing() const { return !workers_.empty(); }

    const capture::HotkeyTable& hotkeys() const { return hotkeys_; }
    const QTimer& pollTimer() const { return pollTimer_; }
    // How often the poll timer has been started; never more than once.
    int timerStarts() const { return timerStarts_; }

signals:
    // A capture's result has been shown (or has switched the capture off).
    void resultApplied();

private:
    struct Worker
    {
        quint64 ticket = 0;
        std::thread thread;
    };

    void onHotkey();
    void apply(quint64 ticket, const capture::CaptureResult& result);
    void switchOff();
    void joinWorker(quint64 ticket);

    capture::CaptureBackends backends_;
    capture::HotkeyTable hotkeys_;
    QTimer pollTimer_;
    int timerStarts_ = 0;
    Controls controls_;
    Dialogs& dialogs_;
    CellFiller fillCell_;
    QWidget* dialogParent_ = nullptr;
    JobRun run_;
    std::vector<Worker> workers_;
};

} // namespace shopkeeper::gui
