// Every code path of the plasma must give the plain path's bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "modes/modes.h"
#include "modes/plasma/plasma.h"
#include "modes/paths/kernel_choice.h"
#include "tests/test_support.h"

namespace {
std::vector<uint8_t> PictureOn(VectorKernel kernel, int w, int h, uint32_t seed) {
    UseCanvas(w, h, seed);
    EXPECT_TRUE(ForceKernel(kernel));
    DrawPlasma();
    return CanvasCopy();
}

PlasmaWaves SomeWaves(int w, int h, uint32_t seed) {
    // Centres anywhere, also on the edges, and frequencies over their whole range.
    const double u = (seed % 97) / 97.0;
    const double k = 320.0 / w;
    return {u * w, (1 - u) * h, 0.0, static_cast<double>(h - 1), w - 1.0, u * 0.5 * h,
            (0.04 + 0.1 * u) * k, (0.14 - 0.1 * u) * k, 0.09 * k, (0.05 + 0.06 * u) * k};
}
}  // namespace

TEST(PlasmaKernels, EveryPathGivesThePlainPicture) {
    // Widths of every remainder modulo the vector widths, and one too wide for the
    // table of diagonal sines.
    const std::vector<std::tuple<int, int, uint32_t>> cases = {
        {320, 200, 1u},   {321, 200, 2u},  {322, 203, 3u},   {323, 201, 4u},  {325, 207, 5u},
        {327, 211, 6u},   {640, 480, 7u},  {1001, 203, 8u},  {333, 201, 0xABCDu}, {7994, 200, 9u},
    };
    for (const auto& [w, h, seed] : cases) {
        const std::vector<uint8_t> plain = PictureOn(kKernelPlain, w, h, seed);
        for (int k = kKernelSse2; k < kKernelCount; ++k) {
            if (!KernelAvailable(static_cast<VectorKernel>(k))) continue;
            EXPECT_EQ(PictureOn(static_cast<VectorKernel>(k), w, h, seed), plain)
                << KernelName(static_cast<VectorKernel>(k)) << " " << w << "x" << h << " seed " << seed;
        }
    }
    for (uint32_t seed = 100; seed < 140; ++seed) {
        const std::vector<uint8_t> plain = PictureOn(kKernelPlain, 320 + seed % 9, 200, seed);
        ASSERT_TRUE(ForceKernel(BestKernel()));
        EXPECT_EQ(PictureOn(BestKernel(), 320 + seed % 9, 200, seed), plain) << "seed " << seed;
    }
    ResetKernel();
    ReleaseTestState();
}

TEST(PlasmaKernels, UnsettledPixelsAreRecomputedExactly) {
    // With a wide margin most pixels are left to the library's sines; with the
    // program's margin hardly any. Both give the plain picture.
    for (uint32_t seed : {11u, 12u, 13u}) {
        const int w = 331, h = 203;
        const PlasmaWaves waves = SomeWaves(w, h, seed);
        UseCanvas(w, h, seed);
        ASSERT_TRUE(ForceKernel(kKernelPlain));
        EXPECT_EQ(PaintPlasma(waves, kPlasmaSumMargin), int64_t{w} * h);
        const std::vector<uint8_t> plain = CanvasCopy();
        for (int k = kKernelSse2; k < kKernelCount; ++k) {
            if (!ForceKernel(static_cast<VectorKernel>(k))) continue;
            const int64_t many = PaintPlasma(waves, 0.02);
            EXPECT_GT(many, int64_t{w} * h / 4);
            EXPECT_EQ(CanvasCopy(), plain) << KernelName(static_cast<VectorKernel>(k));
            const int64_t few = PaintPlasma(waves, kPlasmaSumMargin);
            EXPECT_LT(few, int64_t{w} * h / 100);
            EXPECT_EQ(CanvasCopy(), plain) << KernelName(static_cast<VectorKernel>(k));
        }
        if (PaintPlasmaEightLanes(waves, 0.02) >= 0) {
            EXPECT_EQ(CanvasCopy(), plain) << "eight lanes";
        }
        if (PaintPlasmaEightLanes(waves, kPlasmaSumMargin) >= 0) {
            EXPECT_EQ(CanvasCopy(), plain) << "eight lanes";
        }
    }
    ResetKernel();
    ReleaseTestState();
}

TEST(PlasmaKernels, ArgumentsBeyondTheApproximationsRangeUseTheLibrary) {
    // Frequencies far above the mode's own put many arguments past the limit of the
    // vector sine and the rest close to it.
    const int w = 323, h = 200;
    const PlasmaWaves waves = {10.5, 20.25, 300.0, 199.0, 161.5, 100.0, 170.0, 400.0, 1000.0, 0.3};
    UseCanvas(w, h, 1);
    ASSERT_TRUE(ForceKernel(kKernelPlain));
    PaintPlasma(waves, kPlasmaSumMargin);
    const std::vector<uint8_t> plain = CanvasCopy();
    for (int k = kKernelSse2; k < kKernelCount; ++k) {
        if (!ForceKernel(static_cast<VectorKernel>(k))) continue;
        std::fill(art.canvas, art.canvas + w * h, 0);
        EXPECT_GT(PaintPlasma(waves, kPlasmaSumMargin), int64_t{w} * h / 4);
        EXPECT_EQ(CanvasCopy(), plain) << KernelName(static_cast<VectorKernel>(k));
    }
    ResetKernel();
    ReleaseTestState();
}

#if HUEMIX_VECTOR_KERNELS
#include <cmath>

#include "modes/plasma/plasma_sine.h"

TEST(PlasmaKernels, ApproximateSineStaysFarInsideTheMargin) {
    // Four sines go into a sum, so each must be well within a quarter of the margin of
    // the library's; in fact they agree to a few units in the last place. Arguments
    // over the whole range, and next to multiples of pi/2 where the reduction is hardest.
    double worst = 0.0;
    uint32_t state = 12345;
    for (int i = 0; i < 400000; ++i) {
        state = state * 1664525u + 1013904223u;
        double a = (state >> 8) * (kPlasmaSineLimit / 16777216.0);
        if (i % 2) a = std::nearbyint(a / 1.5707963267948966) * 1.5707963267948966 + ((i >> 1) % 7 - 3) * 1e-9;
        if (a < 0) a = 0;
        const PlasmaV2 v = {a, a * 1e-3};
        const PlasmaV2 s = ApproximateSine(v);
        worst = std::fmax(worst, std::fabs(s[0] - std::sin(v[0])));
        worst = std::fmax(worst, std::fabs(s[1] - std::sin(v[1])));
    }
    EXPECT_LT(worst, 1e-13);
    EXPECT_LT(worst * 4 + 1e-14, kPlasmaSumMargin);
}
#endif
