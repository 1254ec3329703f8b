#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/art_state.h"
#include "palette/palette.h"

namespace {

// A fresh state whose BasePalette is filled with one colour throughout the ring.
void UseBaseColour(uint32_t colour) {
    ResetArtState();
    for (int i = 1; i < 256; ++i) art.basePalette[i] = colour;
}

uint32_t AdjustedWith(uint32_t colour, double hue, double saturation, double brightness) {
    UseBaseColour(colour);
    art.hueShift = hue;
    art.saturationFactor = saturation;
    art.brightnessFactor = brightness;
    AdjustPalette();
    return art.palette[77];
}

}  // namespace

TEST(HsvToRgb, KnownColoursAndClamping) {
    EXPECT_EQ(HsvToRgb(0, 1, 1), 0xFF0000u);
    EXPECT_EQ(HsvToRgb(120, 1, 1), 0x00FF00u);
    EXPECT_EQ(HsvToRgb(240, 1, 1), 0x0000FFu);
    EXPECT_EQ(HsvToRgb(-30, 1, 1), 0xFF007Fu);     // negative hue wraps, channel truncated
    EXPECT_EQ(HsvToRgb(400, 0.5, 1), 0xFFD47Fu);   // hue above a turn wraps
    EXPECT_EQ(HsvToRgb(200, 2, -1), 0x000000u);    // clamped before use
    EXPECT_EQ(HsvToRgb(720 + 300, 1, 1), 0xFF00FFu);
    EXPECT_EQ(HsvToRgb(37, 0, 0.5), 0x7F7F7Fu);    // no saturation: grey whatever the hue
}

TEST(HsvToRgb, NonFiniteInputsGiveDefinedColours) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(HsvToRgb(nan, 1, 1), 0xFF0000u);
    EXPECT_EQ(HsvToRgb(inf, 1, 1), 0xFF0000u);
    EXPECT_EQ(HsvToRgb(90, nan, nan), 0x000000u);
    EXPECT_EQ(HsvToRgb(90, 0, inf), 0xFFFFFFu);
}

TEST(AdjustPalette, ConvertsWithTruncation) {
    EXPECT_EQ(AdjustedWith(0xC82800, 360, 1.0, 1.0), 0xC82700u);  // a full turn still loses a bit
    EXPECT_EQ(AdjustedWith(0xC82800, 10, 1.0, 1.0), 0xC84900u);
    EXPECT_EQ(AdjustedWith(0xC82800, 0, 0.5, 1.0), 0xC87864u);
    EXPECT_EQ(AdjustedWith(0xC82800, 0, 1.0, 0.6), 0x781700u);
    EXPECT_EQ(AdjustedWith(0xC82800, 0, 1.0, 1.4), 0xFF3200u);
    // Two channels sharing the top: yellow reads as 60 degrees, magenta as 300.
    EXPECT_EQ(AdjustedWith(0xFFFF00, 60, 1.0, 1.0), 0x00FF00u);
    EXPECT_EQ(AdjustedWith(0xFF00FF, 60, 1.0, 1.0), 0xFF0000u);
}

TEST(AdjustPalette, GreysStayGreyAndBlackStaysBlack) {
    for (uint32_t grey : {0x000000u, 0x010101u, 0x808080u, 0xFFFFFFu}) {
        for (double hue : {10.0, -130.0, 3600.0}) EXPECT_EQ(AdjustedWith(grey, hue, 1.5, 1.0), grey) << hue;
    }
    for (double factor : {0.5, 1.5}) EXPECT_EQ(AdjustedWith(0x000000, 0, factor, 1.4), 0x000000u);
    EXPECT_EQ(AdjustedWith(0x000000, 0, 1.0, 0.6), 0x000000u);
}

TEST(AdjustPalette, NeutralIsAnExactCopyIncludingIndexZero) {
    ResetArtState();
    for (int i = 0; i < 256; ++i) art.basePalette[i] = 0x00FFFFFFu & (i * 0x9E3779B1u);
    AdjustPalette();
    for (int i = 0; i < 256; ++i) ASSERT_EQ(art.palette[i], art.basePalette[i]) << i;

    // The conversion path forces index 0 to black whatever BasePalette holds there.
    art.saturationFactor = 0.5;
    AdjustPalette();
    EXPECT_EQ(art.palette[0], 0u);
}

TEST(AdjustPalette, AppliesOnceFromTheUnchangedBase) {
    // Without rotation the base never changes, so repeated presses of H give 10, 20, 30.
    UseBaseColour(0xFF0000);
    for (double expectedHue : {10.0, 20.0, 30.0}) {
        art.hueShift = HueShiftedBy(art.hueShift, false);
        AdjustPalette();
        EXPECT_EQ(art.palette[5], HsvToRgb(expectedHue, 1, 1));
        EXPECT_EQ(art.basePalette[5], 0xFF0000u);
    }
}

TEST(AdjustmentKeys, CyclesAndExactReturnToNeutral) {
    double s = 1.0, b = 1.0;
    const double saturations[] = {0.5, 1.5, 1.0, 0.5};
    const double brightnesses[] = {0.6, 1.4, 1.0, 0.6};
    for (int press = 0; press < 4; ++press) {
        s = NextSaturationFactor(s);
        b = NextBrightnessFactor(b);
        EXPECT_EQ(s, saturations[press]);
        EXPECT_EQ(b, brightnesses[press]);
    }
    // Values off the cycle fall back onto it.
    EXPECT_EQ(NextSaturationFactor(0.59), 1.5);
    EXPECT_EQ(NextSaturationFactor(0.8), 1.0);
    EXPECT_EQ(NextBrightnessFactor(0.69), 1.4);
    EXPECT_EQ(NextBrightnessFactor(0.99), 1.0);

    // H then Shift+H lands on exactly 0.0, so the exact copy path is taken again (a
    // conversion would turn 0xC82800 into 0xC82700, as above).
    UseBaseColour(0xC82800);
    art.basePalette[9] = 0x123456;
    art.hueShift = HueShiftedBy(art.hueShift, false);
    EXPECT_EQ(art.hueShift, 10.0);
    AdjustPalette();
    art.hueShift = HueShiftedBy(art.hueShift, true);
    EXPECT_EQ(art.hueShift, 0.0);
    AdjustPalette();
    EXPECT_EQ(art.palette[9], 0x123456u);
    EXPECT_EQ(art.palette[10], 0xC82800u);
}
