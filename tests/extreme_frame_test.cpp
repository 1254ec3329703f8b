// The frame at the edges of what the command line and the keys allow: the longest
// status line (the longest mode name, a 10-digit interval, step 8, reverse, auto-cycle)
// with the hint on the smallest Canvas, and the help screen there, stay inside the
// frame and the Canvas.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/frame.h"
#include "app/startup.h"
#include "tests/fake_platform.h"
#include "tests/test_support.h"

namespace {

constexpr uint32_t kGuard = 0xDEADBEEF;
constexpr size_t kGuardPixels = 4096;

// Frame pixels with a guard band before and after them.
struct GuardedFrame {
    std::vector<uint32_t> pixels;
    explicit GuardedFrame(size_t count) : pixels(count + 2 * kGuardPixels, kGuard) {}
    uint32_t* frame() { return pixels.data() + kGuardPixels; }
    bool guardsIntact(size_t count) const {
        for (size_t i = 0; i < kGuardPixels; ++i) {
            if (pixels[i] != kGuard || pixels[kGuardPixels + count + i] != kGuard) return false;
        }
        return true;
    }
};

}  // namespace

TEST(ExtremeFrame, LongestStatusLineAndHintStayInsideTheSmallestFrame) {
    UseCanvasWithFrame(320, 200);
    const size_t count = 320 * 200;
    GuardedFrame guarded(count);
    art.dibPixels = guarded.frame();
    art.speedOption = INT32_MAX;
    ApplyOptions();
    ASSERT_EQ(art.rotationIntervalMs, INT32_MAX);
    art.currentMode = 5;  // REACTION-DIFFUSION, the longest name
    art.currentPreset = 3;
    art.rotationStep = 8;
    art.rotationDirection = -1;
    art.autoCycle = 1;
    fake.tick = 5000;
    art.lastInputTick = fake.tick;  // the hint shows
    for (int32_t interval : {INT32_MAX, INT32_MIN, -1, 1}) {
        art.rotationIntervalMs = interval;
        ComposeFrame();
        EXPECT_TRUE(guarded.guardsIntact(count)) << interval;
    }

    const std::vector<uint8_t> picture = CanvasCopy();
    art.helpShown = 1;
    ComposeFrame();
    EXPECT_TRUE(guarded.guardsIntact(count));
    EXPECT_EQ(CanvasCopy(), picture);
    art.dibPixels = nullptr;
    ReleaseTestState();
}
