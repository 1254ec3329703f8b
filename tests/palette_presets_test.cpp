#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/art_state.h"
#include "modes/random_source.h"
#include "palette/palette.h"
#include "palette/presets.h"
#include "tests/test_support.h"

namespace {

std::vector<uint32_t> Base() { return {art.basePalette, art.basePalette + 256}; }

void UsePreset(int preset, uint32_t seed = 0xC0FFEE) {
    ResetArtState();
    art.randomState = seed;
    art.currentPreset = preset;
    NewPalette();
}

}  // namespace

TEST(Presets, NamedEntries) {
    struct Entry {
        int preset, index;
        uint32_t colour;
    };
    const Entry entries[] = {
        {1, 1, 0x000000},   {1, 2, 0x010000},   {1, 128, 0xC82800}, {1, 255, 0xFFF08C},  // FIRE
        {2, 1, 0x000A28},   {2, 128, 0x1450B4}, {2, 255, 0xDCF0FF},                      // OCEAN
        {3, 1, 0x0A280F},   {3, 128, 0x3C8C1E}, {3, 255, 0xF0E6B4},                      // FOREST
        {4, 1, 0x010101},   {4, 128, 0x808080}, {4, 255, 0xFFFFFF},                      // GRAY
        {5, 1, 0x000000},   {5, 64, 0x007E7E},  {5, 128, 0x5555AA}, {5, 255, 0xFFFFFF},  // CGA
        {6, 1, 0x110044},   {6, 64, 0x650098},  {6, 128, 0xCC3399}, {6, 255, 0xFFEEAA},  // AMIGA
        {7, 1, 0x140028},   {7, 128, 0xFF5A28}, {7, 255, 0xFFFAC8},                      // SUNSET
        {8, 1, 0x000000},   {8, 128, 0x00FFC8}, {8, 255, 0x00B4FF},                      // NEON
        {9, 1, 0xFFC8C8},   {9, 128, 0xC8FFD2}, {9, 255, 0xDCC8FF},                      // PASTEL
        {10, 1, 0x000000},  {10, 2, 0x0000AA},  {10, 7, 0xAA5500},  {10, 16, 0xFFFFFF},  // IBM
        {10, 17, 0x000000}, {10, 255, 0xFFFF55},
    };
    for (const Entry& e : entries) {
        UsePreset(e.preset);
        EXPECT_EQ(art.basePalette[e.index], e.colour) << PresetNames[e.preset] << " " << e.index;
    }
}

TEST(Presets, EveryPresetResetsTheAdjustmentAndShowsItsBase) {
    for (int preset = 0; preset < kPresetCount; ++preset) {
        ResetArtState();
        art.currentPreset = preset;
        art.currentMode = 1;
        art.hueShift = 30;
        art.saturationFactor = 0.5;
        art.brightnessFactor = 1.4;
        std::memset(art.basePalette, 0x7F, sizeof art.basePalette);
        RotatePalette();  // a compounded, rotated palette to be discarded
        uint32_t seed = art.randomState;
        NewPalette();
        EXPECT_EQ(art.basePalette[0], 0u) << preset;
        EXPECT_EQ(std::vector<uint32_t>(art.palette, art.palette + 256), Base()) << preset;
        EXPECT_EQ(art.hueShift, 0.0);
        EXPECT_EQ(art.saturationFactor, 1.0);
        EXPECT_EQ(art.brightnessFactor, 1.0);
        // Only RANDOM takes numbers from the stream, and a fixed preset is always the same.
        EXPECT_EQ(StepsBetween(seed, art.randomState, 20), preset == 0 ? 9 : 0) << preset;
        if (preset != 0) {
            std::vector<uint32_t> first = Base();
            NewPalette();
            EXPECT_EQ(Base(), first) << preset;
        }
    }
}

TEST(Presets, RandomTakesNineLowBytesAndFillsStopsBackwards) {
    UsePreset(0, 0x1234567);
    uint32_t s = 0x1234567;
    for (int call = 0; call < 2; ++call) {
        uint32_t d[10];
        for (int n = 1; n <= 9; ++n) d[n] = (s = XorShift(s)) & 0xFF;
        if (call == 1) {
            std::vector<uint32_t> previous = Base();
            NewPalette();
            EXPECT_NE(Base(), previous);
        }
        EXPECT_EQ(art.randomState, s);  // the second palette used the next nine draws
        EXPECT_EQ(art.basePalette[1], d[9] << 16 | d[8] << 8 | d[7]);
        EXPECT_EQ(art.basePalette[128], d[6] << 16 | d[5] << 8 | d[4]);
        EXPECT_EQ(art.basePalette[255], d[3] << 16 | d[2] << 8 | d[1]);
    }
}

TEST(Presets, NextPresetWrapsBothWays) {
    int preset = 4;
    for (int press = 0; press < kPresetCount; ++press) preset = NextPreset(preset, false);
    EXPECT_EQ(preset, 4);
    for (int press = 0; press < kPresetCount; ++press) preset = NextPreset(preset, true);
    EXPECT_EQ(preset, 4);
    EXPECT_EQ(NextPreset(0, true), 10);
    EXPECT_EQ(NextPreset(10, false), 0);
    // A value that somehow left the range comes back into it.
    for (int odd : {-1, -12, 11, 2147483647}) {
        int next = NextPreset(odd, odd < 0);
        EXPECT_TRUE(next >= 0 && next < kPresetCount) << odd;
    }
}

TEST(FillGradient, EndsExactlyOnTheStopsAndClamps) {
    ResetArtState();
    const ColourStop two[] = {{10, 20, 30}, {250, 200, 0}};
    FillGradient(two, 2);
    EXPECT_EQ(art.basePalette[1], 0x0A141Eu);
    EXPECT_EQ(art.basePalette[255], 0xFAC800u);
    EXPECT_EQ(art.basePalette[128], 0x826E0Fu);  // t = 0.5: 10+120, 20+90, 30-15

    // Stops beyond a byte are clamped after the blend, channel by channel.
    const ColourStop wild[] = {{-40, 300, 128}, {-40, 300, 128}, {0, 0, 0}};
    FillGradient(wild, 3);
    EXPECT_EQ(art.basePalette[1], 0x00FF80u);
    EXPECT_EQ(art.basePalette[0], 0u);

    // Fewer than two stops make no gradient: one stop fills the ring, none leaves it black.
    const ColourStop one[] = {{1, 2, 3}};
    FillGradient(one, 1);
    for (int i = 1; i < 256; ++i) ASSERT_EQ(art.basePalette[i], 0x010203u) << i;
    FillGradient(one, 0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(art.basePalette[i], 0u) << i;
    art.basePalette[3] = 5;
    FillGradient(nullptr, 3);
    EXPECT_EQ(art.basePalette[3], 0u);
}
