#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

// How the core runs long work: one context that carries the caller's cancel flag and progress
// callback, and the few ways the core spreads work over threads. No other core code starts a
// thread.
namespace shopkeeper::work {

// What a caller hands long work. The work stops at its next step once cancel becomes true, and
// reports "done of total" through progress, on the thread that runs it. Either may be absent.
struct WorkContext
{
    std::function<void(std::size_t done, std::size_t total)> progress;
    const std::atomic<bool>* cancel = nullptr;

    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
    void report(std::size_t done, std::size_t total) const
    {
        if (progress)
            progress(done, total);
    }
};

// Hands out the numbers below count, each once, in order, to whichever thread asks next; none
// once the context is cancelled.
class IndexQueue
{
public:
    explicit IndexQueue(std::size_t count = 0) : count_(count) {}
    void reset(std::size_t count)
    {
        count_ = count;
        next_ = 0;
    }
    bool take(std::size_t& index, const WorkContext& context = {})
    {
        if (context.cancelled())
            return false;
        index = next_.fetch_add(1);
        return index < count_;
    }

private:
    std::size_t count_;
    std::atomic<std::size_t> next_{0};
};

// Work started now on a thread of its own; wait() and the destructor wait for its end.
class Started
{
public:
    Started() = default;
    explicit Started(std::function<void()> work) : thread_(std::move(work)) {}
    void wait()
    {
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::jthread thread_;
};

// Runs beside on another thread while the calling thread runs here; returns when both are done.
inline void runBeside(const std::function<void()>& beside, const std::function<void()>& here)
{
    Started other(beside);
    here();
    other.wait();
}

// Calls body(i) once for every i below count, on threads threads of which the calling thread is
// one; each takes the next i as it comes free. Stops handing out numbers once cancelled.
inline void parallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& body,
                        const WorkContext& context = {})
{
    IndexQueue queue(count);
    const auto drain = [&] {
        for (std::size_t i; queue.take(i, context);)
            body(i);
    };
    std::vector<Started> others;
    for (unsigned k = 1; k < threads && k < count; ++k)
        others.emplace_back(drain);
    drain();
    for (auto& other : others)
        other.wait();
}

} // namespace shopkeeper::work
