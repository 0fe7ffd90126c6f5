#include "gui/capture/LiveCapture.h"

#include "gui/widgets/QtText.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <algorithm>
#include <system_error>

namespace shopkeeper::gui {

LiveCapture::LiveCapture(capture::CaptureBackends backends, Controls controls, Dialogs& dialogs,
                         CellFiller fillCell, QWidget* dialogParent)
    : backends_(std::move(backends)), hotkeys_(*backends_.keys,
                                               [this](std::int32_t periodMs) {
                                                   ++timerStarts_;
                                                   pollTimer_.start(periodMs);
                                               }),
      controls_(controls), dialogs_(dialogs), fillCell_(std::move(fillCell)), dialogParent_(dialogParent)
{
    pollTimer_.setTimerType(Qt::PreciseTimer);
    connect(&pollTimer_, &QTimer::timeout, this, [this] { hotkeys_.pollHotkeys(); });
    connect(controls_.captureBox, &QCheckBox::clicked, this, &LiveCapture::onCaptureToggled);
    controls_.idBox->setEnabled(false);
    controls_.fillBox->setChecked(false);
    controls_.fillBox->setEnabled(false);
}

LiveCapture::~LiveCapture()
{
    // A probe only reads; it ends by itself soon, and what it still posts dies with this object.
    run_.cancel();
    for (auto& worker : workers_)
        worker.thread.join();
}

bool LiveCapture::isOn() const
{
    return std::any_of(hotkeys_.records().begin(), hotkeys_.records().end(),
                       [](const capture::HotkeyRecord& record) { return record.id != 0; });
}

void LiveCapture::onCaptureToggled()
{
    if (controls_.captureBox->isChecked()) {
        const auto problem = capture::captureSwitchOnProblem(*backends_.processes, *backends_.keys);
        if (!problem) {
            hotkeys_.addHotkey([this](std::int32_t) { onHotkey(); }, capture::kCaptureKey, 0, 0, 0, 0);
            controls_.idBox->setEnabled(true);
            controls_.fillBox->setEnabled(true);
            return;
        }
        controls_.captureBox->setChecked(false);
        dialogs_.message(dialogParent_, QStringLiteral("提示"), qs(*problem), Dialogs::Icon::Information);
    }
    switchOff();
}

void LiveCapture::switchOff()
{
    hotkeys_.removeHotkey(0);
    run_.cancel();
    controls_.captureBox->setChecked(false);
    controls_.idBox->setEnabled(false);
    controls_.fillBox->setChecked(false);
    controls_.fillBox->setEnabled(false);
}

void LiveCapture::onHotkey()
{
    // The table calls this from its poll on the UI thread; the reading of the game goes to a worker.
    const JobRun::Ticket ticket = run_.begin();
    capture::ProcessSource* processes = backends_.processes.get();
    try {
        workers_.push_back({ticket.id, std::thread([this, ticket, processes] {
                                capture::CaptureResult result;
                                if (!ticket.isCancelled())
                                    result = capture::captureItemId(*processes);
                                // Always report back, so the UI thread joins this worker.
                                QMetaObject::invokeMethod(
                                    this, [this, id = ticket.id, result] { apply(id, result); },
                                    Qt::QueuedConnection);
                            })});
    } catch (const std::system_error&) {
        // No thread to be had: this press reads nothing.
        run_.cancel();
        controls_.idBox->setText(QString::fromUtf8(
            capture::kCaptureFailedText.data(), static_cast<qsizetype>(capture::kCaptureFailedText.size())));
    }
}

void LiveCapture::joinWorker(quint64 ticket)
{
    const auto it = std::find_if(workers_.begin(), workers_.end(),
                                 [ticket](const Worker& worker) { return worker.ticket == ticket; });
    if (it == workers_.end())
        return;
    it->thread.join();
    workers_.erase(it);
}

void LiveCapture::apply(quint64 ticket, const capture::CaptureResult& result)
{
    joinWorker(ticket);
    if (!run_.isCurrent(ticket))
        return; // switched off, or a newer press, since this read began
    run_.cancel();

    using Outcome = capture::CaptureResult::Outcome;
    switch (result.outcome) {
    case Outcome::GameNotRunning:
        switchOff();
        break;
    case Outcome::ReadFailed:
    case Outcome::ReadRefused:
        controls_.idBox->setText(qs(result.idText()));
        break;
    case Outcome::Captured:
        controls_.idBox->setText(qs(result.idText()));
        QGuiApplication::clipboard()->setText(controls_.idBox->text());
        if (controls_.fillBox->isChecked() && fillCell_)
            fillCell_(controls_.idBox->text());
        break;
    }
    emit resultApplied();
}

} // namespace shopkeeper::gui
