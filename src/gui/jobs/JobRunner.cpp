#include "gui/jobs/JobRunner.h"

namespace shopkeeper::gui {

JobRun::Ticket JobRunner::start(Work work)
{
    cancel();
    const auto ticket = run_.begin();
    push({ticket, std::move(work)});
    return ticket;
}

JobRun::Ticket JobRunner::enqueue(Work work)
{
    const auto ticket = run_.isActive() ? run_.current() : run_.begin();
    push({ticket, std::move(work)});
    return ticket;
}

void JobRunner::cancel()
{
    run_.cancel();
    if (wakeUp_)
        wakeUp_();
}

void JobRunner::stop()
{
    cancel();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
    std::lock_guard lock(mutex_);
    stopping_ = false;
}

void JobRunner::push(Task task)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(task));
    }
    if (!worker_.joinable())
        worker_ = std::thread([this] { loop(); });
    wake_.notify_one();
}

void JobRunner::loop()
{
    while (true) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        if (!task.ticket.isCancelled())
            task.work(task.ticket);
    }
}

} // namespace shopkeeper::gui
