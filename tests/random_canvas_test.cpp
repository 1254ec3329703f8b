#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/memory.h"
#include "modes/canvas.h"
#include "modes/random_source.h"
#include "tests/test_support.h"

TEST(RandomSource, XorShiftSequenceAndIdioms) {
    UseCanvas(320, 200, 1);
    // x=1: 1 ^ (1<<13) = 0x2001; ^ (>>17) = 0x2001; ^ (<<5) = 0x2001 ^ 0x40020 = 0x42021.
    EXPECT_EQ(NextRandom(), 0x42021u);
    EXPECT_EQ(art.randomState, 0x42021u);

    art.randomState = 0xC0FFEE;
    uint32_t next = XorShift(0xC0FFEE);
    EXPECT_EQ(RandomUnit(), (next & 0xFFFFFF) / 16777216.0);
    art.randomState = 0xC0FFEE;
    EXPECT_EQ(RandomBelow(7), static_cast<int>(next % 7));
    art.randomState = 0xC0FFEE;
    EXPECT_EQ(RandomColour(), static_cast<int>(next % 255 + 1));
    ReleaseTestState();
}

TEST(RandomSource, RandomBelowOfZeroOrLessDrawsNothing) {
    UseCanvas(320, 200, 12345);
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomBelow(-5), 0);
    EXPECT_EQ(art.randomState, 12345u);
    ReleaseTestState();
}

TEST(RandomSource, UnitStaysBelowOneAndStateNeverZero) {
    UseCanvas(320, 200, 0xFFFFFFFF);
    for (int i = 0; i < 100000; ++i) {
        double u = RandomUnit();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        ASSERT_NE(art.randomState, 0u);
    }
    ReleaseTestState();
}

TEST(RandomSource, SeedFromClockNeverZero) {
    EXPECT_EQ(SeedFromClock(0x12345678, 0x12345678), 0xC0FFEEu);
    EXPECT_EQ(SeedFromClock(0x12345678, 0), 0x12345678u);
    EXPECT_EQ(SeedFromClock(0xF0F0F0F0, 0x0F0F0F0F), 0xFFFFFFFFu);
}

TEST(Canvas, ScaleValuesAtKnownSizes) {
    ScaleValues s = ComputeScales(1920, 1080);
    EXPECT_NEAR(s.detailScale, 5.6921, 1e-4);
    EXPECT_EQ(s.textScaleSmall, 2);
    EXPECT_EQ(s.textScaleMedium, 4);
    EXPECT_EQ(s.textScaleLarge, 7);
    s = ComputeScales(1280, 800);
    EXPECT_DOUBLE_EQ(s.detailScale, 4.0);
    EXPECT_EQ(s.textScaleSmall, 1);
    EXPECT_EQ(s.textScaleMedium, 3);
    EXPECT_EQ(s.textScaleLarge, 5);
    s = ComputeScales(3840, 2160);
    EXPECT_NEAR(s.detailScale, 11.3842, 1e-4);
    EXPECT_EQ(s.textScaleSmall, 4);
    EXPECT_EQ(s.textScaleMedium, 9);
    EXPECT_EQ(s.textScaleLarge, 15);
    s = ComputeScales(320, 200);
    EXPECT_DOUBLE_EQ(s.detailScale, 1.0);
    EXPECT_EQ(s.textScaleSmall, 1);
    EXPECT_EQ(s.textScaleMedium, 2);
    EXPECT_EQ(s.textScaleLarge, 4);
}

TEST(Canvas, AllocationRaisesSizeAndFailsCleanly) {
    UseCanvas(100, 50);
    EXPECT_EQ(art.canvasWidth, 320);
    EXPECT_EQ(art.canvasHeight, 200);
    EXPECT_DOUBLE_EQ(art.detailScale, 1.0);
    ASSERT_NE(art.canvas, nullptr);
    ASSERT_NE(art.canvasBackup, nullptr);
    for (int i = 0; i < 320 * 200; ++i) ASSERT_EQ(art.canvas[i], 0);
    ReleaseTestState();
    EXPECT_EQ(art.canvas, nullptr);

    for (int which = 1; which <= 2; ++which) {
        ArtFailAllocation(which);
        EXPECT_EQ(AllocateCanvas(640, 480), -1);
        EXPECT_EQ(art.canvas, nullptr);
        EXPECT_EQ(art.canvasBackup, nullptr);
    }
    ArtFailAllocation(0);
}

TEST(Canvas, FillSpanClipsAndAcceptsEitherOrder) {
    UseCanvas(320, 200);
    FillSpan(10, 5, 3, 7);
    for (int x = 0; x < 320; ++x) EXPECT_EQ(art.canvas[3 * 320 + x], (x >= 5 && x <= 10) ? 7 : 0);

    std::vector<uint8_t> before = CanvasCopy();
    FillSpan(-20, -1, 4, 9);    // wholly left
    FillSpan(320, 400, 4, 9);   // wholly right
    FillSpan(0, 319, -1, 9);    // row above
    FillSpan(0, 319, 200, 9);   // row below
    EXPECT_EQ(CanvasCopy(), before);

    FillSpan(-5, 1000, 199, 200);
    for (int x = 0; x < 320; ++x) EXPECT_EQ(art.canvas[199 * 320 + x], 200);
    EXPECT_EQ(art.canvas[198 * 320 + 319], 0);
    ReleaseTestState();
}

TEST(Canvas, FillRectFillsExactlyItsClippedPixelsForEverySpanLength) {
    UseCanvas(320, 200);
    // Every length from 1 to 70 (the short ones are filled by overlapping stores), at
    // each offset within a word, and rectangles reaching past each edge.
    struct Rect {
        int x0, y0, x1, y1;
    };
    std::vector<Rect> rects;
    for (int n = 1; n <= 70; ++n) rects.push_back({7 + n % 8, n, 7 + n % 8 + n - 1, n + 2});
    for (Rect r : {Rect{-9, -9, 4, 4}, Rect{300, 190, 330, 210}, Rect{-1, 50, 320, 50}, Rect{5, 60, -3, 61},
                   Rect{0, 199, 319, 199}, Rect{10, 5, 20, 4}}) {
        rects.push_back(r);
    }
    for (const Rect& r : rects) {
        std::vector<uint8_t> expected = CanvasCopy();
        for (int y = r.y0; y <= r.y1; ++y) {
            for (int x = std::min(r.x0, r.x1); x <= std::max(r.x0, r.x1); ++x) {
                if (x >= 0 && x < 320 && y >= 0 && y < 200) expected[y * 320 + x] = static_cast<uint8_t>(r.y0 + 3);
            }
        }
        FillRect(r.x0, r.y0, r.x1, r.y1, r.y0 + 3);
        ASSERT_EQ(CanvasCopy(), expected) << r.x0 << "," << r.y0 << " to " << r.x1 << "," << r.y1;
    }
    ReleaseTestState();
}
