// Draws every mode and composes every overlay at Canvas sizes from the smallest to
// 8K, odd ones among them, so that the sanitizers watch every row, column and vector
// tail the generators and the composition touch. Built only with the sanitizers; a
// report ends the run. Prints the time each size took.
// Usage: huemix_sweep [--all] (--all: reaction-diffusion too at every size and path).
#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/art_state.h"
#include "app/frame.h"
#include "app/memory.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "modes/paths/kernel_choice.h"
#include "palette/palette.h"
#include "palette/presets.h"
#include "tests/fake_platform.h"

namespace {
using Clock = std::chrono::steady_clock;

struct SweepSize {
    int32_t width;
    int32_t height;
    bool small;  // every code path and every overlay after every mode
};

constexpr SweepSize kSizes[] = {
    {320, 200, true},    {321, 201, true},    {333, 217, true},
    {1366, 768, false},  {1920, 1080, false}, {7680, 4320, false},
};

// Reaction-diffusion costs seconds a picture under the sanitizers at any Canvas size,
// since its grid (at most 600 x 400 cells) always takes 4500 steps. It draws at the
// smallest Canvas on every code path, and on the best path at an odd Canvas, at
// 1366 x 768 (an odd grid of 455 x 256 cells) and at the largest Canvas.
bool Draws(int mode, const SweepSize& size, VectorKernel kernel) {
    if (mode != 5) return true;
    if (size.width == 320) return true;
    if (kernel != BestKernel()) return false;
    return size.width == 321 || size.width == 1366 || size.width == 7680;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The status line at the widest values the state can take.
void ComposeStatusExtremes() {
    const ArtState saved = art;
    art.statusStripShown = 1;
    art.hintEnabled = 1;
    art.lastInputTick = fake.tick;
    art.rotationIntervalMs = 500;
    art.rotationStep = 8;
    art.rotationDirection = -1;
    art.paused = 1;
    art.autoCycle = 1;
    for (int preset = 0; preset < kPresetCount; ++preset) {
        art.currentPreset = preset;
        ComposeFrame();
    }
    art.rotationIntervalMs = saved.rotationIntervalMs;
    art.rotationStep = saved.rotationStep;
    art.rotationDirection = saved.rotationDirection;
    art.paused = saved.paused;
    art.autoCycle = saved.autoCycle;
    art.currentPreset = saved.currentPreset;
}

// None, the status strip, the hint, both, and the help screen.
void ComposeEveryOverlay() {
    art.helpShown = 0;
    art.statusStripShown = 0;
    art.hintEnabled = 0;
    ComposeFrame();
    art.statusStripShown = 1;
    ComposeFrame();
    art.statusStripShown = 0;
    art.hintEnabled = 1;
    art.lastInputTick = fake.tick;
    ComposeFrame();
    art.statusStripShown = 1;
    ComposeFrame();
    art.helpShown = 1;
    ComposeFrame();
    art.helpShown = 0;
    // The palette moves too: rotation and adjustment re-map every entry.
    RotatePalette();
    art.hueShift = 350.0;
    art.saturationFactor = 1.5;
    art.brightnessFactor = 1.4;
    AdjustPalette();
    art.hueShift = 0.0;
    art.saturationFactor = 1.0;
    art.brightnessFactor = 1.0;
}

// One mode: its picture, later zoom frames down to the depth limit, and the frame
// with every overlay, or on a large Canvas with the strip and the hint (which name
// the mode): the other overlays do not depend on the mode.
void SweepMode(int mode, bool everyOverlay) {
    SelectMode(mode);
    if (mode == kZoomModeNumber) {
        DrawMandelbrotZoom();
        art.zoomHalfHeight = 1.01e-13;  // the last frame of a zoom, then a new target
        DrawMandelbrotZoom();
        DrawMandelbrotZoom();
    }
    if (everyOverlay) {
        ComposeEveryOverlay();
        return;
    }
    art.statusStripShown = 1;
    art.hintEnabled = 1;
    art.lastInputTick = fake.tick;
    ComposeFrame();
}

// Every mode at one size; false when a buffer could not be had.
bool SweepSizeOnce(const SweepSize& size, bool all) {
    ResetArtState();
    ResetFakePlatform();
    fake.tick = 100000;
    if (AllocateCanvas(size.width, size.height) != 0) return false;
    const size_t n = static_cast<size_t>(art.canvasWidth) * art.canvasHeight;
    art.dibPixels = static_cast<uint32_t*>(ArtAlloc(n * sizeof(uint32_t)));
    if (!art.dibPixels) return false;
    art.randomState = 0x5EED0000u ^ static_cast<uint32_t>(size.width * 7919 + size.height);
    NewPalette();
    ComposeStatusExtremes();

    for (int k = 0; k < kKernelCount; ++k) {
        const VectorKernel kernel = static_cast<VectorKernel>(k);
        if (!size.small && kernel != BestKernel()) continue;
        if (!ForceKernel(kernel)) continue;
        for (int mode = 0; mode < kModeCount; ++mode) {
            if (all || Draws(mode, size, kernel)) SweepMode(mode, size.small);
        }
        ReleaseModeScratch();  // the next path allocates afresh, as a new run would
    }
    ResetKernel();
    SelectMode(10);  // out of range: plasma
    SelectMode(-1);
    ComposeEveryOverlay();

    ArtFree(art.dibPixels);
    art.dibPixels = nullptr;
    ReleaseModeScratch();
    ReleaseCanvas();
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    const bool all = argc > 1 && std::strcmp(argv[1], "--all") == 0;
    const Clock::time_point start = Clock::now();
    const long failedBefore = ArtFailedAllocationCount();
    for (const SweepSize& size : kSizes) {
        const Clock::time_point begun = Clock::now();
        if (!SweepSizeOnce(size, all)) {
            std::fprintf(stderr, "sweep: no memory for a %dx%d Canvas\n", size.width, size.height);
            return 1;
        }
        std::printf("%5d x %-5d %7.2f s\n", size.width, size.height, SecondsSince(begun));
    }
    // A mode refused its scratch draws nothing: that would hide what it should have drawn.
    if (ArtFailedAllocationCount() != failedBefore) {
        std::fprintf(stderr, "sweep: an allocation failed, so some picture was not drawn\n");
        return 1;
    }
    std::printf("sweep: every mode and overlay, %.2f s\n", SecondsSince(start));
    return 0;
}
