#include "app/WindowLayout.h"

#include "app/WindowSizeTracker.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Q = Quantity;

struct LayoutCase {
    std::string name;
    int cx;
    int cy;
    LayoutInputs in;
    std::vector<TilePlacement> expected; // in the order the tiles are moved
};

LayoutInputs linkDown() {
    return {};
}
LayoutInputs linked(bool ch1, bool ch2, bool t231, bool t232, bool t233) {
    return {true, ch1, ch2, t231, t232, t233};
}

// The two-column wind tiles of a 600 × 400 client area.
const TilePlacement kSpeed600{Q::SPEED, {303, 29, 294, 182}};
const TilePlacement kOrient600{Q::ORIENT, {303, 214, 294, 183}};

class WindowLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(WindowLayoutTest, PlacesTilesInOrder) {
    const LayoutCase& c = GetParam();
    const WindowLayout layout = computeWindowLayout(c.cx, c.cy, 3, 21, c.in);
    EXPECT_EQ(layout.statusLine, (LayoutRect{3, 3, c.cx - 6, 21}));
    EXPECT_EQ(layout.tiles, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Arrangements, WindowLayoutTest,
    testing::Values(
        LayoutCase{"LinkDownShowsAllFiveInTwoColumns",
                   600,
                   400,
                   linkDown(),
                   {{Q::TEMP, {3, 29, 297, 120}},
                    {Q::RH, {3, 152, 297, 121}},
                    {Q::PRESS, {3, 276, 297, 121}},
                    kSpeed600,
                    kOrient600}},
        // Stale sensor flags do not matter while the link is down.
        LayoutCase{"LinkDownIgnoresStaleSensors",
                   600,
                   400,
                   {false, true, false, true, false, false},
                   {{Q::TEMP, {3, 29, 297, 120}},
                    {Q::RH, {3, 152, 297, 121}},
                    {Q::PRESS, {3, 276, 297, 121}},
                    kSpeed600,
                    kOrient600}},
        LayoutCase{"OnlyTq231FillsOneColumn",
                   600,
                   400,
                   linked(true, false, true, false, false),
                   {{Q::TEMP, {3, 29, 594, 182}}, {Q::RH, {3, 214, 594, 183}}}},
        LayoutCase{"OnlyTq232StacksThree",
                   600,
                   400,
                   linked(true, false, false, true, false),
                   {{Q::TEMP, {3, 29, 594, 120}},
                    {Q::RH, {3, 152, 594, 121}},
                    {Q::PRESS, {3, 276, 594, 121}}}},
        LayoutCase{"OnlyTq233HasOneTile",
                   600,
                   400,
                   linked(true, false, false, false, true),
                   {{Q::PRESS, {3, 29, 594, 368}}}},
        // Channel 1 present with no model flag: nothing is moved.
        LayoutCase{"ChannelOneWithoutModelMovesNothing",
                   600,
                   400,
                   linked(true, false, false, false, false),
                   {}},
        LayoutCase{"OnlyWindFillsOneColumn",
                   600,
                   400,
                   linked(false, true, false, false, false),
                   {{Q::SPEED, {3, 29, 594, 182}}, {Q::ORIENT, {3, 214, 594, 183}}}},
        LayoutCase{"BothChannelsWithTq233",
                   600,
                   400,
                   linked(true, true, false, false, true),
                   {{Q::PRESS, {3, 29, 297, 368}}, kSpeed600, kOrient600}},
        LayoutCase{
            "BothChannelsWithTq231",
            600,
            400,
            linked(true, true, true, false, false),
            {{Q::TEMP, {3, 29, 297, 182}}, {Q::RH, {3, 214, 297, 183}}, kSpeed600, kOrient600}},
        LayoutCase{"BothChannelsWithTq232",
                   600,
                   400,
                   linked(true, true, false, true, false),
                   {{Q::TEMP, {3, 29, 297, 120}},
                    {Q::RH, {3, 152, 297, 121}},
                    {Q::PRESS, {3, 276, 297, 121}},
                    kSpeed600,
                    kOrient600}},
        LayoutCase{"LinkedWithoutSensorsShowsAllFive",
                   600,
                   400,
                   linked(false, false, false, false, false),
                   {{Q::TEMP, {3, 29, 297, 120}},
                    {Q::RH, {3, 152, 297, 121}},
                    {Q::PRESS, {3, 276, 297, 121}},
                    kSpeed600,
                    kOrient600}},
        // An odd width: the right column takes the extra pixel.
        LayoutCase{"OddWidthSplitsColumnsAtHalf",
                   601,
                   400,
                   linked(true, true, false, false, true),
                   {{Q::PRESS, {3, 29, 297, 368}},
                    {Q::SPEED, {303, 29, 295, 182}},
                    {Q::ORIENT, {303, 214, 295, 183}}}},
        // Smaller than the margins: negative sizes are passed on unchanged.
        LayoutCase{"TinyClientGivesNegativeSizes",
                   4,
                   20,
                   linked(false, true, false, false, false),
                   {{Q::SPEED, {3, 29, -2, -7}}, {Q::ORIENT, {3, 25, -2, -8}}}}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

TEST(WindowLayoutMarginTest, FrameWidthIsClampedToTwoThroughTwenty) {
    const struct {
        int frame;
        int margin;
    } cases[] = {{-5, 2}, {0, 2}, {1, 2}, {2, 2}, {3, 3}, {20, 20}, {21, 20}, {30, 20}};
    for (const auto& c : cases) {
        EXPECT_EQ(layoutMargin(c.frame), c.margin) << "frame " << c.frame;
    }
}

TEST(WindowLayoutMarginTest, MarginShiftsEveryEdge) {
    const WindowLayout layout = computeWindowLayout(600, 400, layoutMargin(30), 21, linkDown());
    EXPECT_EQ(layout.statusLine, (LayoutRect{20, 20, 560, 21}));
    // top = 21 + 20 + 2 = 43, bottom = 380; the first tile starts m below top.
    ASSERT_EQ(layout.tiles.size(), 5u);
    EXPECT_EQ(layout.tiles[0], (TilePlacement{Q::TEMP, {20, 63, 280, 92}}));
    EXPECT_EQ(layout.tiles[2], (TilePlacement{Q::PRESS, {20, 287, 280, 93}}));
    EXPECT_EQ(layout.tiles[3], (TilePlacement{Q::SPEED, {320, 63, 260, 148}}));
}

TEST(WindowPlacementTest, RectangleWithoutAreaFallsBackToTheBuiltInOne) {
    const struct {
        WindowRect stored;
        WindowRect placed;
    } cases[] = {
        {{140, 120, 860, 620}, {140, 120, 860, 620}},
        {{-5, -8, 595, 392}, {-5, -8, 595, 392}},     // partly off screen is kept
        {{300, 200, 300, 600}, {100, 100, 700, 500}}, // no width
        {{300, 200, 900, 150}, {100, 100, 700, 500}}, // negative height
        {{0, 0, 0, 0}, {100, 100, 700, 500}},
        // Edges no screen has, whose width or height would not fit an int.
        {{INT_MIN, 0, INT_MAX, 400}, {100, 100, 700, 500}},
        {{0, INT_MIN, 600, INT_MAX}, {100, 100, 700, 500}},
        {{INT_MAX - 10, 0, INT_MAX, 400}, {100, 100, 700, 500}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(placementRect(c.stored), c.placed) << c.stored.left << "," << c.stored.top << ","
                                                     << c.stored.right << "," << c.stored.bottom;
    }
}

TEST(WindowSizeTrackerTest, KeepsBookkeepingWhileInitialisingButDoesNothingElse) {
    WindowSizeTracker t;
    const ResizeOutcome out = t.onResize(ResizeKind::Restored, {500, 300}, true);
    EXPECT_FALSE(out.storeWindowRect);
    EXPECT_FALSE(out.runLayout);
    EXPECT_EQ(t.replaySize(), (ClientSize{500, 300}));
}

TEST(WindowSizeTrackerTest, ResizeKindsDecideRectangleAndReplay) {
    const struct {
        ResizeKind kind;
        ClientSize size;
        bool store;
        bool layout;
        ResizeKind replayKind;
        ClientSize replaySize;
    } steps[] = {
        {ResizeKind::Restored, {600, 400}, true, true, ResizeKind::Restored, {600, 400}},
        {ResizeKind::Maximized, {1280, 900}, false, true, ResizeKind::Maximized, {1280, 900}},
        // Minimised: back to the restored size for the replay, nothing to lay out.
        {ResizeKind::Minimized, {0, 0}, false, false, ResizeKind::Restored, {600, 400}},
        {ResizeKind::Restored, {640, 480}, true, true, ResizeKind::Restored, {640, 480}},
        {ResizeKind::Maximized, {1280, 900}, false, true, ResizeKind::Maximized, {1280, 900}},
    };
    WindowSizeTracker t;
    int i = 0;
    for (const auto& s : steps) {
        const ResizeOutcome out = t.onResize(s.kind, s.size, false);
        EXPECT_EQ(out.storeWindowRect, s.store) << "step " << i;
        EXPECT_EQ(out.runLayout, s.layout) << "step " << i;
        EXPECT_EQ(t.replayKind(), s.replayKind) << "step " << i;
        EXPECT_EQ(t.replaySize(), s.replaySize) << "step " << i;
        ++i;
    }
    EXPECT_EQ(t.restoredClientSize(), (ClientSize{640, 480}));
}

// The tiles changed while the window is minimised: the restored-kind resize is
// repeated, but the minimised window's rectangle must not become the saved one.
TEST(WindowSizeTrackerTest, RepeatedResizeOfAMinimisedWindowKeepsTheRectangle) {
    WindowSizeTracker t;
    t.onResize(ResizeKind::Restored, {600, 400}, false);
    t.onResize(ResizeKind::Minimized, {0, 0}, false);
    const ResizeOutcome out = t.onResize(t.replayKind(), t.replaySize(), false, false);
    EXPECT_FALSE(out.storeWindowRect);
    EXPECT_TRUE(out.runLayout);
    EXPECT_EQ(t.replaySize(), (ClientSize{600, 400}));
}

TEST(WindowSizeTrackerTest, MovesStoreOnlyNormalStateOnceInitialised) {
    EXPECT_FALSE(WindowSizeTracker::storesRectOnMove(true, false));
    EXPECT_FALSE(WindowSizeTracker::storesRectOnMove(false, true));
    EXPECT_TRUE(WindowSizeTracker::storesRectOnMove(false, false));
}

} // namespace
