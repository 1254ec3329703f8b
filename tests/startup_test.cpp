#include <gtest/gtest.h>

#include "app/frame.h"
#include "app/input.h"
#include "app/keys.h"
#include "app/memory.h"
#include "app/startup.h"
#include "tests/fake_platform.h"
#include "tests/test_support.h"

namespace {
// Stand-ins for monitor handles: the search keeps them without looking inside.
int monitors[3];
}  // namespace

TEST(MonitorSearch, FindsTheMonitorWithTheTargetIndexAndCountsThemAll) {
    MonitorSearch second = {1, 0, nullptr};
    MonitorSearch past = {5, 0, nullptr};
    MonitorSearch first = {0, 0, nullptr};
    for (int& m : monitors) {
        RecordMonitor(&second, &m);
        RecordMonitor(&past, &m);
        RecordMonitor(&first, &m);
    }
    EXPECT_EQ(second.found, &monitors[1]);
    EXPECT_EQ(first.found, &monitors[0]);
    EXPECT_EQ(past.found, nullptr);  // falls back to the monitor under the cursor
    EXPECT_EQ(past.seen, 3);
}

TEST(WindowPlacement, PopupCoversTheMonitorAtTheCanvasSize) {
    // A second monitor left of the primary one.
    WindowPlacement p = StartWindowPlacement({-1920, 0, 0, 1080}, 1920, 1080, 0);
    EXPECT_EQ(p.x, -1920);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.width, 1920);
    EXPECT_EQ(p.height, 1080);
    EXPECT_EQ(p.style, 0x90000000u);
    // A monitor below the smallest Canvas: the window takes the Canvas size.
    p = StartWindowPlacement({0, 0, 300, 180}, 320, 200, 0);
    EXPECT_EQ(p.width, 320);
    EXPECT_EQ(p.height, 200);
}

TEST(WindowPlacement, WindowedIsFramedAtMost1280By800NearTheCorner) {
    WindowPlacement p = StartWindowPlacement({-1920, -200, 0, 880}, 1920, 1080, 1);
    EXPECT_EQ(p.x, -1870);
    EXPECT_EQ(p.y, -150);
    EXPECT_EQ(p.width, 1280);
    EXPECT_EQ(p.height, 800);
    EXPECT_EQ(p.style, 0x10CF0000u);
    p = StartWindowPlacement({0, 0, 1024, 768}, 1024, 768, 1);
    EXPECT_EQ(p.width, 1024);
    EXPECT_EQ(p.height, 768);
}

TEST(FullScreenSwitch, BackToAWindowUsesDefaultsForWhatWasNeverSaved) {
    WindowPlacement p = FramedPlacement(0, {0, 0, 0, 0});
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 100);
    EXPECT_EQ(p.width, 1280);
    EXPECT_EQ(p.height, 800);
    EXPECT_EQ(p.style, 0x10CF0000u);

    p = FramedPlacement(0x14CF0000u, {-900, 30, -100, 630});
    EXPECT_EQ(p.x, -900);
    EXPECT_EQ(p.y, 30);
    EXPECT_EQ(p.width, 800);
    EXPECT_EQ(p.height, 600);
    EXPECT_EQ(p.style, 0x14CF0000u);

    // A saved edge of exactly 0 reads as unsaved.
    p = FramedPlacement(0x10CF0000u, {0, 40, 640, 520});
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 40);
    EXPECT_EQ(p.width, 640);
}

TEST(FullScreenSwitch, IntoFullScreenDropsTheFrameAndKeepsOtherStyleBits) {
    WindowPlacement p = FullScreenPlacement(0x10CF0000u, {1920, -100, 3200, 924});
    EXPECT_EQ(p.style, 0x90000000u);
    EXPECT_EQ(p.x, 1920);
    EXPECT_EQ(p.y, -100);
    EXPECT_EQ(p.width, 1280);
    EXPECT_EQ(p.height, 1024);
    // Maximised, with both scroll bars and a few low bits: all kept.
    EXPECT_EQ(FullScreenPlacement(0x11FF00A5u, {0, 0, 1, 1}).style, 0x913000A5u);
}

TEST(Startup, EitherFailedBufferEndsWithExitCodeTwoAndKeepsNothing) {
    for (int nth : {1, 2}) {
        ReleaseTestState();
        ArtFailAllocation(nth);
        EXPECT_EQ(AllocateBuffers(1920, 1080), kExitNoMemory) << nth;
        EXPECT_EQ(art.canvas, nullptr);
        EXPECT_EQ(art.canvasBackup, nullptr);
    }
    ArtFailAllocation(0);
    ReleaseTestState();
    EXPECT_EQ(AllocateBuffers(300, 100), kExitNormal);
    EXPECT_EQ(art.canvasWidth, 320);
    EXPECT_EQ(art.canvasHeight, 200);
    ASSERT_NE(art.canvasBackup, nullptr);
    ReleaseTestState();
}

TEST(Startup, OptionsChoosePresetAndPositiveSpeedsOnly) {
    ReleaseTestState();
    ApplyOptions();
    EXPECT_EQ(art.currentPreset, 0);
    EXPECT_EQ(art.rotationIntervalMs, 50);
    art.paletteOption = 2;
    art.speedOption = -40;
    ApplyOptions();
    EXPECT_EQ(art.currentPreset, 2);
    EXPECT_EQ(art.rotationIntervalMs, 50);
    art.speedOption = 1000;
    ApplyOptions();
    EXPECT_EQ(art.rotationIntervalMs, 1000);
    ReleaseTestState();
}

TEST(Startup, ModeOptionReplacesTheSplashAtOnce) {
    UseCanvasWithFrame(320, 200);
    SelectStartMode();  // no --mode: the splash screen waits for timer 2
    EXPECT_TRUE(fake.timerCalls.empty());
    EXPECT_EQ(fake.invalidations, 0);

    art.modeOption = 8;
    SelectStartMode();
    EXPECT_EQ(art.currentMode, 8);
    ASSERT_EQ(fake.timerCalls.size(), 2u);
    EXPECT_EQ(fake.timerCalls[0].id, 2);
    EXPECT_EQ(fake.timerCalls[0].intervalMs, -1);
    EXPECT_EQ(fake.timerCalls[1].id, 5);
    EXPECT_EQ(fake.timerCalls[1].intervalMs, 120);
    EXPECT_EQ(fake.invalidations, 1);

    UseCanvasWithFrame(320, 200);
    art.modeOption = 12;
    SelectStartMode();
    EXPECT_EQ(art.currentMode, 1);
    ASSERT_EQ(fake.timerCalls.size(), 1u);  // only the splash timer is stopped
    ReleaseTestState();
}

TEST(Startup, ReleasedBuffersAreNeverReachedAgain) {
    UseCanvasWithFrame(320, 200);
    art.statusStripShown = 0;
    art.hintEnabled = 0;
    art.dibInfo = ArtAllocZeroed(1, 1064);
    art.dibSection = &monitors[0];  // any non-null handle
    uint32_t* frame = art.dibPixels;
    frame[0] = 0xABCDEFu;
    ReleaseBuffers();
    EXPECT_EQ(art.canvas, nullptr);
    EXPECT_EQ(art.canvasBackup, nullptr);
    EXPECT_EQ(art.dibInfo, nullptr);
    EXPECT_EQ(art.dibSection, nullptr);
    EXPECT_EQ(art.dibPixels, nullptr);

    // Messages still queued when the window goes must not draw into freed memory.
    art.helpShown = 1;
    ComposeFrame();
    HandleKey(kKeyDigit1 + 7, false, false);
    art.currentMode = 8;
    HandleTimer(kTimerZoom);
    HandleLeftButton();
    HandleTimer(kTimerRotation);
    EXPECT_EQ(frame[0], 0xABCDEFu);
    ReleaseTestState();
}
