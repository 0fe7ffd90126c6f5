#include "gui/capture/LiveCapture.h"

#include "gui/widgets/QtText.h"
#include "gui/widgets/StatusLine.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <algorithm>
#include <system_error>

namespace shopkeeper::gui {

LiveCapture::LiveCapture(capture::CaptureBackends backends, Controls controls, Dialogs& dialogs,
                         CellFiller fillCell, QWidget* dialogParent)
    : backends_(std::move(backends)),
      hotkeys_(*backends_.keys, [this](std::int32_t periodMs) { pollTimer_.start(periodMs); }),
      pollTimer_(this), controls_(controls), dialogs_(dialogs), fillCell_(std::move(fillCell)),
      dialogParent_(dialogParent)
{
    pollTimer_.setObjectName(QStringLiteral("capturePoll"));
    pollTimer_.setTimerType(Qt::PreciseTimer);
    connect(&pollTimer_, &QTimer::timeout, this, [this] { hotkeys_.pollHotkeys(); });
    connect(controls_.captureBox, &QCheckBox::clicked, this, &LiveCapture::onCaptureToggled);
    controls_.fillBox->setChecked(false);
}

LiveCapture::~LiveCapture()
{
    // A probe only reads; it ends by itself soon, and what it still posts dies with this object.
    reader_.stop();
}

bool LiveCapture::isOn() const
{
    return std::any_of(hotkeys_.records().begin(), hotkeys_.records().end(),
                       [](const capture::HotkeyRecord& record) { return record.id != 0; });
}

void LiveCapture::onCaptureToggled()
{
    // What the last press said is history once the user switches.
    showProblem({});
    if (controls_.captureBox->isChecked()) {
        const auto problem = capture::captureSwitchOnProblem(*backends_.processes, *backends_.keys);
        if (!problem) {
            hotkeys_.addHotkey([this](std::int32_t) { onHotkey(); }, capture::kCaptureKey, 0, 0, 0, 0);
            emit switched(true);
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
    controls_.captureBox->setChecked(false);
    controls_.fillBox->setChecked(false);
    emit switched(false);
}

void LiveCapture::onHotkey()
{
    // The table calls this from its poll on the UI thread; the reading of the game is queued.
    capture::ProcessSource* processes = backends_.processes.get();
    try {
        reader_.enqueue([this, processes](const JobRun::Ticket& ticket) {
            reader_.deliver(ticket.id,
                            [this, result = capture::captureItemId(*processes)] { apply(result); });
        });
    } catch (const std::system_error&) {
        // No thread to be had: this press reads nothing.
        controls_.idBox->setText(QString::fromUtf8(
            capture::kCaptureFailedText.data(), static_cast<qsizetype>(capture::kCaptureFailedText.size())));
    }
}

void LiveCapture::apply(const capture::CaptureResult& result)
{
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
    showProblem(qs(result.problemText()));
    emit resultApplied();
}

void LiveCapture::showProblem(const QString& text)
{
    controls_.idBox->setToolTip(text);
    if (!controls_.status)
        return;
    // The status line is the window's: only what the capture put there is taken away.
    if (!text.isEmpty())
        controls_.status->showMessage(text, StatusLine::Tone::Problem);
    else if (!shownProblem_.isEmpty() && controls_.status->message() == shownProblem_)
        controls_.status->clearMessage();
    shownProblem_ = text;
}

} // namespace shopkeeper::gui
