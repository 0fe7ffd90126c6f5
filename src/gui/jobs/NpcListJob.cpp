#include "gui/jobs/NpcListJob.h"

#include "core/text/StringTableCodec.h"
#include "core/workspace/NpcDiscovery.h"
#include "gui/widgets/QtText.h"

namespace shopkeeper::gui {

NpcListJob::NpcListJob(QObject* parent) : JobRunner(parent) {}

NpcListJob::~NpcListJob()
{
    stop();
}

void NpcListJob::start(const workspace::Workspace& workspace)
{
    JobRunner::start([this, workspace](const JobRun::Ticket& ticket) {
        auto state = workspace::loadWorkspace(workspace);
        if (ticket.isCancelled())
            return;
        if (!state) {
            deliver(ticket.id, [this, message = qs(state.error().message)] {
                endRun();
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
        deliver(ticket.id, [this, skipped = qs(workspace::unreadableShopsMessage(*state))] {
            endRun();
            emit finished();
            if (!skipped.isEmpty())
                emit shopsSkipped(skipped);
        });
        // With the list shown, the dictionaries a save needs are loaded here rather than by the
        // first save, on the window's thread.
        text::StringTableCodec::prepare();
    });
}

} // namespace shopkeeper::gui
