#include "gui/jobs/ItemSearchJob.h"

#include "core/catalogue/ItemSearch.h"

#include <chrono>

namespace shopkeeper::gui {

namespace {

// A batch goes to the window when it has this many hits or is this old.
constexpr std::size_t kBatchHits = 200;
constexpr auto kBatchAge = std::chrono::milliseconds(30);

} // namespace

ItemSearchJob::ItemSearchJob(QObject* parent) : QObject(parent)
{
    // A worker waiting for the answer wakes when its run is cancelled.
    runner_.setWakeUp([this] {
        std::lock_guard lock(mutex_);
        answered_.notify_all();
    });
}

ItemSearchJob::~ItemSearchJob()
{
    stop();
}

void ItemSearchJob::answer(bool stop)
{
    std::lock_guard lock(mutex_);
    haveAnswer_ = true;
    stop_ = stop;
    answered_.notify_all();
}

void ItemSearchJob::start(const QString& text, std::shared_ptr<const ItemLookup> lookup)
{
    {
        // No answer of an earlier search counts for this one.
        std::lock_guard lock(mutex_);
        haveAnswer_ = false;
        stop_ = false;
    }
    runner_.start([this, text, lookup](const JobRun::Ticket& ticket) {
        std::vector<SearchHit> batch;
        auto batchStarted = std::chrono::steady_clock::now();
        std::size_t hits = 0;
        bool askPending = true;
        const auto flush = [&] {
            if (batch.empty())
                return;
            runner_.deliver(ticket.id, [this, hits = std::move(batch)] { emit hitsFound(hits); });
            batch = {};
            batchStarted = std::chrono::steady_clock::now();
        };
        lookup->search(
            text,
            [&](const SearchHit& hit) {
                batch.push_back(hit);
                ++hits;
                if (hits > catalogue::kHitQuestionThreshold && askPending) {
                    askPending = false;
                    flush();
                    runner_.deliver(ticket.id, [this] { emit questionDue(); });
                    std::unique_lock lock(mutex_);
                    answered_.wait(lock, [&] { return haveAnswer_ || ticket.isCancelled(); });
                    if (ticket.isCancelled() || stop_)
                        return false;
                } else if (batch.size() >= kBatchHits ||
                           std::chrono::steady_clock::now() - batchStarted > kBatchAge) {
                    flush();
                }
                return !ticket.isCancelled();
            },
            *ticket.cancelFlag);
        if (ticket.isCancelled())
            return;
        flush();
        runner_.deliver(ticket.id, [this] {
            runner_.endRun();
            emit finished();
        });
    });
}

} // namespace shopkeeper::gui
