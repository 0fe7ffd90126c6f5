#include "gui/jobs/JobRunner.h"

#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

using namespace shopkeeper::gui;
using namespace std::chrono_literals;

// Queued work runs in order on one worker, off the caller's thread, and its results come back
// on the caller's thread in the same order.
TEST(JobRunner, RunsQueuedWorkInOrderAndDeliversOnTheCallersThread)
{
    JobRunner runner;
    std::vector<int> ran;
    std::vector<int> delivered;
    std::vector<bool> offThread;
    const auto caller = std::this_thread::get_id();
    for (int i = 0; i < 5; ++i) {
        runner.enqueue([&, i](const JobRun::Ticket& ticket) {
            ran.push_back(i);
            offThread.push_back(std::this_thread::get_id() != caller);
            runner.deliver(ticket.id, [&, i] {
                EXPECT_EQ(std::this_thread::get_id(), caller);
                delivered.push_back(i);
            });
        });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered.size() == 5; }, 5000));
    EXPECT_EQ(ran, (std::vector{0, 1, 2, 3, 4}));
    EXPECT_EQ(delivered, ran);
    EXPECT_EQ(offThread, std::vector<bool>(5, true));

    // run(): a result handed to done, which ends the run.
    int result = 0;
    runner.run<int>([](const JobRun::Ticket&) { return 42; }, [&](int value) { result = value; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result == 42; }, 5000));
    EXPECT_FALSE(runner.isRunning());
}

// A cancelled run stops at its next check and its queued work never starts; a run replaced by a
// new one delivers nothing more, even what it queued before it was replaced.
TEST(JobRunner, CancelStopsTheRunAndStaleResultsAreDropped)
{
    JobRunner runner;
    std::atomic<bool> sawCancel = false;
    std::atomic<bool> woken = false;
    runner.setWakeUp([&] { woken = true; });
    bool queuedRan = false;
    runner.start([&](const JobRun::Ticket& ticket) {
        while (!ticket.isCancelled())
            std::this_thread::sleep_for(1ms);
        sawCancel = true;
    });
    runner.enqueue([&](const JobRun::Ticket&) { queuedRan = true; });
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(runner.isRunning());
    runner.cancel();
    EXPECT_TRUE(woken);
    EXPECT_FALSE(runner.isRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return sawCancel.load(); }, 5000));

    // The old run queues its result before the new run starts; only the new result arrives.
    std::vector<QString> delivered;
    std::atomic<bool> oldQueued = false;
    runner.run<QString>(
        [&](const JobRun::Ticket&) {
            oldQueued = true;
            return QStringLiteral("old");
        },
        [&](QString value) { delivered.push_back(value); });
    // Waited for without taking events: its delivery is queued now, not yet taken.
    while (!oldQueued)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms);
    runner.run<QString>([](const JobRun::Ticket&) { return QStringLiteral("new"); },
                        [&](QString value) { delivered.push_back(value); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !delivered.empty(); }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(delivered, std::vector<QString>{"new"});
    EXPECT_FALSE(queuedRan);
}

// The runner goes while its work runs: the destructor cancels, waits for the work to return, and
// nothing is delivered afterwards.
TEST(JobRunner, ShutsDownWhileAJobRuns)
{
    std::atomic<bool> started = false;
    std::atomic<bool> returned = false;
    bool delivered = false;
    {
        JobRunner runner;
        runner.start([&](const JobRun::Ticket& ticket) {
            started = true;
            while (!ticket.isCancelled())
                std::this_thread::sleep_for(1ms);
            std::this_thread::sleep_for(30ms); // still working after the cancel
            runner.deliver(ticket.id, [&] { delivered = true; });
            returned = true;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, 5000));
    }
    EXPECT_TRUE(returned);
    QCoreApplication::processEvents();
    EXPECT_FALSE(delivered);
}
