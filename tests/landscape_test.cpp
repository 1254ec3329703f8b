#include <gtest/gtest.h>

#include <vector>

#include "modes/landscape.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "tests/test_support.h"

namespace {
int At(int x, int y) { return art.canvas[y * art.canvasWidth + x]; }

// First row of column x that is not sky.
int RidgeRow(int x) {
    int y = 0;
    while (y < art.canvasHeight && At(x, y) == (y * 60) / art.canvasHeight + 1) ++y;
    return y;
}

void FillProfile(double p) {
    for (double& v : ridgeProfile) v = p;
}
}  // namespace

TEST(Landscape, ProfileIsMidpointDisplacementLevelByLevel) {
    UseCanvas(320, 200, 0x1A2B3C);
    FillProfile(-7.0);  // old contents must never be read
    DrawLandscape();
    EXPECT_EQ(StepsBetween(0x1A2B3C, art.randomState, 2000), 1023);

    // Recompute: level by level, left to right within a level, clamped to 0..1.
    std::vector<double> expected(1025, 0.0);
    expected[0] = expected[1024] = 0.5;
    uint32_t state = 0x1A2B3C;
    double amplitude = 0.55;
    for (int step = 1024; step >= 2; step /= 2) {
        for (int i = 0; i < 1024; i += step) {
            state = XorShift(state);
            double u = (state & 0xFFFFFF) / 16777216.0;
            double v = (expected[i] + expected[i + step]) * 0.5 + (u - 0.5) * amplitude;
            expected[i + step / 2] = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
        }
        amplitude *= 0.55;
    }
    for (int j = 0; j <= 1024; ++j) ASSERT_EQ(ridgeProfile[j], expected[j]) << j;
    ReleaseTestState();
}

TEST(Landscape, FlatRidgeAtFortyFivePercent) {
    UseCanvas(320, 200);
    FillProfile(0.5);
    PaintLandscape();
    for (int x = 0; x < 320; ++x) ASSERT_EQ(RidgeRow(x), 90) << x;
    EXPECT_EQ(At(5, 0), 1);
    EXPECT_EQ(At(5, 89), 27);   // 89 x 60 / 200 + 1
    EXPECT_EQ(At(5, 90), 80);   // the ridge row starts the land
    EXPECT_EQ(At(5, 155), 186);  // 110 x 65 / 67 + 80, just above the horizon at 156
    EXPECT_EQ(At(0, 156), 224);  // stripes: ((0 + 156) & 7) x 6 + 200
    EXPECT_EQ(At(8, 156), 230);  // one step on after eight columns
    EXPECT_EQ(At(7, 157), 230);  // and after one row
    EXPECT_EQ(At(319, 199), 200 + ((39 + 199) & 7) * 6);
    EXPECT_EQ(art.randomState, 0xC0FFEEu);  // painting alone takes no numbers
    ReleaseTestState();
}

TEST(Landscape, RidgeLimitsAndColumnMapping) {
    UseCanvas(320, 200);
    FillProfile(0.0);
    PaintLandscape();
    EXPECT_EQ(RidgeRow(100), 34);
    FillProfile(1.0);
    PaintLandscape();
    EXPECT_EQ(RidgeRow(100), 145);

    // Column 1 reads entry 3, column 319 entry 1024, column 318 entry 1020.
    FillProfile(0.5);
    ridgeProfile[3] = 1.0;
    ridgeProfile[1024] = 0.0;
    ridgeProfile[1020] = 1.0;
    PaintLandscape();
    EXPECT_EQ(RidgeRow(0), 90);
    EXPECT_EQ(RidgeRow(1), 145);
    EXPECT_EQ(RidgeRow(2), 90);
    EXPECT_EQ(RidgeRow(318), 145);
    EXPECT_EQ(RidgeRow(319), 34);
    ReleaseTestState();
}

TEST(Landscape, EveryPixelInItsColourRange) {
    for (auto size : {std::pair{320, 200}, std::pair{1920, 1080}}) {
        const int w = size.first, h = size.second, horizon = h * 78 / 100;
        UseCanvas(w, h, 0xFEED);
        for (int picture = 0; picture < 3; ++picture) {
            DrawLandscape();
            for (int x = 0; x < w; x += 7) {
                int top = RidgeRow(x);
                ASSERT_GE(top, h * 175 / 1000 - 1) << x;
                ASSERT_LE(top, h * 725 / 1000) << x;
                ASSERT_LT(top, horizon) << x;
                int previous = 0;
                for (int y = top; y < horizon; ++y) {  // land rises from 80 toward 189
                    ASSERT_GE(At(x, y), previous);
                    ASSERT_LE(At(x, y), 189);
                    previous = At(x, y);
                }
                ASSERT_EQ(At(x, top), 80);
                for (int y = horizon; y < h; ++y) ASSERT_EQ(At(x, y), ((x / 8 + y) & 7) * 6 + 200);
            }
            std::vector<bool> used = IndicesUsed();
            for (int i = 0; i < 256; ++i) {
                bool allowed = (i >= 1 && i <= 60) || (i >= 80 && i <= 189) || (i >= 200 && (i - 200) % 6 == 0 && i <= 242);
                if (!allowed) {
                    ASSERT_FALSE(used[i]) << i;
                }
            }
        }
    }
    ReleaseTestState();
}
