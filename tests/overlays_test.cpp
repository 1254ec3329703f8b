#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/frame.h"
#include "tests/fake_platform.h"
#include "tests/test_support.h"
#include "text/overlays.h"

namespace {
uint32_t& Pixel(int x, int y) { return art.dibPixels[static_cast<size_t>(y) * art.canvasWidth + x]; }
uint8_t CanvasAt(int x, int y) { return art.canvas[static_cast<size_t>(y) * art.canvasWidth + x]; }

void FillFrame(uint32_t colour) {
    for (size_t i = 0; i < static_cast<size_t>(art.canvasWidth) * art.canvasHeight; ++i)
        art.dibPixels[i] = colour;
}

std::string StatusLine() {
    char line[256];
    FormatStatusLine(line, sizeof line);
    return line;
}

// A frame at this size with the clock at 50000 and the last input at `inputTick`.
void UseFrameAt(int w, int h, uint32_t inputTick = 0) {
    UseCanvasWithFrame(w, h);
    fake.tick = 50000;
    art.lastInputTick = inputTick;
}
}  // namespace

TEST(HelpScreen, LayoutFigures) {
    HelpLayout l = ComputeHelpLayout(1920, 1080, 2);
    EXPECT_EQ(l.a, 3);
    EXPECT_EQ(l.t, 4);
    EXPECT_EQ(l.line, 33);
    EXPECT_EQ(l.keyW, 108);   // "CTRL-S"
    EXPECT_EQ(l.textW, 684);  // "CYCLE PALETTE PRESET (SHIFT-P REVERSE)"
    EXPECT_EQ(l.left, 546);
    EXPECT_EQ(l.textX, 690);
    EXPECT_EQ(l.top, 4);  // the formula gives -2
    EXPECT_EQ(l.titleX, 780);
    EXPECT_EQ(l.keysY, 98);
    EXPECT_EQ(l.modesY, 725);

    l = ComputeHelpLayout(1366, 768, 1);
    EXPECT_EQ(l.a, 2);
    EXPECT_EQ(l.t, 3);
    EXPECT_EQ(l.line, 22);
    EXPECT_EQ(l.left, 407);
    EXPECT_EQ(l.top, 21);

    l = ComputeHelpLayout(320, 200, 1);
    EXPECT_EQ(l.left, -116);
    EXPECT_EQ(l.top, 4);
}

TEST(HelpScreen, DrawsOnBlackInItsFourIndices) {
    UseCanvas(1920, 1080);
    std::memset(art.canvas, 9, 1920 * 1080);
    DrawHelpScreen();
    EXPECT_EQ(CanvasAt(780, 4), 255);         // title "K", top-left font pixel
    EXPECT_EQ(CanvasAt(546, 98), 220);        // "KEYS"
    EXPECT_EQ(CanvasAt(606, 131), 200);       // "1" of "1-9", right-aligned to 654
    EXPECT_EQ(CanvasAt(690, 131), 180);       // "DRAWING MODE"
    EXPECT_EQ(CanvasAt(546, 725), 220);       // "MODES"
    EXPECT_EQ(CanvasAt(639, 1022), 200);      // "9", the last mode row
    EXPECT_EQ(CanvasAt(690, 1022), 180);      // "BUDDHABROT"
    const std::vector<bool> used = IndicesUsed();
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(used[i], i == 0 || i == 180 || i == 200 || i == 220 || i == 255) << i;

    UseCanvas(320, 200);  // wider and taller than the Canvas: the visible part is drawn
    DrawHelpScreen();
    EXPECT_EQ(CanvasAt(25, 4), 255);
    EXPECT_TRUE(IndicesUsed()[180]);
    ReleaseTestState();
}

TEST(HelpScreen, ComposedOverThePictureWhichComesBackUntouched) {
    UseFrameAt(1366, 768, 50000);  // the hint would be due
    for (int i = 0; i < 256; ++i) art.palette[i] = 0x010101u * i;  // grey ramp
    for (int i = 0; i < 1366 * 768; ++i) art.canvas[i] = static_cast<uint8_t>(i % 251 + 1);
    const std::vector<uint8_t> picture = CanvasCopy();
    art.helpShown = 1;
    ComposeFrame();
    EXPECT_EQ(CanvasCopy(), picture);
    // The frame is the help screen mapped through the palette and nothing else.
    DrawHelpScreen();
    for (int i = 0; i < 1366 * 768; ++i)
        ASSERT_EQ(art.dibPixels[i], art.palette[art.canvas[i]]) << i;
    const HelpLayout l = ComputeHelpLayout(1366, 768, 1);
    EXPECT_EQ(Pixel(l.titleX, l.top), 0xFFFFFFu);
    EXPECT_EQ(Pixel(l.left, l.keysY), 0xDCDCDCu);
    EXPECT_EQ(Pixel(l.textX, l.keysY + l.line), 0xB4B4B4u);
    ReleaseTestState();
}

TEST(StatusStrip, BandAndTextPosition) {
    StripLayout l = ComputeStripLayout(768, 3);
    EXPECT_EQ(l.top, 735);
    EXPECT_EQ(l.textX, 12);
    EXPECT_EQ(l.textY, 741);
    l = ComputeStripLayout(1080, 4);
    EXPECT_EQ(l.top, 1036);
    EXPECT_EQ(l.textX, 16);
    EXPECT_EQ(l.textY, 1044);

    UseFrameAt(1920, 1080);  // input long ago: no hint
    FillFrame(0xFFC82800u);
    DrawStatusStrip(art.dibPixels);
    EXPECT_EQ(Pixel(5, 1035), 0xFFC82800u);   // above the band
    EXPECT_EQ(Pixel(5, 1036), 0x00320A00u);   // a quarter of each channel, top byte 0
    EXPECT_EQ(Pixel(1919, 1079), 0x00320A00u);
    EXPECT_EQ(Pixel(16, 1044), 0xFFE0E0E0u);  // "M" of "MODE", top-left font pixel
    EXPECT_EQ(Pixel(20, 1044), 0x00320A00u);  // its clear second column

    FillFrame(0xFFC82800u);
    art.statusStripShown = 0;
    DrawStatusStrip(art.dibPixels);
    EXPECT_EQ(Pixel(5, 1079), 0xFFC82800u);
    ReleaseTestState();
}

TEST(StatusStrip, LineForEachState) {
    ResetArtState();
    EXPECT_EQ(StatusLine(), "MODE 0  SPLASH  RANDOM  STEP 1  50MS  >>  KORVANE.ART");
    art.rotationDirection = -1;
    art.currentMode = 5;
    art.currentPreset = 10;
    art.rotationStep = 8;
    art.rotationIntervalMs = 500;
    EXPECT_EQ(StatusLine(), "MODE 5  REACTION-DIFFUSION  IBM  STEP 8  500MS  <<  KORVANE.ART");
    art.paused = 1;
    art.autoCycle = 1;
    for (int direction : {1, -1}) {
        art.rotationDirection = direction;
        const std::string line = StatusLine();
        EXPECT_EQ(line.substr(line.size() - 27), "[PAUSED]  AUTO  KORVANE.ART");
    }
    // Numbers outside the name tables never index past them.
    art.currentMode = 42;
    art.currentPreset = -3;
    EXPECT_EQ(StatusLine().substr(0, 16), "MODE 42  ?  ?  S");
    // A short buffer is cut and terminated, with nothing written past it.
    char small[12];
    std::memset(small, '#', sizeof small);
    FormatStatusLine(small, 10);
    EXPECT_STREQ(small, "MODE 42  ");
    EXPECT_EQ(small[10], '#');
    ResetArtState();
}

TEST(HelpHint, BoxAndText) {
    HintLayout l = ComputeHintLayout(1366, 768, 1, 3);
    EXPECT_EQ(l.scale, 2);
    EXPECT_EQ(l.textX, 629);
    EXPECT_EQ(l.textY, 713);
    EXPECT_EQ(l.boxLeft, 621);
    EXPECT_EQ(l.boxRight - 1, 744);
    EXPECT_EQ(l.boxTop, 709);
    EXPECT_EQ(l.boxBottom - 1, 730);
    l = ComputeHintLayout(1920, 1080, 2, 4);
    EXPECT_EQ(l.textX, 906);
    EXPECT_EQ(l.textY, 1014);
    EXPECT_EQ(l.boxLeft, 898);
    EXPECT_EQ(l.boxRight - 1, 1021);
    EXPECT_EQ(l.boxTop, 1010);
    EXPECT_EQ(l.boxBottom - 1, 1031);

    UseFrameAt(1920, 1080, 50000);
    art.statusStripShown = 0;
    FillFrame(0xFFC82800u);
    DrawHelpHint(art.dibPixels);
    EXPECT_EQ(Pixel(898, 1010), 0x003C0C00u);   // 30 % of each channel
    EXPECT_EQ(Pixel(1021, 1031), 0x003C0C00u);
    EXPECT_EQ(Pixel(897, 1010), 0xFFC82800u);   // just outside the box
    EXPECT_EQ(Pixel(1022, 1031), 0xFFC82800u);
    EXPECT_EQ(Pixel(898, 1009), 0xFFC82800u);
    EXPECT_EQ(Pixel(898, 1032), 0xFFC82800u);
    EXPECT_EQ(Pixel(906, 1014), 0xFFE0E0E0u);   // "F", top-left font pixel
    ReleaseTestState();
}

TEST(HelpHint, ShowsForOneSecondAfterInputInclusive) {
    struct Case {
        uint32_t input, now;
        bool shown;
    };
    for (Case c : {Case{5000, 6000, true}, Case{5000, 6001, false}, Case{5000, 5000, true},
                   Case{0xFFFFFF00u, 0x100, true}, Case{0xFFFFFF00u, 0x2E9, false}}) {
        UseCanvasWithFrame(320, 200);
        art.lastInputTick = c.input;
        fake.tick = c.now;
        DrawHelpHint(art.dibPixels);
        const HintLayout l = ComputeHintLayout(320, 200, 1, 2);
        EXPECT_EQ(Pixel(l.textX, l.textY) == 0xFFE0E0E0u, c.shown) << c.input << " " << c.now;
    }
    art.hintEnabled = 0;
    fake.tick = art.lastInputTick;
    DrawHelpHint(art.dibPixels);
    EXPECT_EQ(Pixel(106, 156), 0u);
    ReleaseTestState();
}

TEST(Overlays, ComposedFrameDarkensStripAndHintOnceEach) {
    UseFrameAt(1920, 1080, 50000);
    for (int i = 0; i < 256; ++i) art.palette[i] = 0xC82800u;
    ComposeFrame();
    EXPECT_EQ(Pixel(0, 0), 0xC82800u);
    EXPECT_EQ(Pixel(0, 1040), 0x320A00u);    // strip only
    EXPECT_EQ(Pixel(898, 1020), 0x3C0C00u);  // hint only: the box ends above the band
    EXPECT_EQ(Pixel(898, 1036), 0x320A00u);
    ReleaseTestState();
}
