#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/art_state.h"
#include "app/memory.h"
#include "export/offline_job.h"
#include "export/recipe.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "palette/palette.h"
#include "palette/presets.h"
#include "tests/fake_platform.h"
#include "tests/test_support.h"

namespace {
// What a job leaves behind that a picture is made of.
struct Outcome {
    int32_t width;
    int32_t height;
    std::vector<uint8_t> canvas;
    std::vector<uint32_t> palette;
    std::vector<uint32_t> basePalette;
    uint32_t randomState;
    int32_t mode;
};

Outcome Capture() {
    Outcome o;
    o.width = art.canvasWidth;
    o.height = art.canvasHeight;
    o.canvas = CanvasCopy();
    o.palette.assign(art.palette, art.palette + 256);
    o.basePalette.assign(art.basePalette, art.basePalette + 256);
    o.randomState = art.randomState;
    o.mode = art.currentMode;
    return o;
}

void ExpectSame(const Outcome& a, const Outcome& b) {
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_TRUE(a.canvas == b.canvas);
    EXPECT_EQ(a.palette, b.palette);
    EXPECT_EQ(a.basePalette, b.basePalette);
    EXPECT_EQ(a.randomState, b.randomState);
    EXPECT_EQ(a.mode, b.mode);
}

void Fresh() {
    ReleaseOfflineJob();
    ReleaseTestState();
    ResetFakePlatform();
    ArtFailAllocation(0);
}

Outcome RunJob(const OfflineOptions& o, uint32_t seed) {
    Fresh();
    EXPECT_EQ(RunOfflineJob(o, seed), 0);
    Outcome out = Capture();
    return out;
}

OfflineOptions Small(int32_t mode, int32_t preset) {
    OfflineOptions o;
    o.width = 320;
    o.height = 200;
    o.mode = mode;
    o.preset = preset;
    return o;
}

// The running program: start-up, then the user's key presses, then timer ticks.
// Each press of H, V or B changes its parameter by the key rule and adjusts at once.
struct Presses {
    int h;
    int shiftH;
    int v;
    int b;
};
Outcome RunAsTheProgram(int32_t w, int32_t h, uint32_t seed, int32_t preset, int32_t mode, int zoomTicks,
                        Presses keys, int32_t step, int32_t direction, int32_t paused, int ticks) {
    Fresh();
    EXPECT_EQ(AllocateCanvas(w, h), 0);
    art.randomState = seed;
    art.currentPreset = preset;
    NewPalette();
    SelectMode(mode);
    for (int i = 0; i < zoomTicks; ++i) {
        if (art.currentMode == 8) DrawMandelbrotZoom();
    }
    for (int i = 0; i < keys.h; ++i) {
        art.hueShift = HueShiftedBy(art.hueShift, false);
        AdjustPalette();
    }
    for (int i = 0; i < keys.shiftH; ++i) {
        art.hueShift = HueShiftedBy(art.hueShift, true);
        AdjustPalette();
    }
    for (int i = 0; i < keys.v; ++i) {
        art.saturationFactor = NextSaturationFactor(art.saturationFactor);
        AdjustPalette();
    }
    for (int i = 0; i < keys.b; ++i) {
        art.brightnessFactor = NextBrightnessFactor(art.brightnessFactor);
        AdjustPalette();
    }
    art.rotationStep = step;
    art.rotationDirection = direction;
    art.paused = paused;
    for (int i = 0; i < ticks; ++i) RotatePalette();
    return Capture();
}
}  // namespace

TEST(OfflineJob, GivesWhatTheProgramShowsAfterTheSameActions) {
    // Plasma from a random palette, hue +20 (H twice), 7 ticks of step 2.
    OfflineOptions o = Small(1, 0);
    o.hueShift = 20.0;
    o.ticks = 7;
    o.step = 2;
    ExpectSame(RunJob(o, 4242), RunAsTheProgram(320, 200, 4242, 0, 1, 0, {2, 0, 0, 0}, 2, 1, 0, 7));

    // Splash, FIRE, saturation 0.5 (V once) and brightness 1.4 (B twice): the splash
    // does not rotate, so the ticks change nothing and the adjustment shows as applied once.
    o = Small(0, 1);
    o.saturationFactor = 0.5;
    o.brightnessFactor = 1.4;
    o.ticks = 5;
    ExpectSame(RunJob(o, 99), RunAsTheProgram(320, 200, 99, 1, 0, 0, {0, 0, 1, 2}, 1, 1, 0, 5));

    // The zoom with three timer frames, hue -10, step 8 backwards, paused.
    o = Small(8, 6);
    o.zoomFrames = 3;
    o.hueShift = -10.0;
    o.ticks = 4;
    o.step = 8;
    o.direction = -1;
    o.paused = 1;
    ExpectSame(RunJob(o, 0xBADC0DE), RunAsTheProgram(320, 200, 0xBADC0DE, 6, 8, 3, {0, 1, 0, 0}, 8, -1, 1, 4));

    // Out-of-range modes land in plasma; zoom frames mean nothing outside the zoom.
    o = Small(12, 3);
    o.zoomFrames = 5;
    Outcome fallback = RunJob(o, 5);
    EXPECT_EQ(fallback.mode, 1);
    ExpectSame(fallback, RunAsTheProgram(320, 200, 5, 3, 1, 0, {0, 0, 0, 0}, 1, 1, 0, 0));
    Fresh();
}

TEST(OfflineJob, SeedsReproduceAndZeroIsTheProgramsFallback) {
    OfflineOptions o = Small(1, 0);
    Outcome first = RunJob(o, 777);
    ExpectSame(first, RunJob(o, 777));
    Outcome other = RunJob(o, 778);
    EXPECT_NE(first.palette, other.palette);
    EXPECT_FALSE(first.canvas == other.canvas);

    OfflineOptions seeded;
    seeded.seedGiven = 1;
    seeded.seed = 0;
    EXPECT_EQ(EffectiveSeed(seeded, 12345), 0xC0FFEEu);
    seeded.seed = 42;
    EXPECT_EQ(EffectiveSeed(seeded, 12345), 42u);
    EXPECT_EQ(EffectiveSeed(OfflineOptions{}, 12345), 12345u);  // no --seed: the clock's
    Fresh();
}

TEST(OfflineJob, TicksAfterAnAdjustmentCompound) {
    // FIRE's index 128 is 0xC82800. One adjustment by +10 degrees shows 0xC84900 and
    // leaves BasePalette alone; each tick then turns the ring 10 degrees further and
    // one place down, so three ticks put 0xC88B00 at index 125.
    OfflineOptions o = Small(1, 1);
    o.hueShift = 10.0;
    Outcome once = RunJob(o, 1);
    EXPECT_EQ(once.palette[128], 0xC84900u);
    EXPECT_EQ(once.basePalette[128], 0xC82800u);
    o.ticks = 3;
    Outcome compounded = RunJob(o, 1);
    EXPECT_EQ(compounded.palette[125], 0xC88B00u);
    EXPECT_EQ(compounded.basePalette[125], 0xC88B00u);

    // Brightness 0.6 fades white towards black tick by tick: GRAY's 255 reads 0x363636
    // after three ticks, moved three places down.
    o = Small(1, 4);
    o.brightnessFactor = 0.6;
    o.ticks = 3;
    EXPECT_EQ(RunJob(o, 1).palette[252], 0x363636u);
    Fresh();
}

TEST(OfflineJob, SkippedWholeTurnsMatchEveryTickRun) {
    // Without an adjustment the job skips whole turns of the ring; it must land where
    // the program's ticks, all of them, land.
    for (int32_t step : {1, 2, 4, 8}) {
        for (int32_t direction : {1, -1}) {
            OfflineOptions o = Small(1, 7);
            o.step = step;
            o.direction = direction;
            o.ticks = 255 * 2 + 37;
            ExpectSame(RunJob(o, 3), RunAsTheProgram(320, 200, 3, 7, 1, 0, {0, 0, 0, 0}, step, direction, 0,
                                                     255 * 2 + 37));
        }
    }
    OfflineOptions o = Small(1, 7);
    o.ticks = 255;
    Outcome turned = RunJob(o, 3);
    o.ticks = 0;
    EXPECT_EQ(turned.palette, RunJob(o, 3).palette);
    Fresh();
}

TEST(OfflineJob, ARecipesTicksAreTurnsMadeBeforeThePause) {
    // The command line's ticks are the timer's: paused, they do nothing, and the recipe
    // says no turn was made. A recipe's ticks turn the colours even when it is paused,
    // as a picture saved after the colours turned and then paused needs.
    OfflineOptions o = Small(1, 7);
    o.ticks = 9;
    Outcome turned = RunJob(o, 3);
    o.paused = 1;
    Recipe recipe;
    Fresh();
    EXPECT_EQ(RunOfflineJob(o, 3, &recipe), 0);
    EXPECT_EQ(recipe.ticks, 0);
    o.ticksTurned = 1;
    Outcome reopened = RunJob(o, 3);
    EXPECT_EQ(reopened.palette, turned.palette);
    Fresh();
}

TEST(OfflineJob, TheScreensRecipeCountsTheTurnsTheJobMade) {
    // The shells' recipe counts the turns as the palette rotates; it must give the
    // ticks the renderer's own recipe gives for the same turns.
    struct Case {
        int32_t step, direction, ticks, paused;
        double hue;
    };
    const Case cases[] = {{1, 1, 37, 0, 0.0}, {8, -1, 255 * 2 + 37, 0, 0.0}, {2, 1, 3, 0, 10.0},
                          {4, -1, 9, 1, 0.0}, {1, 1, 255, 0, 0.0}};
    for (const Case& c : cases) {
        OfflineOptions o = Small(1, 7);
        o.step = c.step;
        o.direction = c.direction;
        o.ticks = c.ticks;
        o.paused = c.paused;
        o.hueShift = c.hue;
        Recipe recipe;
        Fresh();
        ASSERT_EQ(RunOfflineJob(o, 3, &recipe), 0);
        EXPECT_EQ(ScreenRecipe(1, 3, 7, 0).ticks, recipe.ticks) << c.step << " " << c.direction << " " << c.ticks;
    }
    Fresh();
}

TEST(OfflineJob, FailedBuffersAreAnErrorAndLeaveNothing) {
    // 1: the Canvas, 2: its backup, 3: the frame pixels of an RGB picture.
    for (int nth : {1, 2, 3}) {
        Fresh();
        OfflineOptions o = Small(1, 4);
        o.overlay = kOverlayStrip;
        ArtFailAllocation(nth);
        EXPECT_EQ(RunOfflineJob(o, 1), -1) << nth;
        EXPECT_EQ(art.canvas, nullptr);
        EXPECT_EQ(art.canvasBackup, nullptr);
        EXPECT_EQ(art.dibPixels, nullptr);
    }
    // A mode refused its scratch draws nothing, which must not pass for a picture.
    // The third allocation of an indexed picture is the mode's first: Voronoi's seeds,
    // the reaction-diffusion grid, the zoom's buffer, the Buddhabrot's orbits.
    for (int32_t mode : {2, 5, 8, 9}) {
        Fresh();
        OfflineOptions o = Small(mode, 4);
        ArtFailAllocation(3);
        EXPECT_EQ(RunOfflineJob(o, 1), -1) << mode;
        EXPECT_EQ(art.canvas, nullptr);
        EXPECT_EQ(art.zoomBuffer, nullptr);
        // With nothing refused the same job succeeds.
        Fresh();
        EXPECT_EQ(RunOfflineJob(o, 1), 0) << mode;
    }
    Fresh();
}

TEST(OfflineJob, ZoomFramesFallDueEvery120Ms) {
    // 50 ms frames: the zoom timer fires at 120, 240, 360, ... so frames 3, 5, 8, 10
    // and 12 (150, 250, 400, 500 and 600 ms) each bring one zoom frame.
    std::vector<int32_t> due;
    for (int32_t frame = 1; frame <= 13; ++frame) due.push_back(ZoomFramesDue(frame, 50));
    EXPECT_EQ(due, (std::vector<int32_t>{0, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0}));
    EXPECT_EQ(ZoomFramesDue(1, 120), 1);  // a multiple of 120 counts at the frame itself
    EXPECT_EQ(ZoomFramesDue(1, 300), 2);
    EXPECT_EQ(ZoomFramesDue(2, 300), 3);
    EXPECT_EQ(ZoomFramesDue(0, 300), 0);
    // Over any run the frames add up to the time elapsed, even at the longest delays.
    for (int32_t delay : {1, 7, 50, 119, 121, 1000, kOfflineMaxDelayMs}) {
        int64_t sum = 0;
        for (int32_t frame = 1; frame <= 2000; ++frame) sum += ZoomFramesDue(frame, delay);
        EXPECT_EQ(sum, int64_t{2000} * delay / 120) << delay;
    }
    EXPECT_EQ(ZoomFramesDue(kOfflineMaxFrames, kOfflineMaxDelayMs),
              static_cast<int32_t>(int64_t{kOfflineMaxFrames} * kOfflineMaxDelayMs / 120 -
                                   int64_t{kOfflineMaxFrames - 1} * kOfflineMaxDelayMs / 120));
}

