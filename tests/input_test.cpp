#include <gtest/gtest.h>

#include <vector>

#include "app/input.h"
#include "app/keys.h"
#include "palette/presets.h"
#include "tests/fake_platform.h"
#include "tests/test_support.h"

namespace {

constexpr int32_t kKill = -1;

// A Canvas with frame pixels, the clock at a known tick and an empty call record.
void Start(int mode = 1) {
    UseCanvasWithFrame(320, 200, 0x1234567);
    art.currentMode = mode;
    fake.tick = 100000;
}

void Press(int key, bool ctrl = false, bool shift = false) { HandleKey(key, ctrl, shift); }

// Clears the record of timer calls and refreshes.
void Forget() {
    fake.timerCalls.clear();
    fake.invalidations = 0;
}

::testing::AssertionResult CallsAre(std::vector<FakeTimerCall> expected) {
    const std::vector<FakeTimerCall>& got = fake.timerCalls;
    bool same = got.size() == expected.size();
    for (size_t i = 0; same && i < got.size(); ++i) {
        same = got[i].id == expected[i].id && got[i].intervalMs == expected[i].intervalMs;
    }
    if (same) return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "timer calls were:";
    for (const FakeTimerCall& c : got) failure << " (" << c.id << ", " << c.intervalMs << ")";
    return failure;
}

}  // namespace

TEST(Input, CreationStartsRotationSplashAndHintTimers) {
    Start(0);
    art.rotationIntervalMs = 1000;  // as --speed 1000 leaves it
    HandleCreate();
    EXPECT_TRUE(CallsAre({{1, 1000}, {2, 3000}, {4, 200}}));
    EXPECT_EQ(fake.invalidations, 0);
    ReleaseTestState();
}

TEST(Input, DigitsChooseTheirModeAndOnlyEightRunsTheZoomTimer) {
    Start(0);
    for (int digit = 1; digit <= 9; ++digit) {
        Forget();
        Press(kKeyDigit1 + digit - 1, digit == 3, digit == 6);  // modifiers change nothing
        EXPECT_EQ(art.currentMode, digit);
        EXPECT_TRUE(CallsAre({{5, digit == 8 ? 120 : kKill}})) << digit;
        EXPECT_EQ(fake.invalidations, 1) << digit;
    }
    ReleaseTestState();
}

TEST(Input, UnlistedKeysOnlyNoteTheInputTime) {
    Start(3);
    std::vector<uint8_t> picture = CanvasCopy();
    // 0, the numeric pad's 1 and 8, A, F2, F10, Ctrl and Shift themselves.
    for (int key : {0x30, 0x61, 0x68, 0x41, 0x71, 0x79, 0x11, 0x10}) {
        fake.tick += 7;
        Press(key, true, true);
        EXPECT_EQ(art.lastInputTick, fake.tick) << key;
    }
    EXPECT_EQ(fake.invalidations, 0);
    EXPECT_TRUE(fake.timerCalls.empty());
    EXPECT_EQ(art.currentMode, 3);
    EXPECT_EQ(CanvasCopy(), picture);
    ReleaseTestState();
}

TEST(Input, EscapeHidesHelpFirstThenDrawsANewPicture) {
    Start(1);
    Press(kKeyDigit1);
    std::vector<uint8_t> first = CanvasCopy();
    art.helpShown = 1;
    Forget();
    Press(kKeyEscape);
    EXPECT_EQ(art.helpShown, 0);
    EXPECT_EQ(CanvasCopy(), first);  // the picture under the help screen is kept
    EXPECT_EQ(fake.invalidations, 1);

    Press(kKeyEscape);
    EXPECT_NE(CanvasCopy(), first);
    EXPECT_EQ(art.currentMode, 1);
    EXPECT_EQ(fake.invalidations, 2);
    EXPECT_TRUE(fake.timerCalls.empty());  // Esc never touches the zoom timer
    EXPECT_EQ(fake.quitCalls, 0);          // nor ends the program

    art.currentMode = 0;
    Press(kKeyEscape);
    EXPECT_EQ(art.currentMode, 1);  // the splash screen is left for plasma
    ReleaseTestState();
}

TEST(Input, EscapeInTheZoomKeepsItsTimer) {
    Start(8);
    Press(kKeyEscape);
    EXPECT_EQ(art.currentMode, 8);
    EXPECT_TRUE(fake.timerCalls.empty());
    ReleaseTestState();
}

TEST(Input, PresetKeysWrapBothWays) {
    Start();
    art.currentPreset = 0;
    Press(kKeyP, false, true);
    EXPECT_EQ(art.currentPreset, 10);
    Press(kKeyP);
    EXPECT_EQ(art.currentPreset, 0);
    Press(kKeyP, true, false);  // Ctrl does not make it go back
    EXPECT_EQ(art.currentPreset, 1);
    Press(kKeyEnter);
    EXPECT_EQ(art.currentPreset, 1);
    EXPECT_EQ(fake.invalidations, 4);
    ReleaseTestState();
}

TEST(Input, StepKeysCycleThroughPowersOfTwo) {
    Start();
    std::vector<int> down;
    std::vector<int> up;
    for (int i = 0; i < 5; ++i) {
        Press(kKeyOpenBracket);
        down.push_back(art.rotationStep);
    }
    art.rotationStep = 1;
    for (int i = 0; i < 5; ++i) {
        Press(kKeyCloseBracket);
        up.push_back(art.rotationStep);
    }
    EXPECT_EQ(down, (std::vector<int>{8, 4, 2, 1, 8}));
    EXPECT_EQ(up, (std::vector<int>{2, 4, 8, 1, 2}));
    EXPECT_EQ(fake.invalidations, 10);
    ReleaseTestState();
}

TEST(Input, PlusAndMinusStopAtTheirLimitsButStillRefresh) {
    Start();
    // Holding + from 50 ms: nine repeats reach 5, the tenth changes nothing.
    for (int i = 0; i < 10; ++i) Press(i % 2 ? kKeyPlus : kKeyPadPlus, false, true);
    EXPECT_EQ(art.rotationIntervalMs, 5);
    EXPECT_EQ(fake.timerCalls.size(), 9u);
    EXPECT_EQ(fake.timerCalls.back().id, 1);
    EXPECT_EQ(fake.timerCalls.back().intervalMs, 5);
    EXPECT_EQ(fake.invalidations, 10);

    art.rotationIntervalMs = 500;
    Forget();
    Press(kKeyMinus);
    Press(kKeyPadMinus);
    EXPECT_EQ(art.rotationIntervalMs, 500);
    EXPECT_TRUE(fake.timerCalls.empty());
    EXPECT_EQ(fake.invalidations, 2);

    // A --speed beyond the keys' range: only the way back into it works.
    art.rotationIntervalMs = 1000;
    Press(kKeyMinus);
    EXPECT_EQ(art.rotationIntervalMs, 1000);
    Press(kKeyPlus);
    EXPECT_EQ(art.rotationIntervalMs, 995);
    art.rotationIntervalMs = 3;
    Press(kKeyPlus);
    EXPECT_EQ(art.rotationIntervalMs, 3);
    Press(kKeyMinus);
    EXPECT_EQ(art.rotationIntervalMs, 8);
    EXPECT_TRUE(CallsAre({{1, 995}, {1, 8}}));
    ReleaseTestState();
}

TEST(Input, CtrlSCyclesAutomaticallyAndSAloneTogglesTheStrip) {
    Start();
    Press(kKeyS, true, false);
    EXPECT_EQ(art.autoCycle, 1);
    Press(kKeyS, true, true);
    EXPECT_EQ(art.autoCycle, 0);
    EXPECT_TRUE(CallsAre({{3, 30000}, {3, kKill}}));
    EXPECT_EQ(art.statusStripShown, 1);

    Press(kKeyS, false, true);
    EXPECT_EQ(art.statusStripShown, 0);
    EXPECT_EQ(art.autoCycle, 0);
    art.statusStripShown = 5;  // anything but 0 toggles to 0
    Press(kKeyS);
    EXPECT_EQ(art.statusStripShown, 0);
    EXPECT_EQ(fake.invalidations, 4);
    EXPECT_EQ(fake.timerCalls.size(), 2u);
    ReleaseTestState();
}

TEST(Input, TogglesAndDirectionRefresh) {
    Start();
    Press(kKeySpace);
    EXPECT_EQ(art.paused, 1);
    Press(kKeySpace);
    EXPECT_EQ(art.paused, 0);
    Press(kKeyR, false, true);
    EXPECT_EQ(art.rotationDirection, -1);
    Press(kKeyR);
    EXPECT_EQ(art.rotationDirection, 1);
    Press(kKeyF1);
    EXPECT_EQ(art.helpShown, 1);
    Press(kKeyF1);
    EXPECT_EQ(art.helpShown, 0);
    EXPECT_EQ(fake.invalidations, 6);
    ReleaseTestState();
}

TEST(Input, WindowKeysAskThePlatformAndDoNotRefresh) {
    Start();
    Press(kKeyF11);
    EXPECT_EQ(fake.fullScreenToggles, 1);
    fake.snapshotResult = -3;
    Press(kKeyF12);
    EXPECT_EQ(fake.snapshots, 1);
    Press(kKeyQ);
    Press(kKeyX, true, true);
    EXPECT_EQ(fake.quitCalls, 2);
    EXPECT_EQ(fake.lastExitCode, 0);
    EXPECT_EQ(fake.invalidations, 0);
    EXPECT_EQ(art.lastInputTick, fake.tick);
    ReleaseTestState();
}

TEST(Input, RightButtonMovesToTheNextModeAndWraps) {
    Start(7);
    HandleRightButton();
    EXPECT_EQ(art.currentMode, 8);
    HandleRightButton();
    EXPECT_EQ(art.currentMode, 9);
    HandleRightButton();
    EXPECT_EQ(art.currentMode, 1);
    EXPECT_TRUE(CallsAre({{5, 120}, {5, kKill}, {5, kKill}}));
    EXPECT_EQ(fake.invalidations, 3);
    EXPECT_EQ(art.lastInputTick, fake.tick);

    art.currentMode = 0;
    HandleRightButton();
    EXPECT_EQ(art.currentMode, 1);
    ReleaseTestState();
}

TEST(Input, LeftButtonRedrawsTheModeAndRestartsTheZoom) {
    Start(0);
    HandleLeftButton();
    EXPECT_EQ(art.currentMode, 1);
    std::vector<uint8_t> first = CanvasCopy();
    HandleLeftButton();
    EXPECT_NE(CanvasCopy(), first);
    EXPECT_TRUE(fake.timerCalls.empty());

    art.currentMode = 8;
    HandleLeftButton();
    EXPECT_EQ(art.currentMode, 8);
    EXPECT_TRUE(CallsAre({{5, 120}}));
    EXPECT_EQ(fake.invalidations, 3);
    EXPECT_EQ(art.lastInputTick, fake.tick);
    ReleaseTestState();
}

TEST(Input, WheelActsAsPlusAndMinusAndAlwaysRefreshes) {
    Start();
    HandleWheel(120);
    EXPECT_EQ(art.rotationIntervalMs, 45);
    HandleWheel(-240);
    HandleWheel(0);  // no movement counts as towards the user
    EXPECT_EQ(art.rotationIntervalMs, 55);
    EXPECT_TRUE(CallsAre({{1, 45}, {1, 50}, {1, 55}}));

    art.rotationIntervalMs = 5;
    Forget();
    HandleWheel(120);
    EXPECT_EQ(art.rotationIntervalMs, 5);
    EXPECT_TRUE(fake.timerCalls.empty());
    EXPECT_EQ(fake.invalidations, 1);
    EXPECT_EQ(art.lastInputTick, fake.tick);
    ReleaseTestState();
}

TEST(Timers, RotationStandsStillWhilePausedOrOnTheSplash) {
    Start(0);
    HandleTimer(kTimerRotation);
    EXPECT_EQ(fake.invalidations, 0);
    art.currentMode = 2;
    art.paused = 1;
    HandleTimer(kTimerRotation);
    EXPECT_EQ(fake.invalidations, 0);
    art.paused = 0;
    HandleTimer(kTimerRotation);
    EXPECT_EQ(fake.invalidations, 1);
    ReleaseTestState();
}

TEST(Timers, SplashTimerLeavesForTheChosenModeOnlyOnce) {
    struct Case {
        int32_t modeOption;
        int expectedMode;
        bool zoom;
    };
    for (Case c : {Case{0, 1, false}, Case{8, 8, true}, Case{12, 1, false}, Case{-3, 1, false}}) {
        Start(0);
        art.modeOption = c.modeOption;
        HandleTimer(kTimerSplash);
        EXPECT_EQ(art.currentMode, c.expectedMode) << c.modeOption;
        if (c.zoom) {
            EXPECT_TRUE(CallsAre({{2, kKill}, {5, 120}}));
        } else {
            EXPECT_TRUE(CallsAre({{2, kKill}})) << c.modeOption;
        }
        EXPECT_EQ(fake.invalidations, 1);
    }
    // A mode chosen during the splash screen stays: the timer only stops itself.
    Start(0);
    Press(kKeyDigit1 + 3);
    std::vector<uint8_t> chosen = CanvasCopy();
    Forget();
    HandleTimer(kTimerSplash);
    EXPECT_EQ(art.currentMode, 4);
    EXPECT_EQ(CanvasCopy(), chosen);
    EXPECT_TRUE(CallsAre({{2, kKill}}));
    EXPECT_EQ(fake.invalidations, 0);
    ReleaseTestState();
}

TEST(Timers, AutoCycleStepsLikeTheRightButtonWithoutCountingAsInput) {
    Start(7);
    art.lastInputTick = 42;
    HandleTimer(kTimerAutoCycle);
    EXPECT_EQ(art.currentMode, 8);
    art.currentMode = 9;
    HandleTimer(kTimerAutoCycle);
    EXPECT_EQ(art.currentMode, 1);
    EXPECT_TRUE(CallsAre({{5, 120}, {5, kKill}}));
    EXPECT_EQ(fake.invalidations, 2);
    EXPECT_EQ(art.lastInputTick, 42u);
    ReleaseTestState();
}

TEST(Timers, HintTimerRefreshesFor1300MsAfterInput) {
    Start(2);
    Press(0x30);  // unlisted: no refresh of its own
    EXPECT_EQ(fake.invalidations, 0);
    fake.tick += 200;
    HandleTimer(kTimerHint);
    EXPECT_EQ(fake.invalidations, 1);  // so the hint appears within one tick
    fake.tick = art.lastInputTick + 1299;
    HandleTimer(kTimerHint);
    EXPECT_EQ(fake.invalidations, 2);
    fake.tick = art.lastInputTick + 1300;
    HandleTimer(kTimerHint);
    EXPECT_EQ(fake.invalidations, 2);

    // Across the tick count's wrap the difference is still small.
    art.lastInputTick = 0xFFFFFF00u;
    fake.tick = 0x100;
    HandleTimer(kTimerHint);
    EXPECT_EQ(fake.invalidations, 3);

    art.hintEnabled = 0;
    fake.tick = art.lastInputTick + 10;
    HandleTimer(kTimerHint);
    EXPECT_EQ(fake.invalidations, 3);
    ReleaseTestState();
}

TEST(Timers, ZoomTimerActsOnlyInTheZoomAndUnknownIdsDoNothing) {
    Start(7);
    std::vector<uint8_t> picture = CanvasCopy();
    HandleTimer(kTimerZoom);
    EXPECT_EQ(fake.invalidations, 0);
    for (uintptr_t id : {uintptr_t{0}, uintptr_t{6}, uintptr_t{1000}}) HandleTimer(id);
    EXPECT_EQ(fake.invalidations, 0);
    EXPECT_TRUE(fake.timerCalls.empty());
    EXPECT_EQ(CanvasCopy(), picture);

    art.currentMode = 8;
    HandleTimer(kTimerZoom);
    EXPECT_EQ(fake.invalidations, 1);
    ReleaseTestState();
}

TEST(Input, ColourKeysStepTheAdjustmentAndApplyIt) {
    Start();
    art.currentPreset = 1;
    NewPalette();
    std::vector<double> saturation;
    std::vector<double> brightness;
    for (int i = 0; i < 3; ++i) {
        Press(kKeyV);
        saturation.push_back(art.saturationFactor);
        Press(kKeyB, true, true);
        brightness.push_back(art.brightnessFactor);
    }
    EXPECT_EQ(saturation, (std::vector<double>{0.5, 1.5, 1.0}));
    EXPECT_EQ(brightness, (std::vector<double>{0.6, 1.4, 1.0}));

    Press(kKeyH);
    Press(kKeyH);
    Press(kKeyH, false, true);
    EXPECT_EQ(art.hueShift, 10.0);
    // The shown palette is the adjusted one; the base stays as the preset made it.
    EXPECT_NE(art.palette[128], art.basePalette[128]);
    EXPECT_EQ(fake.invalidations, 9);

    // A new palette, by Enter or P, takes every adjustment back.
    Press(kKeyV);
    Press(kKeyEnter);
    EXPECT_EQ(art.hueShift, 0.0);
    EXPECT_EQ(art.saturationFactor, 1.0);
    EXPECT_EQ(art.brightnessFactor, 1.0);
    EXPECT_EQ(art.palette[128], art.basePalette[128]);
    ReleaseTestState();
}
