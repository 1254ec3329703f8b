// The faster composition gives the plain one's frame.
#include <gtest/gtest.h>

#include <vector>

#include "app/frame.h"
#include "modes/paths/kernel_choice.h"
#include "tests/test_support.h"
#include "text/overlays.h"

namespace {
std::vector<uint32_t> FrameOn(VectorKernel kernel) {
    EXPECT_TRUE(ForceKernel(kernel));
    ComposeFrame();
    const size_t n = static_cast<size_t>(art.canvasWidth) * art.canvasHeight;
    return std::vector<uint32_t>(art.dibPixels, art.dibPixels + n);
}
}  // namespace

TEST(ComposeKernels, EveryPathGivesThePlainFrame) {
    // Pixel counts of every remainder modulo 8, with and without the strip and help.
    for (int w : {320, 321, 322, 323, 325, 327, 329, 331}) {
        UseCanvasWithFrame(w, 201, 5);
        for (size_t i = 0; i < static_cast<size_t>(w) * 201; ++i) {
            art.canvas[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
        }
        for (int i = 0; i < 256; ++i) art.palette[i] = 0x010203u * i ^ 0x00A5C3E1u;
        for (int overlay = 0; overlay < 3; ++overlay) {
            art.statusStripShown = overlay == 1;
            art.helpShown = overlay == 2;
            const std::vector<uint32_t> plain = FrameOn(kKernelPlain);
            EXPECT_EQ(plain[0], art.palette[art.canvas[0]]);
            for (int k = kKernelSse2; k < kKernelCount; ++k) {
                if (!KernelAvailable(static_cast<VectorKernel>(k))) continue;
                EXPECT_EQ(FrameOn(static_cast<VectorKernel>(k)), plain) << w << " overlay " << overlay;
            }
        }
    }
    ResetKernel();
    ReleaseTestState();
}

TEST(ComposeKernels, DarkeningScalesEachChannelWithTruncation) {
    std::vector<uint32_t> pixels(256 * 3);
    for (uint32_t v = 0; v < 256; ++v) {
        pixels[v] = v << 16 | 0xFF000000u;
        pixels[256 + v] = v << 8;
        pixels[512 + v] = v;
    }
    for (uint32_t percent : {0u, 25u, 30u, 99u, 100u}) {
        std::vector<uint32_t> dark = pixels;
        DarkenRect(dark.data(), 256, 3, 0, 0, 256, 3, percent);
        for (uint32_t v = 0; v < 256; ++v) {
            const uint32_t s = v * percent / 100;
            ASSERT_EQ(dark[v], s << 16) << percent;  // the top byte is cleared
            ASSERT_EQ(dark[256 + v], s << 8) << percent;
            ASSERT_EQ(dark[512 + v], s) << percent;
        }
    }
}
