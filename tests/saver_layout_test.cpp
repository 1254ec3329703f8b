#include <gtest/gtest.h>

#include "saver/saver_layout.h"
#include "saver/saver_settings.h"

namespace {

bool Same(const ArtRect& a, const ArtRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The two monitors of the end-to-end tests: 1280 x 1024 and 1024 x 768 to its right.
const ArtRect kTwo[2] = {{0, 0, 1280, 1024}, {1280, 0, 2304, 768}};

}  // namespace

TEST(SaverLayout, SamePictureTakesTheLargestMonitorsSizeEverywhere) {
    SaverPane panes[kMaxSaverPanes];
    // The larger monitor second, the primary first: the Canvas follows the larger one.
    const ArtRect monitors[2] = {{0, 0, 1024, 768}, {1024, -100, 3584, 1340}};
    const SaverPlan plan = PlanSaverPanes(monitors, 2, 0, kMonitorsSame, panes);
    EXPECT_EQ(plan.canvasWidth, 2560);
    EXPECT_EQ(plan.canvasHeight, 1440);
    ASSERT_EQ(plan.paneCount, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(Same(panes[i].monitor, monitors[i]));
        EXPECT_TRUE(Same(panes[i].source, {0, 0, 2560, 1440}));
        EXPECT_EQ(panes[i].showsPicture, 1);
    }
}

TEST(SaverLayout, AcrossAllGivesEachMonitorItsPartOfTheBoundingBox) {
    SaverPane panes[kMaxSaverPanes];
    SaverPlan plan = PlanSaverPanes(kTwo, 2, 0, kMonitorsSpan, panes);
    EXPECT_EQ(plan.canvasWidth, 2304);
    EXPECT_EQ(plan.canvasHeight, 1024);
    EXPECT_TRUE(Same(panes[0].source, {0, 0, 1280, 1024}));
    EXPECT_TRUE(Same(panes[1].source, {1280, 0, 2304, 768}));

    // A monitor left of and above the primary one: negative coordinates.
    const ArtRect leftUp[2] = {{0, 0, 2560, 1440}, {-1920, -200, 0, 880}};
    plan = PlanSaverPanes(leftUp, 2, 0, kMonitorsSpan, panes);
    EXPECT_EQ(plan.canvasWidth, 4480);
    EXPECT_EQ(plan.canvasHeight, 1640);
    EXPECT_TRUE(Same(panes[0].source, {1920, 200, 4480, 1640}));
    EXPECT_TRUE(Same(panes[1].source, {0, 0, 1920, 1080}));
    EXPECT_EQ(panes[0].showsPicture + panes[1].showsPicture, 2);
}

TEST(SaverLayout, PrimaryOnlyLeavesTheOthersBlack) {
    SaverPane panes[kMaxSaverPanes];
    const SaverPlan plan = PlanSaverPanes(kTwo, 2, 1, kMonitorsPrimary, panes);
    EXPECT_EQ(plan.canvasWidth, 1024);  // the primary's size, though it is the smaller
    EXPECT_EQ(plan.canvasHeight, 768);
    EXPECT_EQ(panes[0].showsPicture, 0);
    EXPECT_EQ(panes[1].showsPicture, 1);
    EXPECT_TRUE(Same(panes[1].source, {0, 0, 1024, 768}));
}

TEST(SaverLayout, OddInputsStayWithinBounds) {
    SaverPane panes[kMaxSaverPanes];
    // An unknown primary counts as the first monitor.
    SaverPlan plan = PlanSaverPanes(kTwo, 2, 7, kMonitorsPrimary, panes);
    EXPECT_EQ(panes[0].showsPicture, 1);
    EXPECT_EQ(plan.canvasWidth, 1280);
    // A tiny monitor still gets the smallest Canvas; its part is inside it.
    const ArtRect tiny[1] = {{0, 0, 100, 50}};
    plan = PlanSaverPanes(tiny, 1, 0, kMonitorsSpan, panes);
    EXPECT_EQ(plan.canvasWidth, 320);
    EXPECT_EQ(plan.canvasHeight, 200);
    EXPECT_TRUE(Same(panes[0].source, {0, 0, 100, 50}));
    // No monitors, or more than there are panes for.
    plan = PlanSaverPanes(nullptr, 3, 0, kMonitorsSame, panes);
    EXPECT_EQ(plan.paneCount, 0);
    EXPECT_EQ(plan.canvasWidth, 320);
    ArtRect many[kMaxSaverPanes + 5];
    for (int i = 0; i < kMaxSaverPanes + 5; ++i) many[i] = {i * 640, 0, i * 640 + 640, 480};
    plan = PlanSaverPanes(many, kMaxSaverPanes + 5, 0, kMonitorsSpan, panes);
    EXPECT_EQ(plan.paneCount, kMaxSaverPanes);
    EXPECT_EQ(plan.canvasWidth, kMaxSaverPanes * 640);
    EXPECT_TRUE(Same(BoundingRect(nullptr, 0), {0, 0, 0, 0}));
}

TEST(SaverPointer, JitterAndTheFirstReportDoNotCountAMoveDoes) {
    SaverPointer start = {0, 0, 0};
    EXPECT_EQ(PointerMovedAway(&start, 500, 400), 0);  // the first report sets the start
    EXPECT_EQ(PointerMovedAway(&start, 502, 398), 0);
    EXPECT_EQ(PointerMovedAway(&start, 508, 392), 0);  // at the tolerance
    EXPECT_EQ(PointerMovedAway(&start, 509, 400), 1);
    EXPECT_EQ(PointerMovedAway(&start, 500, 391), 1);
    // Small steps add up: the start stays where it was.
    EXPECT_EQ(PointerMovedAway(&start, 505, 400), 0);
    EXPECT_EQ(PointerMovedAway(&start, 510, 400), 1);
    EXPECT_EQ(PointerMovedAway(&start, 460, 400), 1);
    // Far corners of the virtual screen do not overflow.
    SaverPointer edge = {1, INT32_MIN, INT32_MIN};
    EXPECT_EQ(PointerMovedAway(&edge, INT32_MAX, INT32_MAX), 1);
}
