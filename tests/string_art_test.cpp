#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "modes/modes.h"
#include "modes/random_source.h"
#include "tests/test_support.h"

namespace {
struct Layer {
    int pins, multiplier;
};

// Pin counts and multipliers read straight off the stream, n then m for each layer.
std::vector<Layer> ExpectedLayers(uint32_t state, int baseCount, int spanCount) {
    std::vector<Layer> layers;
    for (int l = 0; l < 3; ++l) {
        state = XorShift(state);
        int n = baseCount + static_cast<int>(state % static_cast<uint32_t>(spanCount));
        state = XorShift(state);
        int m = 2 + static_cast<int>(state % static_cast<uint32_t>(n - 4));
        layers.push_back({n, m});
    }
    return layers;
}

// Plain reference of the picture for given layers.
std::vector<uint8_t> ReferencePicture(int w, int h, const std::vector<Layer>& layers) {
    std::vector<uint8_t> img(static_cast<size_t>(w) * h, 0);
    double radius = (w < h ? w : h) * 0.45;
    const double cx = w * 0.5, cy = h * 0.5, turn = 6.2831853;
    for (int l = 0; l < 3; ++l) {
        const int n = layers[l].pins, m = layers[l].multiplier;
        for (int i = 0; i < n; ++i) {
            double a1 = static_cast<double>(i * m) * turn / n, a2 = i * turn / n;
            int xe = static_cast<int>(std::cos(a1) * radius + cx), ye = static_cast<int>(std::sin(a1) * radius + cy);
            int x = static_cast<int>(std::cos(a2) * radius + cx), y = static_cast<int>(std::sin(a2) * radius + cy);
            uint8_t colour = static_cast<uint8_t>((80 * l + 254 * i / n) % 255 + 1);
            int dx = std::abs(xe - x), dy = -std::abs(ye - y), err = dx + dy;
            int sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
            while (true) {
                if (x >= 0 && x < w && y >= 0 && y < h) img[y * w + x] = colour;
                if (x == xe && y == ye) break;
                int e2 = 2 * err;
                if (e2 >= dy) err += dy, x += sx;
                if (e2 <= dx) err += dx, y += sy;
            }
        }
        radius *= 0.7;
    }
    return img;
}
}  // namespace

TEST(StringArt, MatchesReferenceWithSixDraws) {
    // Pin counts: 120 + below 120 at 320 x 200; 203 + below 286 at 1920 x 1080.
    struct Case {
        int w, h, baseCount, spanCount;
        uint32_t seed;
    };
    for (Case c : {Case{320, 200, 120, 120, 31}, Case{320, 200, 120, 120, 0xABCDEF},
                   Case{1920, 1080, 203, 286, 8086}}) {
        UseCanvas(c.w, c.h, c.seed);
        std::vector<Layer> layers = ExpectedLayers(c.seed, c.baseCount, c.spanCount);
        DrawStringArt();
        EXPECT_EQ(StepsBetween(c.seed, art.randomState, 100), 6);
        EXPECT_EQ(CanvasCopy(), ReferencePicture(c.w, c.h, layers)) << c.w << " x " << c.h;
    }
    ReleaseTestState();
}

TEST(StringArt, PinZeroIsASinglePixelInTheLayersFirstColour) {
    // Pin 0 joins itself: one pixel at (trunc(R + cx), trunc(cy)) in colours 1, 81 and
    // 161 for radii 90, 63 and 44.1. No inner circle reaches an outer pin, and for this
    // seed no later thread of the same layer passes over it.
    UseCanvas(320, 200, 3);
    DrawStringArt();
    EXPECT_EQ(art.canvas[100 * 320 + 250], 1);
    EXPECT_EQ(art.canvas[100 * 320 + 223], 81);
    EXPECT_EQ(art.canvas[100 * 320 + 204], 161);
    EXPECT_EQ(art.canvas[0], 0);  // the background stays 0
    ReleaseTestState();
}
