#include "gui/settings/Settings.h"

#include "core/workspace/Workspace.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/WindowPlacement.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace shopkeeper::gui::settings {

namespace {

const QString kRecentKey = QStringLiteral("workspaces/recent");

QString positionKey(const QString& name)
{
    return QStringLiteral("windows/%1/position").arg(name);
}

QString normalised(const QString& folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

// Saves the window's position whenever it moves while shown (the placement on showing counts),
// so the last place is kept however the window goes: closed, or destroyed with its owner. A drag
// moves the window many times: the place is written once it has rested for a moment, and at the
// latest when the window goes.
class PositionRecorder : public QObject
{
public:
    PositionRecorder(QWidget* window, QString name) : QObject(window), window_(window), name_(std::move(name))
    {
        rest_.setSingleShot(true);
        rest_.setInterval(300);
        connect(&rest_, &QTimer::timeout, this, &PositionRecorder::write);
        window_->installEventFilter(this);
    }
    ~PositionRecorder() override { write(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Move && window_->isVisible() &&
            !window_->isMinimized()) {
            pending_ = window_->pos();
            rest_.start();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void write()
    {
        rest_.stop();
        if (pending_)
            setWindowPosition(name_, *pending_);
        pending_.reset();
    }

    QWidget* window_;
    QString name_;
    QTimer rest_;
    std::optional<QPoint> pending_;
};

} // namespace

QStringList recentWorkspaces()
{
    QStringList list = QSettings().value(kRecentKey).toStringList();
    list.removeAll(QString());
    return list.mid(0, kRecentWorkspaceCount);
}

void rememberWorkspace(const QString& folder)
{
    if (folder.isEmpty())
        return;
    const QString path = normalised(folder);
    QStringList list = recentWorkspaces();
    list.removeAll(path);
    list.prepend(path);
    QSettings().setValue(kRecentKey, list.mid(0, kRecentWorkspaceCount));
}

QString startWorkspace(const QString& fallback)
{
    for (const QString& folder : recentWorkspaces()) {
        if (QFileInfo(folder).isDir())
            return folder;
    }
    return fallback;
}

bool asksForWorkspaceAtStart(bool named, const QString& fallback)
{
    if (named || startWorkspace(fallback) != fallback)
        return false;
    return !workspace::Workspace(toPath(fallback)).checkRequiredFiles().has_value();
}

std::optional<QPoint> windowPosition(const QString& name)
{
    const QVariant value = QSettings().value(positionKey(name));
    if (!value.canConvert<QPoint>() || !value.isValid())
        return std::nullopt;
    return value.toPoint();
}

void setWindowPosition(const QString& name, QPoint topLeft)
{
    QSettings().setValue(positionKey(name), topLeft);
}

void rememberPosition(QWidget* window, const QString& name)
{
    if (window != nullptr)
        new PositionRecorder(window, name);
}

bool restoreRememberedPosition(QWidget* window, const QString& name)
{
    const auto saved = windowPosition(name);
    if (window == nullptr || !saved)
        return false;
    restorePosition(window, *saved);
    return true;
}

} // namespace shopkeeper::gui::settings
