#include "jobs/NpcListJob.h"

#include "widgets/QtText.h"
#include "workspace/NpcDiscovery.h"

#include <QMetaObject>

namespace shopkeeper::gui {

NpcListJob::NpcListJob(QObject* parent) : QObject(parent) {}

NpcListJob::~NpcListJob()
{
    cancel();
}

void NpcListJob::join()
{
    if (worker_.joinable())
        worker_.join();
}

void NpcListJob::cancel()
{
    run_.cancel();
    join();
}

template <typename F> void NpcListJob::deliver(quint64 ticket, F&& action)
{
    QMetaObject::invokeMethod(
        this,
        [this, ticket, action = std::forward<F>(action)]() mutable {
            if (run_.isCurrent(ticket))
                action();
        },
        Qt::QueuedConnection);
}

void NpcListJob::start(const workspace::Workspace& workspace)
{
    cancel();
    const auto ticket = run_.begin();
    worker_ = std::thread([this, workspace, ticket] {
        auto state = workspace::loadWorkspace(workspace);
        if (ticket.isCancelled())
            return;
        if (!state) {
            deliver(ticket.id, [this, message = qs(state.error().message)] {
                run_.cancel();
                emit failed(message);
            });
            return;
        }
        deliver(ticket.id, [this, count = static_cast<int>(state->shopFiles.size())] { emit listed(count); });
        workspace::buildNpcList(
            *state,
            [this, &ticket](const workspace::NpcEntry& entry) {
                deliver(ticket.id, [this, file = fromPath(entry.shopFile), name = qs(entry.npcName)] {
                    emit entryFound(file, name);
                });
            },
            ticket.cancelFlag.get());
        if (ticket.isCancelled())
            return;
        deliver(ticket.id, [this] {
            run_.cancel(); // the run is over; nothing of it is pending any more
            emit finished();
        });
    });
}

} // namespace shopkeeper::gui
