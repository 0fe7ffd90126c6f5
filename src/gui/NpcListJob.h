#pragma once

#include "workspace/NpcDiscovery.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>

namespace shopkeeper::gui {

// Lists and names the NPC shops of a workspace on a worker thread: filtering the shop files,
// reading the NPC files and the tables, and naming each shop. Results reach the window through
// queued signals; cancel() asks the worker to stop at its next step and waits for it.
class NpcListJob : public QObject
{
    Q_OBJECT
public:
    explicit NpcListJob(QObject* parent = nullptr);
    ~NpcListJob() override;

    void start(const workspace::Workspace& workspace);
    void cancel();
    bool isRunning() const { return running_; }

signals:
    // The shop files are known and the naming begins.
    void listed(int shopCount);
    void entryFound(const QString& shopFile, const QString& npcName);
    // Nothing to list; message is the user's text.
    void failed(const QString& message);
    void finished();

private:
    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    bool running_ = false;
};

} // namespace shopkeeper::gui
