#include "gui/jobs/NpcListJob.h"

#include "GuiTestSupport.h"

#include <QSignalSpy>
#include <thread>

using namespace shopkeeper;
using namespace shopkeeper::test;

using NpcListJobRuns = EditorFixture;

// Results a replaced run had already queued must not reach the window: the second load lists
// every shop once.
TEST_F(NpcListJobRuns, AReplacedRunDeliversNothing)
{
    makeWorkspace(60, 80, 9);
    QObject receiver;
    gui::NpcListJob job;
    QStringList entries;
    int listed = 0;
    QObject::connect(&job, &gui::NpcListJob::entryFound, &receiver,
                     [&](const QString& file, const QString&) { entries << file; });
    QObject::connect(&job, &gui::NpcListJob::listed, &receiver, [&](int) { ++listed; });
    QSignalSpy finished(&job, &gui::NpcListJob::finished);

    const workspace::Workspace ws(dir.path());
    job.start(ws);
    // Let the first run queue its results without the event loop taking any of them.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    job.start(ws);
    ASSERT_TRUE(finished.wait(20000));
    QCoreApplication::processEvents();
    EXPECT_EQ(listed, 1);
    EXPECT_EQ(entries.size(), 60);
    EXPECT_EQ(entries.removeDuplicates(), 0);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(job.isRunning());
}

TEST_F(NpcListJobRuns, ACancelledRunDeliversNothingMore)
{
    makeWorkspace(40, 40, 3);
    gui::NpcListJob job;
    QSignalSpy entries(&job, &gui::NpcListJob::entryFound);
    QSignalSpy finished(&job, &gui::NpcListJob::finished);
    job.start(workspace::Workspace(dir.path()));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    job.cancel();
    EXPECT_FALSE(job.isRunning());
    QTest::qWait(100);
    EXPECT_EQ(entries.count(), 0);
    EXPECT_EQ(finished.count(), 0);
}
