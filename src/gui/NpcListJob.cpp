#include "NpcListJob.h"

#include "QtText.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

namespace shopkeeper::gui {

NpcListJob::NpcListJob(QObject* parent) : QObject(parent) {}

NpcListJob::~NpcListJob()
{
    cancel();
}

void NpcListJob::cancel()
{
    if (cancel_)
        cancel_->store(true);
    if (worker_.joinable())
        worker_.join();
    // Results the stopped worker had already sent must not reach the next load.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    running_ = false;
}

void NpcListJob::start(const workspace::Workspace& workspace)
{
    cancel();
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    running_ = true;
    auto cancelFlag = cancel_;
    // Signals emitted from the worker are queued to this object's thread. The finished step runs
    // on the window's thread too, where it marks the job as done.
    worker_ = std::thread([this, workspace, cancelFlag] {
        auto state = workspace::loadWorkspace(workspace);
        if (cancelFlag->load())
            return;
        if (!state) {
            emit failed(qs(state.error().message));
        } else {
            emit listed(static_cast<int>(state->shopFiles.size()));
            workspace::buildNpcList(
                *state,
                [this](const workspace::NpcEntry& entry) {
                    emit entryFound(fromPath(entry.shopFile), qs(entry.npcName));
                },
                cancelFlag.get());
        }
        if (cancelFlag->load())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, cancelFlag] {
                if (cancelFlag->load())
                    return;
                if (worker_.joinable())
                    worker_.join();
                running_ = false;
                emit finished();
            },
            Qt::QueuedConnection);
    });
}

} // namespace shopkeeper::gui
