#include <gtest/gtest.h>

#include "modes/modes.h"
#include "modes/random_source.h"
#include "tests/test_support.h"

TEST(SelectMode, OutOfRangeDrawsPlasmaAndRecordsModeOne) {
    for (int mode : {10, -1, 12, 1000}) {
        UseCanvas(320, 200, 777);
        SelectMode(mode);
        EXPECT_EQ(art.currentMode, 1) << mode;
        std::vector<uint8_t> fallback = CanvasCopy();
        UseCanvas(320, 200, 777);
        SelectMode(1);
        EXPECT_EQ(CanvasCopy(), fallback) << mode;
    }
    ReleaseTestState();
}

TEST(SelectMode, RecordsEveryModeInRange) {
    UseCanvas(320, 200);
    for (int mode = 0; mode <= 9; ++mode) {
        SelectMode(mode);
        EXPECT_EQ(art.currentMode, mode);
    }
    ReleaseTestState();
}

TEST(SelectMode, ZoomStartsAFreshViewFromOneDraw) {
    UseCanvas(320, 200, 0xBADC0DE);
    art.zoomHalfHeight = 1e-9;
    uint32_t before = art.randomState;
    ChooseZoomTarget();
    EXPECT_EQ(art.zoomHalfHeight, 1.6);
    const ZoomPoint& target = ZoomTargets[XorShift(before) & 7];
    EXPECT_EQ(art.zoomCentreX, target.re);
    EXPECT_EQ(art.zoomCentreY, target.im);
    EXPECT_EQ(art.randomState, XorShift(before));

    // SelectMode(8) twice sets half-height 1.6 back each time, whatever the frames did.
    SelectMode(8);
    double afterFirst = art.zoomHalfHeight;
    art.zoomHalfHeight = 0.001;
    SelectMode(8);
    EXPECT_EQ(art.currentMode, 8);
    EXPECT_EQ(art.zoomHalfHeight, afterFirst);
    ReleaseTestState();
}

TEST(ModeNames, TableOrder) {
    EXPECT_STREQ(ModeNames[0], "SPLASH");
    EXPECT_STREQ(ModeNames[5], "REACTION-DIFFUSION");
    EXPECT_STREQ(ModeNames[6], "LANDSCAPE");
    EXPECT_STREQ(ModeNames[7], "SQUARES");
    EXPECT_STREQ(ModeNames[9], "BUDDHABROT");
    EXPECT_EQ(ZoomTargets[5].re, -0.74543);
    EXPECT_EQ(ZoomTargets[7].im, 0.34);
}
