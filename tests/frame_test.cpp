#include <gtest/gtest.h>

#include "app/frame.h"
#include "tests/test_support.h"

TEST(FitFrame, SameSizeIsOneUnscaledCopy) {
    FrameFit f = FitFrame(1920, 1080, 1920, 1080);
    EXPECT_EQ(f.unscaled, 1);
}

TEST(FitFrame, BarsWhereTheRatiosDiffer) {
    // 1920 x 1080 in a 1264 x 761 client area (a 1280 x 800 framed window): wider bars none,
    // bars above and below.
    FrameFit f = FitFrame(1264, 761, 1920, 1080);
    EXPECT_EQ(f.unscaled, 0);
    EXPECT_EQ(f.dw, 1264);
    EXPECT_EQ(f.dh, 1264 * 1080 / 1920);
    EXPECT_EQ(f.x0, 0);
    EXPECT_EQ(f.y0, (761 - 711) / 2);
    // Relatively wider client area: bars left and right.
    f = FitFrame(1000, 300, 1920, 1080);
    EXPECT_EQ(f.dh, 300);
    EXPECT_EQ(f.dw, 300 * 1920 / 1080);
    EXPECT_EQ(f.x0, (1000 - 533) / 2);
    EXPECT_EQ(f.y0, 0);
    // Same ratio, another size: no bars.
    f = FitFrame(960, 540, 1920, 1080);
    EXPECT_EQ(f.x0, 0);
    EXPECT_EQ(f.y0, 0);
    EXPECT_EQ(f.dw, 960);
    EXPECT_EQ(f.dh, 540);
}

TEST(FitFrame, MinimisedWindowGivesAnEmptyPicture) {
    FrameFit f = FitFrame(0, 0, 1920, 1080);
    EXPECT_EQ(f.dw, 0);
    EXPECT_EQ(f.dh, 0);
    EXPECT_EQ(f.unscaled, 0);
}

TEST(ComposeFrame, MapsEveryPixelThroughThePalette) {
    UseCanvasWithFrame(320, 200);
    art.statusStripShown = 0;
    art.hintEnabled = 0;
    for (int i = 0; i < 256; ++i) art.palette[i] = 0x010203u * i;
    for (int i = 0; i < 320 * 200; ++i) art.canvas[i] = static_cast<uint8_t>(i * 7);
    ComposeFrame();
    for (int i = 0; i < 320 * 200; ++i) ASSERT_EQ(art.dibPixels[i], art.palette[art.canvas[i]]);
    ReleaseTestState();
}

TEST(ComposeFrame, NoFramePixelsDoesNothing) {
    UseCanvas(320, 200);
    ComposeFrame();  // must not touch a missing frame
    SUCCEED();
    ReleaseTestState();
}
