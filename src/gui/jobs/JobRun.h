#pragma once

#include <QtGlobal>
#include <atomic>
#include <memory>

namespace shopkeeper::gui {

// The bookkeeping every background job shares. Each run gets a ticket: a number that tags its
// results and a flag it checks between steps. Starting a new run or cancelling retires the
// old ticket, so whatever that run still delivers is recognised as stale and dropped, even
// results already queued to the window. Nothing is ever killed: the worker sees its flag and
// stops by itself.
class JobRun
{
public:
    struct Ticket
    {
        quint64 id = 0;
        std::shared_ptr<std::atomic<bool>> cancelFlag;
        bool isCancelled() const { return cancelFlag && cancelFlag->load(); }
    };

    Ticket begin()
    {
        cancel();
        current_ = Ticket{++lastId_, std::make_shared<std::atomic<bool>>(false)};
        return current_;
    }
    void cancel()
    {
        if (current_.cancelFlag)
            current_.cancelFlag->store(true);
        current_ = Ticket{};
    }
    const Ticket& current() const { return current_; }
    // Only called on the thread that starts and cancels runs.
    bool isCurrent(quint64 id) const { return id != 0 && id == current_.id; }
    bool isActive() const { return current_.id != 0; }

private:
    Ticket current_;
    quint64 lastId_ = 0;
};

} // namespace shopkeeper::gui
