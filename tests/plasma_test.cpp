#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "modes/modes.h"
#include "modes/random_source.h"
#include "tests/test_support.h"

namespace {
// The picture of the plain algorithm, every sine taken per pixel.
std::vector<uint8_t> PlainPicture(uint32_t seed, int w, int h) {
    uint32_t s = seed;
    double u[10];
    for (double& v : u) {
        s = XorShift(s);
        v = (s & 0xFFFFFF) * (1.0 / 16777216.0);
    }
    const double k = 320.0 / w;
    const double x1 = u[0] * w, y1 = u[1] * h, x2 = u[2] * w, y2 = u[3] * h, x3 = u[4] * w, y3 = u[5] * h;
    const double f1 = (u[6] * 0.1 + 0.04) * k, f2 = (u[7] * 0.1 + 0.04) * k;
    const double f3 = (u[8] * 0.1 + 0.04) * k, f4 = (u[9] * 0.06 + 0.05) * k;
    std::vector<uint8_t> picture(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double fx = x, fy = y;
            double sum = std::sin(std::sqrt((fx - x2) * (fx - x2) + (fy - y2) * (fy - y2)) * f2);
            sum += std::sin(std::sqrt((fx - x1) * (fx - x1) + (fy - y1) * (fy - y1)) * f1);
            sum += std::sin(std::sqrt((fx - x3) * (fx - x3) + (fy - y3) * (fy - y3)) * f3);
            sum += std::sin(static_cast<double>(x + y) * f4);
            int index = 1 - static_cast<int>((sum + 4.0) * (-31.75));
            picture[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(index < 1 ? 1 : (index > 255 ? 255 : index));
        }
    }
    return picture;
}
}  // namespace

TEST(Plasma, PicturesMatchThePlainComputation) {
    // 7994 x 200 is too wide for the table of diagonal sines and takes them per pixel.
    for (auto c : {std::tuple{320, 200, 1u}, std::tuple{333, 201, 0xABCDu}, std::tuple{333, 201, 777u},
                   std::tuple{7994, 200, 6u}}) {
        const auto [w, h, seed] = c;
        UseCanvas(w, h, seed);
        DrawPlasma();
        ASSERT_EQ(CanvasCopy(), PlainPicture(seed, w, h)) << w << "x" << h;
    }
    ReleaseTestState();
}

TEST(Plasma, TakesTenDrawsAtAnySize) {
    for (auto size : {std::pair{320, 200}, std::pair{641, 203}, std::pair{1000, 700}}) {
        UseCanvas(size.first, size.second, 4242);
        DrawPlasma();
        EXPECT_EQ(StepsBetween(4242, art.randomState, 100), 10);
    }
    ReleaseTestState();
}

TEST(Plasma, WritesOnlyTheCyclingRing) {
    UseCanvas(320, 200, 99);
    for (int picture = 0; picture < 5; ++picture) {
        DrawPlasma();
        std::vector<bool> used = IndicesUsed();
        EXPECT_FALSE(used[0]);
        int distinct = 0;
        for (int i = 1; i < 256; ++i) distinct += used[i];
        EXPECT_GT(distinct, 100);  // a smooth pattern spreads over the ring
    }
    ReleaseTestState();
}

TEST(Plasma, PixelsFollowTheFormula) {
    UseCanvas(320, 200, 31337);
    // Recompute the ten values from the same stream and check sampled pixels.
    uint32_t s = 31337;
    double u[10];
    for (double& v : u) {
        s = XorShift(s);
        v = (s & 0xFFFFFF) / 16777216.0;
    }
    const double k = 1.0, w = 320, h = 200;
    double x1 = u[0] * w, y1 = u[1] * h, x2 = u[2] * w, y2 = u[3] * h, x3 = u[4] * w, y3 = u[5] * h;
    double f1 = (u[6] * 0.1 + 0.04) * k, f2 = (u[7] * 0.1 + 0.04) * k;
    double f3 = (u[8] * 0.1 + 0.04) * k, f4 = (u[9] * 0.06 + 0.05) * k;
    DrawPlasma();
    for (int y = 0; y < 200; y += 37) {
        for (int x = 0; x < 320; x += 41) {
            double s2 = std::sin(std::hypot(x - x2, y - y2) * f2) + std::sin(std::hypot(x - x1, y - y1) * f1) +
                        std::sin(std::hypot(x - x3, y - y3) * f3) + std::sin((x + y) * f4);
            int expected = 1 + static_cast<int>(std::floor((s2 + 4.0) * 31.75));
            expected = expected < 1 ? 1 : (expected > 255 ? 255 : expected);
            // hypot may differ from sqrt in the last bit; allow a neighbouring band.
            EXPECT_NEAR(art.canvas[y * 320 + x], expected, 1) << x << "," << y;
        }
    }
    ReleaseTestState();
}

TEST(Plasma, SuccessivePicturesDiffer) {
    UseCanvas(320, 200, 5);
    DrawPlasma();
    std::vector<uint8_t> first = CanvasCopy();
    DrawPlasma();
    EXPECT_NE(CanvasCopy(), first);
    ReleaseTestState();
}
