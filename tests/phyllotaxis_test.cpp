#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "modes/modes.h"
#include "tests/test_support.h"

namespace {
// Plain reference with the dot count and dot radius given by hand, plotting each dot
// pixel by pixel.
std::vector<uint8_t> ReferencePicture(int w, int h, int dots, int r) {
    std::vector<uint8_t> img(static_cast<size_t>(w) * h, 0);
    const double radius = (w < h ? w : h) * 0.45, cx = w * 0.5, cy = h * 0.5;
    const double k = radius / std::sqrt(static_cast<double>(dots));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
            if (d <= radius * 0.99) img[y * w + x] = static_cast<uint8_t>(1 + std::floor(d / radius * 30.0));
        }
    }
    for (int i = 0; i < dots; ++i) {
        double rho = std::sqrt(static_cast<double>(i)) * k, theta = i * 2.399963229728651;
        int px = static_cast<int>(std::cos(theta) * rho + cx), py = static_cast<int>(std::sin(theta) * rho + cy);
        for (int y = py - r; y <= py + r; ++y) {
            int half = static_cast<int>(std::sqrt(static_cast<double>(r * r - (y - py) * (y - py))));
            for (int x = px - half; x <= px + half; ++x) {
                if (x >= 0 && x < w && y >= 0 && y < h) img[y * w + x] = static_cast<uint8_t>(i * 215 / dots + 40);
            }
        }
    }
    return img;
}
}  // namespace

TEST(Phyllotaxis, MatchesReferenceAtKnownSizes) {
    struct Case {
        int w, h, dots, r;
    };
    for (Case c : {Case{320, 200, 900, 1}, Case{640, 480, 1971, 2}, Case{1920, 1080, 5000, 3}}) {
        UseCanvas(c.w, c.h);
        DrawPhyllotaxis();
        EXPECT_EQ(CanvasCopy(), ReferencePicture(c.w, c.h, c.dots, c.r)) << c.w << " x " << c.h;
    }
    ReleaseTestState();
}

TEST(Phyllotaxis, DotZeroIsAPlusAtTheCentre) {
    UseCanvas(320, 200);
    DrawPhyllotaxis();
    auto at = [](int x, int y) { return art.canvas[y * 320 + x]; };
    // Radius 1: a three-pixel middle row and one pixel above and below, colour 40.
    EXPECT_EQ(at(160, 100), 40);
    EXPECT_EQ(at(159, 100), 40);
    EXPECT_EQ(at(161, 100), 40);
    EXPECT_EQ(at(160, 99), 40);
    EXPECT_EQ(at(160, 101), 40);
    // Its diagonal neighbours and the pixels two away show the innermost disc shade.
    EXPECT_EQ(at(159, 99), 1);
    EXPECT_EQ(at(161, 101), 1);
    EXPECT_EQ(at(158, 100), 1);
    // Corners lie outside the disc.
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(319, 199), 0);
    ReleaseTestState();
}

TEST(Phyllotaxis, SamePictureEveryTimeWithoutRandomNumbers) {
    UseCanvas(320, 200, 1234);
    DrawPhyllotaxis();
    std::vector<uint8_t> first = CanvasCopy();
    for (int i = 0; i < 320 * 200; ++i) art.canvas[i] = 99;  // the Canvas is cleared first
    SelectMode(3);
    EXPECT_EQ(CanvasCopy(), first);
    EXPECT_EQ(art.randomState, 1234u);
    EXPECT_EQ(art.currentMode, 3);

    // Background 0, disc 1..30, dots 40..254.
    std::vector<bool> used = IndicesUsed();
    EXPECT_TRUE(used[0]);
    EXPECT_TRUE(used[1]);
    EXPECT_TRUE(used[40]);
    EXPECT_TRUE(used[254]);
    for (int i = 31; i <= 39; ++i) EXPECT_FALSE(used[i]) << i;
    EXPECT_FALSE(used[255]);
    ReleaseTestState();
}
