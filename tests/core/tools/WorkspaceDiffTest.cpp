// Comparing two workspaces, past what the command-line test sees: shops that are the same on both
// sides are read once, yet one that cannot be read is still named; another page-name table makes
// the same shop file differ in its names; progress counts the pairs; a cancelled run holds none.
#include "core/tools/WorkspaceDiff.h"

#include "ToolsWorkspace.h"

#include <gtest/gtest.h>

using namespace shopkeeper;
using test::ToolsWorkspace;

TEST(WorkspaceDiff, SameShopsAreEqualUnreadableOnesNamedTablesComparedAndRunsCancellable)
{
    ToolsWorkspace a, b;
    const workspace::Workspace wsA(a.dir.path()), wsB(b.dir.path());
    using Progress = std::pair<std::size_t, std::size_t>;
    std::vector<Progress> progress;
    work::WorkContext control;
    control.progress = [&](std::size_t done, std::size_t total) { progress.emplace_back(done, total); };

    const auto same = tools::diffWorkspaces(wsA, wsB, control);
    ASSERT_TRUE(same);
    EXPECT_TRUE(same->equal());
    EXPECT_EQ(same->compared, 6u);
    ASSERT_EQ(same->unreadable.size(), 1u);
    EXPECT_EQ(same->unreadable[0].fileName, "c.shp");
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), Progress(0, 7));
    EXPECT_EQ(progress.back(), Progress(7, 7));

    // The same shop file under another name in B's table; and a shop B names in another case.
    test::writeFile(b.dir / "itemshop/itemshop.kor.str", "tab_name_1>Drinks\r\n");
    std::filesystem::rename(b.dir / "itemshop/d.shp", b.dir / "itemshop/D.SHP");
    const auto renamed = tools::diffWorkspaces(wsA, wsB);
    ASSERT_TRUE(renamed);
    ASSERT_EQ(renamed->differing.size(), 1u);
    EXPECT_EQ(renamed->differing[0].fileName, "a.shp");
    EXPECT_EQ(renamed->differing[0].pathA, a.dir / "itemshop/a.shp");
    ASSERT_EQ(renamed->differing[0].change.names.size(), 1u);
    EXPECT_EQ(renamed->differing[0].change.names[0].before, "Food");
    EXPECT_EQ(renamed->differing[0].change.names[0].after, "Drinks");
    EXPECT_TRUE(renamed->differing[0].change.cells.empty());
    EXPECT_TRUE(renamed->onlyInA.empty() && renamed->onlyInB.empty());

    const std::atomic<bool> stop{true};
    control.cancel = &stop;
    const auto cancelled = tools::diffWorkspaces(wsA, wsB, control);
    ASSERT_TRUE(cancelled);
    EXPECT_TRUE(cancelled->cancelled);
    EXPECT_TRUE(cancelled->differing.empty() && cancelled->unreadable.empty());
}
