#include <gtest/gtest.h>

#include "app/frame.h"
#include "app/letterbox.h"

namespace {
int64_t Area(const ArtRect& r) { return static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top); }
}  // namespace

TEST(Letterbox, UnscaledFrameHasNoBars) {
    ArtRect bars[kMaxBars];
    EXPECT_EQ(LetterboxBars(FitFrame(1920, 1080, 1920, 1080), 1920, 1080, bars), 0);
    EXPECT_EQ(LetterboxBars(FitFrame(960, 540, 1920, 1080), 960, 540, bars), 0);
}

TEST(Letterbox, BarsAboveAndBelowOrLeftAndRight) {
    ArtRect bars[kMaxBars];
    // 1920 x 1080 in 1264 x 761: the picture is 1264 x 711 at y 25.
    ASSERT_EQ(LetterboxBars(FitFrame(1264, 761, 1920, 1080), 1264, 761, bars), 2);
    EXPECT_EQ(bars[0].bottom, 25);
    EXPECT_EQ(bars[1].top, 736);
    EXPECT_EQ(bars[1].bottom, 761);
    EXPECT_EQ(bars[1].right, 1264);
    // Relatively wider: the picture is 533 x 300 at x 233.
    ASSERT_EQ(LetterboxBars(FitFrame(1000, 300, 1920, 1080), 1000, 300, bars), 2);
    EXPECT_EQ(bars[0].right, 233);
    EXPECT_EQ(bars[1].left, 766);
    EXPECT_EQ(bars[1].right, 1000);
    EXPECT_EQ(bars[1].bottom, 300);
}

TEST(Letterbox, OddFreeSpaceLeavesNoUnpaintedLine) {
    ArtRect bars[kMaxBars];
    // 320 x 200 in 320 x 201: no room for a top bar, one free row at the bottom.
    ASSERT_EQ(LetterboxBars(FitFrame(320, 201, 320, 200), 320, 201, bars), 1);
    EXPECT_EQ(bars[0].top, 200);
    EXPECT_EQ(bars[0].bottom, 201);
    // Every client size: bars and picture tile the client area exactly.
    for (int32_t cw = 1; cw <= 90; cw += 7) {
        for (int32_t ch = 1; ch <= 90; ch += 3) {
            FrameFit fit = FitFrame(cw, ch, 320, 200);
            int count = LetterboxBars(fit, cw, ch, bars);
            int64_t covered = static_cast<int64_t>(fit.dw) * fit.dh;
            for (int i = 0; i < count; ++i) {
                EXPECT_GT(Area(bars[i]), 0);
                covered += Area(bars[i]);
            }
            EXPECT_EQ(covered, static_cast<int64_t>(cw) * ch) << cw << " x " << ch;
        }
    }
}

TEST(Letterbox, MinimisedWindowHasNothingToPaint) {
    ArtRect bars[kMaxBars];
    EXPECT_EQ(LetterboxBars(FitFrame(0, 0, 1920, 1080), 0, 0, bars), 0);
}
