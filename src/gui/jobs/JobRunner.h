#pragma once

#include "gui/jobs/JobRun.h"

#include <QMetaObject>
#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace shopkeeper::gui {

// The one way the GUI runs background work; a job owns one as a member. A runner has one worker
// thread, started on first use, that does queued work in order; each piece of work belongs to a
// run, whose ticket it checks between steps. Results reach the runner's thread through deliver()
// or run()'s done, and only those of the current run: cancelling or starting a new run makes
// whatever the old run still delivers stale, results already queued included. Nothing is ever
// killed: a cancelled run's work sees its flag and returns by itself; the destructor waits for it.
class JobRunner final : public QObject
{
    Q_OBJECT
public:
    using Work = std::function<void(const JobRun::Ticket&)>;

    explicit JobRunner(QObject* parent = nullptr) : QObject(parent) {}
    ~JobRunner() override { stop(); }

    // Cancels the current run and queues work as a new one.
    JobRun::Ticket start(Work work);
    // Queues work for the current run (a new run when none is active), after what is queued.
    JobRun::Ticket enqueue(Work work);
    // Starts work as a new run; its result goes to done on this object's thread, unless the run
    // was cancelled or replaced by then. The run ends with done.
    template <typename Result>
    JobRun::Ticket run(std::function<Result(const JobRun::Ticket&)> work, std::function<void(Result)> done)
    {
        return start([this, work = std::move(work), done = std::move(done)](const JobRun::Ticket& ticket) {
            auto result = std::make_shared<Result>(work(ticket));
            if (ticket.isCancelled())
                return;
            deliver(ticket.id, [this, done, result] {
                endRun();
                done(std::move(*result));
            });
        });
    }
    // Asks the current run to stop; returns at once. Queued work of that run is dropped.
    void cancel();
    // Cancels and waits for the worker thread to end. The runner may be started again afterwards.
    void stop();
    bool isRunning() const { return run_.isActive(); }
    // Called on every cancel, for work that waits for the window (for an answer, say) to wake up.
    void setWakeUp(std::function<void()> wakeUp) { wakeUp_ = std::move(wakeUp); }

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
    struct Task
    {
        JobRun::Ticket ticket;
        Work work;
    };
    void push(Task task);
    void loop();

    JobRun run_;
    std::function<void()> wakeUp_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> queue_;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace shopkeeper::gui
