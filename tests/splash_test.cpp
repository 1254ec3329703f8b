#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "modes/canvas.h"
#include "modes/modes.h"
#include "modes/splash.h"
#include "tests/test_support.h"
#include "text/font.h"

namespace {
void ExpectLine(const SplashLine& line, int x, int y, int colour, int scale) {
    EXPECT_EQ(line.x, x) << line.text;
    EXPECT_EQ(line.y, y) << line.text;
    EXPECT_EQ(line.colourIndex, colour) << line.text;
    EXPECT_EQ(line.scale, scale) << line.text;
}
}  // namespace

TEST(Splash, LinePositions) {
    SplashLayout l = ComputeSplashLayout(320, 200, 2, 4);
    ExpectLine(l.lines[0], 64, 20, 255, 4);
    ExpectLine(l.lines[1], 16, 60, 255, 8);
    ExpectLine(l.lines[2], -8, 140, 200, 2);  // 336 wide: 8 columns cut on either side
    ExpectLine(l.lines[3], 16, 166, 150, 2);
    ExpectLine(l.lines[4], 164, 170, 200, 2);

    const ScaleValues s = ComputeScales(1920, 1080);
    l = ComputeSplashLayout(1920, 1080, s.textScaleMedium, s.textScaleLarge);
    ExpectLine(l.lines[0], 792, 390, 255, 7);
    ExpectLine(l.lines[1], 708, 463, 255, 14);
    ExpectLine(l.lines[2], 624, 609, 200, 4);
    ExpectLine(l.lines[3], 672, 661, 150, 4);
    ExpectLine(l.lines[4], 1608, 1020, 200, 4);
    EXPECT_STREQ(l.lines[4].text, "KORVANE.ART");
}

TEST(Splash, GradientRunsFromOneAtTheCentreToExactly255) {
    for (auto size : {std::pair{320, 200}, std::pair{1920, 1080}, std::pair{333, 201}}) {
        UseCanvas(size.first, size.second, 77);
        DrawSplash();
        EXPECT_EQ(art.randomState, 77u);  // the splash takes no random numbers
        const std::vector<bool> used = IndicesUsed();
        EXPECT_FALSE(used[0]);
        EXPECT_EQ(art.canvas[0], 255);  // the farthest pixel from the centre
        // The top row is free of text: 1 + floor(254 d / R) along it, rising to the corners.
        const double cx = size.first * 0.5, cy = size.second * 0.5;
        const double r = std::sqrt(cx * cx + cy * cy);
        for (int x = 0; x < size.first; ++x) {
            const double d = std::hypot(x - cx, cy);
            const int expected = std::min(255, 1 + static_cast<int>(std::floor(254 * d / r)));
            ASSERT_NEAR(art.canvas[x], expected, 1) << x;
        }
    }
    UseCanvas(1920, 1080);
    DrawSplash();
    EXPECT_EQ(art.canvas[540 * 1920 + 959], 1);  // beside the centre, in a gap of the text
    ReleaseTestState();
}

TEST(Splash, EachLineIsWrittenInItsColourWhereItHasInk) {
    // Later lines overwrite earlier ones: at 320 x 200 the site label overlaps the key hint.
    UseCanvas(320, 200);
    DrawSplash();
    const std::vector<uint8_t> splash = CanvasCopy();
    std::memset(art.canvas, 0, 320 * 200);
    for (const SplashLine& line : ComputeSplashLayout(320, 200, 2, 4).lines)
        DrawCanvasText(line.x, line.y, line.text, line.colourIndex, line.scale);
    int ink = 0;
    for (int i = 0; i < 320 * 200; ++i) {
        if (art.canvas[i] == 0) continue;
        ++ink;
        ASSERT_EQ(splash[i], art.canvas[i]) << i;
    }
    EXPECT_GT(ink, 2000);
    EXPECT_EQ(splash[142 * 320 + 0], 200);  // the clipped tag line keeps its visible part
    ReleaseTestState();
}
