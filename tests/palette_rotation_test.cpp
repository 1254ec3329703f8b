#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/art_state.h"
#include "palette/palette.h"

namespace {

// A running picture (mode 1) whose palettes hold a distinct value at every ring index.
void UseNumberedRing() {
    ResetArtState();
    art.currentMode = 1;
    for (uint32_t i = 1; i < 256; ++i) art.basePalette[i] = art.palette[i] = i * 0x010203u;
}

std::vector<uint32_t> Palette() { return {art.palette, art.palette + 256}; }
std::vector<uint32_t> Base() { return {art.basePalette, art.basePalette + 256}; }

// Where an entry at index p stands after one tick with ring offset k.
int MovedIndex(int p, int offset) { return 1 + ((p - 1 - offset) % 255 + 255) % 255; }

}  // namespace

TEST(RotatePalette, EveryReachableStepAndDirection) {
    struct Case {
        int step, direction, offset;
    };
    const Case cases[] = {{1, 1, 1},    {2, 1, 2},    {4, 1, 4},    {8, 1, 8},
                          {1, -1, 254}, {2, -1, 253}, {4, -1, 251}, {8, -1, 247}};
    for (const Case& c : cases) {
        UseNumberedRing();
        art.rotationStep = c.step;
        art.rotationDirection = c.direction;
        std::vector<uint32_t> before = Palette();
        ASSERT_TRUE(RotatePalette());
        for (int j = 1; j < 256; ++j) {
            ASSERT_EQ(art.palette[j], before[1 + (c.offset + j - 1) % 255]) << c.step << " " << c.direction << " " << j;
        }
        EXPECT_EQ(art.palette[0], 0u);
        EXPECT_EQ(Base(), Palette());
    }

    // The named cases, written out: offset 1 moves colours down, 254 up, 247 takes 248.
    UseNumberedRing();
    RotatePalette();
    EXPECT_EQ(art.palette[1], 2 * 0x010203u);
    EXPECT_EQ(art.palette[255], 1 * 0x010203u);
    UseNumberedRing();
    art.rotationDirection = -1;
    RotatePalette();
    EXPECT_EQ(art.palette[1], 255 * 0x010203u);
    UseNumberedRing();
    art.rotationStep = 8;
    art.rotationDirection = -1;
    RotatePalette();
    EXPECT_EQ(art.palette[1], 248 * 0x010203u);
}

TEST(RotatePalette, FullTurnReturnsTheRingAndOddStepsStaySafe) {
    for (int step : {1, 8}) {
        UseNumberedRing();
        art.rotationStep = step;
        art.rotationDirection = -1;
        std::vector<uint32_t> start = Palette();
        for (int tick = 0; tick < 254; ++tick) RotatePalette();
        EXPECT_NE(Palette(), start);
        RotatePalette();
        EXPECT_EQ(Palette(), start) << step;
        EXPECT_EQ(Base(), start);
    }
    // Steps the keys never make still rotate by the ring's remainder, without overflow;
    // a multiple of 255 (or zero) is a whole turn and leaves the ring as it is.
    for (int step : {0, 255, 510}) {
        UseNumberedRing();
        art.rotationStep = step;
        std::vector<uint32_t> start = Palette();
        EXPECT_TRUE(RotatePalette());
        EXPECT_EQ(Palette(), start) << step;
    }
    UseNumberedRing();
    art.rotationStep = 2147483647;
    art.rotationDirection = -1;
    std::vector<uint32_t> start = Palette();
    RotatePalette();  // -2147483647 mod 255 is -127, offset 128
    EXPECT_EQ(art.palette[1], start[129]);
}

TEST(RotatePalette, PausedOrSplashDoesNothingAtAll) {
    for (int paused : {0, 1}) {
        UseNumberedRing();
        art.currentMode = paused ? 3 : 0;
        art.paused = paused;
        art.hueShift = 10;  // would change every colour if adjustment ran
        art.palette[4] = 0xABCDEF;  // the two palettes differ, as after an H press
        std::vector<uint32_t> palette = Palette(), base = Base();
        EXPECT_FALSE(RotatePalette());
        EXPECT_EQ(Palette(), palette);
        EXPECT_EQ(Base(), base);
    }
}

TEST(RotatePalette, BrightnessCompoundsToBlackInTenTicks) {
    ResetArtState();
    art.currentMode = 2;
    art.basePalette[1] = 0xFFFFFF;
    art.brightnessFactor = 0.6;
    const uint32_t expected[] = {0x999999, 0x5B5B5B, 0x363636, 0x202020, 0x131313,
                                 0x0B0B0B, 0x060606, 0x030303, 0x010101, 0x000000};
    int at = 1;
    for (uint32_t colour : expected) {
        ASSERT_TRUE(RotatePalette());
        at = MovedIndex(at, 1);
        EXPECT_EQ(art.palette[at], colour) << at;
        EXPECT_EQ(art.basePalette[at], colour);
    }
    EXPECT_EQ(at, 246);
}

TEST(RotatePalette, HueDriftsTenDegreesPerTick) {
    ResetArtState();
    art.currentMode = 2;
    art.rotationStep = 4;
    art.basePalette[200] = 0xC82800;
    art.hueShift = 10;
    int at = 200;
    for (uint32_t colour : {0xC84900u, 0xC86A00u, 0xC88B00u}) {
        RotatePalette();
        at = MovedIndex(at, 4);
        EXPECT_EQ(art.palette[at], colour) << at;
    }
    // Index 0 and the rest of the black ring never pick up a colour.
    for (int i = 0; i < 256; ++i) {
        if (i != at) {
            ASSERT_EQ(art.palette[i], 0u) << i;
        }
    }
}
