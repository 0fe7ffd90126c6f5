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
class ItemSearchJob : public JobRunner
{
    Q_OBJECT
public:
    explicit ItemSearchJob(QObject* parent = nullptr);
    ~ItemSearchJob() override;

    void start(const QString& text, std::shared_ptr<const ItemLookup> lookup);
    // The answer to questionDue(): true stops the search.
    void answer(bool stop);

signals:
    void hitsFound(const std::vector<SearchHit>& hits);
    void questionDue();
    void finished();

protected:
    void wakeWorker() override;

private:
    std::mutex mutex_;
    std::condition_variable answered_;
    bool haveAnswer_ = false;
    bool stop_ = false;
};

} // namespace shopkeeper::gui
