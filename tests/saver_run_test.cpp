#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/keys.h"
#include "app/memory.h"
#include "app/startup.h"
#include "palette/presets.h"
#include "saver/saver_run.h"
#include "tests/fake_platform.h"
#include "tests/test_support.h"

namespace {

constexpr int32_t kKill = -1;

SaverSettings Settings(uint32_t mode, uint32_t seconds = 30, uint32_t palette = 0, uint32_t renew = 1) {
    SaverSettings s = DefaultSaverSettings();
    s.values[kSettingMode] = mode;
    s.values[kSettingSecondsPerMode] = seconds;
    s.values[kSettingPalette] = palette;
    s.values[kSettingNewPaletteEach] = renew;
    return s;
}

// The preview's Canvas with frame pixels, these settings applied and the first
// palette built, as the shell prepares them.
void Start(const SaverSettings& settings) {
    UseCanvasWithFrame(320, 200, 0x2468ACE);
    ApplySaverSettings(settings);
    NewPalette();
}

bool TimerSet(int id, int32_t interval) {
    for (const FakeTimerCall& c : fake.timerCalls) {
        if (c.id == id && c.intervalMs == interval) return true;
    }
    return false;
}

std::vector<uint32_t> BasePalette() { return std::vector<uint32_t>(art.basePalette, art.basePalette + 256); }

}  // namespace

TEST(SaverRun, SettingsReachTheArtStateAndTheHintStaysOff) {
    SaverSettings s = Settings(4, 45, 7, 0);
    s.values[kSettingRotationMs] = 120;
    s.values[kSettingRotationStep] = 4;
    s.values[kSettingStatusStrip] = 1;
    Start(s);
    EXPECT_EQ(art.saverModeChoice, 4);
    EXPECT_EQ(art.saverPictureMs, 45000);
    EXPECT_EQ(art.currentPreset, 7);
    EXPECT_EQ(art.saverNewPaletteEach, 0);
    EXPECT_EQ(art.rotationIntervalMs, 120);
    EXPECT_EQ(art.rotationStep, 4);
    EXPECT_EQ(art.statusStripShown, 1);
    EXPECT_EQ(art.hintEnabled, 0);
    EXPECT_EQ(art.autoCycle, 0);
    ReleaseTestState();
}

TEST(SaverRun, StartShowsTheChosenModeAtOnceWithItsTimers) {
    Start(Settings(3, 10));
    StartSaverPictures();
    EXPECT_EQ(art.currentMode, 3);  // no splash screen
    EXPECT_TRUE(TimerSet(kTimerZoom, kKill));
    EXPECT_TRUE(TimerSet(kTimerRotation, 50));
    EXPECT_TRUE(TimerSet(kTimerSaverPicture, 10000));
    EXPECT_FALSE(TimerSet(kTimerSplash, 3000));
    EXPECT_EQ(fake.invalidations, 1);
    ReleaseTestState();

    Start(Settings(8));
    StartSaverPictures();
    EXPECT_EQ(art.currentMode, 8);
    EXPECT_TRUE(TimerSet(kTimerZoom, kZoomFrameMs));
    ReleaseTestState();
}

TEST(SaverRun, AllModesInTurnStartAnywhereAndWrapFromNineToOne) {
    Start(Settings(0));
    StartSaverPictures();
    EXPECT_GE(art.currentMode, 1);
    EXPECT_LE(art.currentMode, 9);
    art.currentMode = 7;
    fake.timerCalls.clear();
    HandleSaverTimer(kTimerSaverPicture);
    EXPECT_EQ(art.currentMode, 8);
    EXPECT_TRUE(TimerSet(kTimerZoom, kZoomFrameMs));
    art.currentMode = 9;
    HandleSaverTimer(kTimerSaverPicture);
    EXPECT_EQ(art.currentMode, 1);
    EXPECT_TRUE(TimerSet(kTimerZoom, kKill));
    ReleaseTestState();
}

TEST(SaverRun, AChosenModeGetsANewPictureEachTime) {
    Start(Settings(2, 30, 3, 0));
    StartSaverPictures();
    const std::vector<uint8_t> first = CanvasCopy();
    const std::vector<uint32_t> palette = BasePalette();
    const int before = fake.invalidations;
    HandleSaverTimer(kTimerSaverPicture);
    EXPECT_EQ(art.currentMode, 2);
    EXPECT_NE(CanvasCopy(), first);
    EXPECT_EQ(BasePalette(), palette);  // no new palette unless asked for
    EXPECT_EQ(fake.invalidations, before + 1);
    ReleaseTestState();
}

TEST(SaverRun, ANewRandomPaletteWithEveryPictureWhenSet) {
    Start(Settings(1, 30, 0, 1));
    StartSaverPictures();
    const std::vector<uint32_t> palette = BasePalette();
    HandleSaverTimer(kTimerSaverPicture);
    EXPECT_NE(BasePalette(), palette);
    ReleaseTestState();
}

TEST(SaverRun, OtherTimersGoToTheProgramsHandlers) {
    Start(Settings(1));
    StartSaverPictures();
    uint32_t shown[256];
    std::memcpy(shown, art.palette, sizeof(shown));
    const std::vector<uint8_t> picture = CanvasCopy();
    HandleSaverTimer(kTimerRotation);
    EXPECT_NE(std::memcmp(shown, art.palette, sizeof(shown)), 0);  // the colours cycle
    EXPECT_EQ(CanvasCopy(), picture);                             // the picture stays
    HandleSaverTimer(99);                                          // unknown: nothing
    EXPECT_EQ(CanvasCopy(), picture);
    ReleaseTestState();
}

// The Canvas of the full screen, with allocations refused as a machine out of memory
// would: one picture across all falls back to the same picture on each monitor, and
// a failed attempt leaves no block behind.
TEST(SaverRun, CanvasTooLargeForOnePictureAcrossAllGivesTheSameOnEach) {
    const ArtRect monitors[2] = {{0, 0, 1280, 1024}, {9280, 0, 10304, 768}};
    struct Case {
        int choice;
        int failFirst;      // refuse the first allocation(s)
        bool failOnward;    // and every one after it
        int32_t expectChoice;
        int32_t expectWidth;  // 0: no Canvas at all
    } cases[] = {
        {kMonitorsSpan, 0, false, kMonitorsSpan, 10304},
        {kMonitorsSpan, 1, false, kMonitorsSame, 1280},  // the span's Canvas refused
        {kMonitorsSpan, 2, false, kMonitorsSame, 1280},  // its backup refused
        {kMonitorsSpan, 1, true, kMonitorsSpan, 0},      // nothing can be had
        {kMonitorsSame, 1, false, kMonitorsSame, 0},     // no smaller plan to fall back to
        {kMonitorsPrimary, 1, false, kMonitorsPrimary, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "choice " << c.choice << ", failing from " << c.failFirst
                                        << (c.failOnward ? " on" : " once"));
        ReleaseTestState();
        const long liveBefore = ArtLiveBlockCount();
        if (c.failOnward) {
            ArtFailAllocationsFrom(c.failFirst);
        } else {
            ArtFailAllocation(c.failFirst);
        }
        SaverPane panes[kMaxSaverPanes];
        const SaverPlan plan = AllocateSaverCanvas(monitors, 2, 0, c.choice, panes);
        ArtFailAllocation(0);
        if (c.expectWidth == 0) {
            EXPECT_EQ(plan.paneCount, 0);
            EXPECT_EQ(art.canvas, nullptr);
            EXPECT_EQ(ArtLiveBlockCount(), liveBefore);
            continue;
        }
        ASSERT_EQ(plan.paneCount, 2);
        EXPECT_EQ(plan.choice, c.expectChoice);
        EXPECT_EQ(art.canvasWidth, c.expectWidth);
        EXPECT_EQ(art.canvasHeight, 1024);
        EXPECT_EQ(ArtLiveBlockCount(), liveBefore + 2);  // the Canvas and its backup only
        if (c.expectChoice == kMonitorsSame) {
            for (int i = 0; i < plan.paneCount; ++i) {
                EXPECT_EQ(panes[i].showsPicture, 1);
                EXPECT_EQ(panes[i].source.right - panes[i].source.left, 1280);  // the whole picture
            }
        }
        ReleaseBuffers();
    }
    ReleaseTestState();
}
