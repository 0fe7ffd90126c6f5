#pragma once

#include "gui/jobs/JobRun.h"

#include <QMetaObject>
#include <QObject>
#include <functional>
#include <thread>

namespace shopkeeper::gui {

// A background job of a window: one worker thread per run, results handed to the window's
// thread, and only those of the current run. Starting a new run first cancels the old one and
// waits for its worker; nothing is ever killed. A subclass calls cancel() in its destructor,
// before its own members go.
class WorkerJob : public QObject
{
    Q_OBJECT
public:
    explicit WorkerJob(QObject* parent = nullptr) : QObject(parent) {}
    ~WorkerJob() override { cancel(); }

    // Asks the worker to stop at its next step and waits for it.
    void cancel()
    {
        run_.cancel();
        wakeWorker();
        if (worker_.joinable())
            worker_.join();
    }
    bool isRunning() const { return run_.isActive(); }

protected:
    // Wakes a worker that waits for the window (for an answer, say), after its run was cancelled.
    virtual void wakeWorker() {}

    // Starts work on a new worker as a new run.
    void start(std::function<void(const JobRun::Ticket&)> work)
    {
        cancel();
        const auto ticket = run_.begin();
        worker_ = std::thread([work = std::move(work), ticket] { work(ticket); });
    }
    // Runs action on this object's thread if ticket is still the current run.
    template <typename F> void deliver(quint64 ticket, F&& action)
    {
        QMetaObject::invokeMethod(
            this,
            [this, ticket, action = std::forward<F>(action)]() mutable {
                if (run_.isCurrent(ticket))
                    action();
            },
            Qt::QueuedConnection);
    }
    // Ends the current run from this object's thread: nothing of it is pending any more.
    void endRun() { run_.cancel(); }

private:
    std::thread worker_;
    JobRun run_;
};

} // namespace shopkeeper::gui
