#include "widgets/splitter_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace velmora::widgets;

TEST(SplitterGeometry, GripSpanForEachHandleAlign) {
    struct Case {
        int length, size;
        THandleAlign align;
        Span expected;
    } cases[] = {
        {319, 40, THandleAlign::haCenter, {139, 179}}, {320, 41, THandleAlign::haCenter, {140, 181}},
        {319, 40, THandleAlign::haLeft, {2, 42}},      {319, 40, THandleAlign::haRight, {277, 317}},
        {300, 80, THandleAlign::haCenter, {110, 190}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GripSpan(c.length, c.size, c.align), c.expected) << c.length << " " << c.size;
    }
}

TEST(SplitterGeometry, ArrowsSitFourPixelsInsideTheGripEnds) {
    auto left = ArrowOrigins(ArrowState::Left, Span{139, 179});
    EXPECT_EQ(left[0], (Point{2, 143}));
    EXPECT_EQ(left[1], (Point{2, 170}));
    auto right = ArrowOrigins(ArrowState::Right, Span{139, 179});
    EXPECT_EQ(right[1], (Point{2, 170}));
    // Horizontal bars: along x; the up/down pictures are 5 wide.
    auto up = ArrowOrigins(ArrowState::Up, Span{10, 50});
    EXPECT_EQ(up[0], (Point{14, 2}));
    EXPECT_EQ(up[1], (Point{41, 2}));
}

TEST(SplitterGeometry, ArrowPicturesAreMirrorsOfEachOther) {
    EXPECT_EQ(ArrowWidth(ArrowState::Left), 4);
    EXPECT_EQ(ArrowHeight(ArrowState::Left), 5);
    EXPECT_EQ(ArrowWidth(ArrowState::Up), 5);
    EXPECT_EQ(ArrowHeight(ArrowState::Up), 4);
    const auto& left = ArrowPicture(ArrowState::Left);
    const auto& right = ArrowPicture(ArrowState::Right);
    for (size_t y = 0; y < left.size(); ++y) {
        std::string mirrored(left[y]);
        std::reverse(mirrored.begin(), mirrored.end());
        EXPECT_EQ(right[y], mirrored) << "row " << y;
    }
    const auto& up = ArrowPicture(ArrowState::Up);
    const auto& down = ArrowPicture(ArrowState::Down);
    for (size_t y = 0; y < up.size(); ++y)
        EXPECT_EQ(down[up.size() - 1 - y], up[y]) << "row " << y;
    // The point of the left arrow is at its left edge, in the middle row.
    EXPECT_EQ(left[2], "NNNS");
    EXPECT_EQ(up[0], "SSNSS");
}

TEST(SplitterGeometry, OverGripIncludesStartExcludesEnd) {
    Span grip{139, 179};
    struct Case {
        SplitSide side;
        Point p;
        bool expected;
    } cases[] = {
        {SplitSide::Left, {0, 139}, true},    {SplitSide::Left, {6, 178}, true},
        {SplitSide::Left, {3, 179}, false},   {SplitSide::Left, {3, 138}, false},
        {SplitSide::Left, {7, 150}, false},   {SplitSide::Left, {-1, 150}, false},
        {SplitSide::Right, {3, 150}, true},   {SplitSide::Top, {150, 3}, true},
        {SplitSide::Bottom, {150, 7}, false}, {SplitSide::Top, {3, 150}, false},
    };
    for (const Case& c : cases) {
        bool vertical = IsVerticalBar(c.side);
        int w = vertical ? 7 : 319, h = vertical ? 319 : 7;
        EXPECT_EQ(OverGrip(true, c.side, grip, w, h, c.p), c.expected) << c.p.x << "," << c.p.y;
        EXPECT_FALSE(OverGrip(false, c.side, grip, w, h, c.p));
    }
}

TEST(SplitterGeometry, NeighboursAreTheControlsTouchingTheBar) {
    // Tree | bar | list inside a panel with a 2-pixel bevel.
    std::vector<ChildBox> children{{Box{2, 2, 195, 300}}, {Box{197, 2, 7, 300}}, {Box{204, 2, 170, 300}}};
    NeighbourProbes probes = NeighbourProbePoints(SplitSide::Left, children[1].box);
    EXPECT_EQ(probes.before, (Point{196, 2}));
    EXPECT_EQ(probes.after, (Point{204, 2}));
    EXPECT_EQ(ControlAtPoint(children, probes.before, SplitSide::Left, 1), 0);
    EXPECT_EQ(ControlAtPoint(children, probes.after, SplitSide::Left, 1), 2);

    // Hidden or disabled controls are passed over; the first match in the order wins.
    std::vector<ChildBox> layered{{Box{0, 0, 50, 50}, false, true},
                                  {Box{0, 0, 50, 50}, true, false},
                                  {Box{0, 0, 50, 50}},
                                  {Box{0, 0, 50, 50}}};
    EXPECT_EQ(ControlAtPoint(layered, Point{10, 10}, SplitSide::Left), 2);
    EXPECT_EQ(ControlAtPoint(layered, Point{50, 10}, SplitSide::Left), -1);
}

TEST(SplitterGeometry, CollapsedControlIsFoundByWideningTowardsTheBarSide) {
    // A control of width 0 at x = 2, the bar right after it at x = 2.
    std::vector<ChildBox> children{{Box{2, 2, 0, 300}}, {Box{2, 2, 7, 300}}};
    Point before = NeighbourProbePoints(SplitSide::Left, children[1].box).before;
    EXPECT_EQ(ControlAtPoint(children, before, SplitSide::Left, 1), 0);
    // For a right-aligned bar the empty box grows to the right instead.
    std::vector<ChildBox> right{{Box{100, 2, 7, 300}}, {Box{107, 2, 0, 300}}};
    Point after = NeighbourProbePoints(SplitSide::Right, right[0].box).after;
    EXPECT_EQ(ControlAtPoint(right, after, SplitSide::Right, 0), 1);
    EXPECT_EQ(ControlAtPoint(right, Point{106, 5}, SplitSide::Left, 0), 1);
    // Height 0 likewise, upwards for a top bar.
    std::vector<ChildBox> top{{Box{0, 10, 300, 0}}, {Box{0, 10, 300, 7}}};
    Point above = NeighbourProbePoints(SplitSide::Top, top[1].box).before;
    EXPECT_EQ(above, (Point{0, 9}));
    EXPECT_EQ(ControlAtPoint(top, above, SplitSide::Top, 1), 0);
    EXPECT_EQ(ControlAtPoint(top, above, SplitSide::Bottom, 1), -1);
}

TEST(SplitterGeometry, LargestSizeLeavesTheMinimumForTheRest) {
    // A 600-pixel parent: tree 195 and bar 7 aligned left; the rest keeps 30.
    EXPECT_EQ(LargestSize(600, 30, 195 + 7, 195), 563);
    EXPECT_EQ(LargestSize(600, 30, 195 + 7 + 100, 195), 463);
}

TEST(SplitterGeometry, SizeFromPointStaysWithinLimitsAndStopsTheDragBarThere) {
    struct Case {
        const char* name;
        SplitSide side;
        int size;
        Point down, p;
        DragStep expected;
    } cases[] = {
        // 300 pixels to the left from a 195-pixel tree: stops at 30, the bar 165 to the left.
        {"left min", SplitSide::Left, 195, {3, 20}, {-297, 20}, {-165, 30}},
        {"left free", SplitSide::Left, 195, {3, 20}, {53, 99}, {50, 245}},
        {"left max", SplitSide::Left, 195, {3, 20}, {503, 20}, {368, 563}},
        {"right free", SplitSide::Right, 100, {3, 20}, {-37, 20}, {-40, 140}},
        {"right min", SplitSide::Right, 100, {3, 20}, {83, 20}, {70, 30}},
        {"right max", SplitSide::Right, 100, {3, 20}, {-597, 20}, {-463, 563}},
        {"top free", SplitSide::Top, 100, {20, 3}, {900, 53}, {50, 150}},
        {"top min", SplitSide::Top, 100, {20, 3}, {20, -197}, {-70, 30}},
        {"bottom free", SplitSide::Bottom, 100, {20, 3}, {20, -17}, {-20, 120}},
        {"bottom max", SplitSide::Bottom, 100, {20, 3}, {20, -997}, {-463, 563}},
        // A collapsed control comes back at least at the minimum.
        {"from collapsed", SplitSide::Left, 0, {3, 20}, {4, 20}, {30, 30}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SizeFromPoint(c.side, c.size, c.down, c.p, 30, 563), c.expected) << c.name;
    }
}

TEST(SplitterGeometry, GripClicksCollapseAndRestore) {
    CollapseState s(SplitSide::Left);
    EXPECT_EQ(s.Arrow(), ArrowState::Left);
    EXPECT_EQ(s.PreviousSize(), -1);

    // First click on a fresh bar: collapse, remembering the current size.
    EXPECT_EQ(s.GripClick(195), 0);
    EXPECT_EQ(s.Arrow(), ArrowState::Right);
    ASSERT_TRUE(s.NeedsApply(0));
    s.Applied(0, SplitSide::Left);
    EXPECT_TRUE(s.Collapsed());
    EXPECT_EQ(s.Arrow(), ArrowState::Right);

    // Second click: back to 195, arrows back.
    EXPECT_EQ(s.GripClick(0), 195);
    ASSERT_TRUE(s.NeedsApply(195));
    s.Applied(195, SplitSide::Left);
    EXPECT_EQ(s.Arrow(), ArrowState::Left);

    // A drag to 120, then a click collapses and remembers 120.
    s.Applied(120, SplitSide::Left);
    EXPECT_EQ(s.GripClick(120), 0);
    s.Applied(0, SplitSide::Left);
    EXPECT_EQ(s.RestoreSize(), 120);

    // A drag out of the collapsed state shows the expanded arrows again.
    EXPECT_EQ(s.Arrow(), ArrowState::Right);
    s.Applied(30, SplitSide::Left);
    EXPECT_EQ(s.Arrow(), ArrowState::Left);
    EXPECT_FALSE(s.NeedsApply(30));
}

TEST(SplitterGeometry, ArrowStateFollowsTheSide) {
    CollapseState s(SplitSide::Top);
    EXPECT_EQ(s.Arrow(), ArrowState::Up);
    s.GripClick(100);
    EXPECT_EQ(s.Arrow(), ArrowState::Down);
    s.SetSide(SplitSide::Bottom);
    EXPECT_EQ(s.Arrow(), ArrowState::Down);
    s.SetSide(SplitSide::Right);
    EXPECT_EQ(s.Arrow(), ArrowState::Right);
}
