#pragma once

#include "core/workspace/Workspace.h"
#include "gui/jobs/JobRunner.h"

#include <QString>

namespace shopkeeper::gui {

// Lists and names the NPC shops of a workspace on a worker thread: filtering the shop files,
// reading the NPC files and the tables, and naming each shop. Results reach the window as
// signals on the window's thread, and only those of the current run: a cancelled or replaced
// run delivers nothing more, whatever it had already queued.
class NpcListJob : public QObject
{
    Q_OBJECT
public:
    explicit NpcListJob(QObject* parent = nullptr);
    ~NpcListJob() override;

    void start(const workspace::Workspace& workspace);
    bool isRunning() const { return runner_.isRunning(); }
    // Asks the run to stop; whatever it still delivers is dropped.
    void cancel() { runner_.cancel(); }
    // Cancels and waits for the worker to end.
    void stop() { runner_.stop(); }

signals:
    // The shop files are known and the naming begins.
    void listed(int shopCount);
    void entryFound(const QString& shopFile, const QString& npcName);
    // Nothing to list; message is the user's text.
    void failed(const QString& message);
    void finished();
    // After finished: some shop files could not be read and are not listed; message names each
    // with its reason.
    void shopsSkipped(const QString& message);

private:
    JobRunner runner_;
};

} // namespace shopkeeper::gui
