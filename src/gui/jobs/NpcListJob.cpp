#include "gui/jobs/NpcListJob.h"

#include "core/text/StringTableCodec.h"
#include "core/workspace/NpcDiscovery.h"
#include "gui/widgets/QtText.h"

namespace shopkeeper::gui {

NpcListJob::NpcListJob(QObject* parent) : QObject(parent) {}

NpcListJob::~NpcListJob()
{
    stop();
}

void NpcListJob::start(const workspace::Workspace& workspace)
{
    runner_.start([this, workspace](const JobRun::Ticket& ticket) {
        auto state = workspace::loadWorkspace(workspace);
        if (ticket.isCancelled())
            return;
        if (!state) {
            runner_.deliver(ticket.id, [this, message = qs(state.error().message)] {
                runner_.endRun();
                emit failed(message);
            });
            return;
        }
        runner_.deliver(ticket.id,
                        [this, count = static_cast<int>(state->shopFiles.size())] { emit listed(count); });
        workspace::buildNpcList(
            *state,
            [this, &ticket](const workspace::NpcEntry& entry) {
                runner_.deliver(ticket.id, [this, file = fromPath(entry.shopFile), name = qs(entry.npcName)] {
                    emit entryFound(file, name);
                });
            },
            ticket.cancelFlag.get());
        if (ticket.isCancelled())
            return;
        runner_.deliver(ticket.id, [this, skipped = qs(workspace::unreadableShopsMessage(*state))] {
            runner_.endRun();
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
