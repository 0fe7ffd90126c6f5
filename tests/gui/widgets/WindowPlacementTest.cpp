#include "gui/widgets/WindowPlacement.h"

#include <gtest/gtest.h>

using namespace shopkeeper::gui;

namespace {

// The preview (728 wide) beside a 700 × 560 main window on screens of the sizes users have.
TEST(WindowPlacement, SecondaryWindowStaysFullyOnTheOwnersScreen)
{
    const QSize preview(728, 500);
    struct Case
    {
        const char* what;
        QRect owner;
        QRect available;
        QPoint expected;
    };
    const Case cases[] = {
        {"fits to the right", {0, 0, 700, 560}, {0, 0, 1920, 1040}, {700, 0}},
        {"right too narrow, fits to the left", {1100, 100, 700, 560}, {0, 0, 1920, 1040}, {372, 100}},
        {"centred on 1920: neither side, as far right as it goes",
         {610, 260, 700, 560},
         {0, 0, 1920, 1040},
         {1192, 260}},
        {"1280 × 900: neither side", {290, 170, 700, 560}, {0, 0, 1280, 860}, {552, 170}},
        {"second screen left of the primary", {-1500, 50, 700, 560}, {-1920, 0, 1920, 1080}, {-800, 50}},
        {"owner low on the screen: pushed up", {0, 700, 700, 560}, {0, 0, 1920, 1040}, {700, 540}},
        {"owner above a top panel: pushed down", {0, -40, 700, 560}, {0, 32, 1920, 1048}, {700, 32}},
        {"window wider than the screen keeps its left edge on it",
         {0, 0, 700, 560},
         {0, 0, 640, 480},
         {0, 0}},
    };
    for (const auto& c : cases) {
        const QPoint placed = placeBeside(c.owner, preview, c.available);
        EXPECT_EQ(placed, c.expected) << c.what;
        if (preview.width() <= c.available.width() && preview.height() <= c.available.height()) {
            EXPECT_TRUE(c.available.contains(QRect(placed, preview))) << c.what;
        }
    }
}

TEST(WindowPlacement, SavedPositionIsClampedToAScreenThatExistsNow)
{
    const QSize size(700, 560);
    const QList<QRect> twoScreens = {{0, 0, 1920, 1040}, {1920, 0, 1280, 1024}};
    const QList<QRect> laptopOnly = {{0, 0, 1366, 728}};
    struct Case
    {
        const char* what;
        QPoint saved;
        QList<QRect> screens;
        QPoint expected;
    };
    const Case cases[] = {
        {"inside a screen: unchanged", {2000, 100}, twoScreens, {2000, 100}},
        {"mostly on the second screen: kept there", {3000, 700}, twoScreens, {2500, 464}},
        {"the second screen is gone: onto the one left", {2000, 100}, laptopOnly, {666, 100}},
        {"far above and left of every screen", {-5000, -3000}, twoScreens, {0, 0}},
        {"larger than the screen: top-left kept on it", {50, 50}, {{0, 0, 640, 480}}, {0, 0}},
        {"no screen at all: as saved", {-5000, 7}, {}, {-5000, 7}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(clampToScreens(QRect(c.saved, size), c.screens), c.expected) << c.what;
}

TEST(WindowPlacement, WindowsOpenedBesideTheSameOwnerStepClearOfEachOthersTitleStrips)
{
    const QRect owner(0, 0, 700, 560), screen(0, 0, 1920, 1040), small(0, 0, 800, 600);
    const QSize tool(560, 420);
    const int step = kCascadeStep;
    EXPECT_EQ(placeBesideOthers(owner, tool, screen, {}), QPoint(700, 0));
    EXPECT_EQ(placeBesideOthers(owner, tool, screen, {{700, 0, 728, 513}, {700 + step, step, 600, 480}}),
              QPoint(700 + 2 * step, 2 * step));
    // Lower down or elsewhere is no obstacle; on a small screen the step stays inside it, and in
    // its corner there is nowhere to go.
    EXPECT_EQ(placeBesideOthers(owner, tool, screen, {{700, 100, 330, 422}, {1400, 0, 330, 422}}),
              QPoint(700, 0));
    EXPECT_EQ(placeBesideOthers(owner, tool, small, {{240, 0, 560, 420}}), QPoint(240, step));
    EXPECT_EQ(placeBesideOthers({0, 180, 700, 560}, tool, small, {{240, 180, 560, 420}}), QPoint(240, 180));
}

} // namespace
