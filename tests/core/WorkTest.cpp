#include "core/work/Work.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using namespace shopkeeper::work;

// Every number once, spread over the threads asked for; none handed out after a cancel.
TEST(ParallelFor, VisitsEachIndexOnceOnSeveralThreadsAndStopsWhenCancelled)
{
    std::vector<int> visits(1000, 0);
    std::set<std::thread::id> threads;
    std::mutex mutex;
    std::condition_variable seen;
    parallelFor(visits.size(), 3, [&](std::size_t i) {
        std::unique_lock lock(mutex);
        ++visits[i];
        threads.insert(std::this_thread::get_id());
        seen.notify_all();
        // A thread waits until every thread has taken a number, so each takes a share whatever the
        // scheduler does (Windows' lock lets one thread take it again and again).
        seen.wait_for(lock, std::chrono::seconds(5), [&] { return threads.size() == 3; });
    });
    EXPECT_EQ(visits, std::vector<int>(1000, 1));
    EXPECT_EQ(threads.size(), 3u);
    EXPECT_TRUE(threads.contains(std::this_thread::get_id()));

    std::atomic<bool> cancel = false;
    std::atomic<int> done = 0;
    parallelFor(
        1000, 2,
        [&](std::size_t) {
            if (++done == 10)
                cancel = true;
        },
        WorkContext{{}, &cancel});
    EXPECT_GE(done.load(), 10);
    EXPECT_LT(done.load(), 20); // the threads stop at their next number
}
