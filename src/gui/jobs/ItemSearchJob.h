#pragma once

#include "gui/catalogue/ItemLookup.h"
#include "gui/jobs/JobRunner.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace shopkeeper::gui {

// One item search on a worker thread. Hits come to the window's thread in batches, so even a
// search that hits tens of thousands of names keeps the window responsive. When the hits pass
// the question limit for the first time, the worker hands the window what it has, asks through
// questionDue() and waits for answer(): stopping ends the search, going on lets it run to the
// end without asking again. Cancelling (a new search, the window closing) wakes a waiting
// worker too.
class ItemSearchJob : public QObject
{
    Q_OBJECT
public:
    explicit ItemSearchJob(QObject* parent = nullptr);
    ~ItemSearchJob() override;

    void start(const QString& text, std::shared_ptr<const ItemLookup> lookup);
    // The answer to questionDue(): true stops the search.
    void answer(bool stop);
    bool isRunning() const { return runner_.isRunning(); }
    // Asks the run to stop; whatever it still delivers is dropped.
    void cancel() { runner_.cancel(); }
    // Cancels and waits for the worker to end.
    void stop() { runner_.stop(); }

signals:
    void hitsFound(const std::vector<SearchHit>& hits);
    void questionDue();
    void finished();

private:
    std::mutex mutex_;
    std::condition_variable answered_;
    bool haveAnswer_ = false;
    bool stop_ = false;
    JobRunner runner_; // last: its worker ends before the rest goes
};

} // namespace shopkeeper::gui
