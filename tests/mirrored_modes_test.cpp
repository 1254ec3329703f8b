// Splash and phyllotaxis work out a quarter of their radial pictures on the faster
// paths and mirror the rest; the pictures must be the plain ones.
#include <gtest/gtest.h>

#include <vector>

#include "modes/modes.h"
#include "modes/paths/kernel_choice.h"
#include "tests/test_support.h"

namespace {
std::vector<uint8_t> PictureOn(VectorKernel kernel, void (*draw)(), int w, int h) {
    UseCanvas(w, h, 77);
    // Leftovers of an earlier picture must not show through.
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) art.canvas[i] = static_cast<uint8_t>(i * 31);
    EXPECT_TRUE(ForceKernel(kernel));
    draw();
    return CanvasCopy();
}
}  // namespace

TEST(MirroredModes, EveryPathGivesThePlainPicture) {
    // Even and odd sides both ways, and one far from square.
    const int sizes[][2] = {{320, 200}, {321, 200}, {320, 201}, {321, 201}, {322, 203}, {1001, 211}, {333, 900}};
    for (void (*draw)() : {DrawSplash, DrawPhyllotaxis}) {
        for (const auto& size : sizes) {
            const std::vector<uint8_t> plain = PictureOn(kKernelPlain, draw, size[0], size[1]);
            for (int k = kKernelSse2; k < kKernelCount; ++k) {
                if (!KernelAvailable(static_cast<VectorKernel>(k))) continue;
                EXPECT_EQ(PictureOn(static_cast<VectorKernel>(k), draw, size[0], size[1]), plain)
                    << (draw == DrawSplash ? "splash " : "phyllotaxis ") << size[0] << "x" << size[1];
            }
        }
    }
    ResetKernel();
    ReleaseTestState();
}
