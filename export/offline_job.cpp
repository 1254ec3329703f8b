#include "export/offline_job.h"

#include <cstddef>
#include <cstring>
#include <utility>

#include "app/art_state.h"
#include "app/memory.h"
#include "app/platform.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "palette/palette.h"
#include "palette/presets.h"
#include "text/overlays.h"

namespace {
constexpr int64_t kZoomIntervalMs = 120;
// Far enough back that the help hint, which shows for a second after input, is gone.
constexpr uint32_t kLongAgoMs = 0x40000000u;

size_t PixelCount() { return static_cast<size_t>(art.canvasWidth) * static_cast<size_t>(art.canvasHeight); }

bool NeutralAdjustment(const OfflineOptions& o) {
    return o.hueShift == 0.0 && o.saturationFactor == 1.0 && o.brightnessFactor == 1.0;
}

void SetUpOverlay(const OfflineOptions& o) {
    art.statusStripShown = o.overlay == kOverlayStrip ? 1 : 0;
    art.helpShown = o.overlay == kOverlayHelp ? 1 : 0;
    art.autoCycle = 0;
    art.lastInputTick = PlatformTickCount() - kLongAgoMs;
    // The frames of an animation are one rotation tick apart, so the strip shows the
    // frame time as the interval; for a still picture that is the default 50 ms.
    art.rotationIntervalMs = o.delayMs;
}
}  // namespace

uint32_t EffectiveSeed(const OfflineOptions& options, uint32_t clockSeed) {
    if (!options.seedGiven) return clockSeed;
    return options.seed == 0 ? 0xC0FFEEu : options.seed;
}

int32_t RunOfflineJob(const OfflineOptions& o, uint32_t seed, Recipe* recipe) {
    const long failedBefore = ArtFailedAllocationCount();
    if (AllocateCanvas(o.width, o.height) != 0) return -1;
    if (o.overlay != kOverlayNone && o.format == kFormatPng) {
        art.dibPixels = static_cast<uint32_t*>(ArtAlloc(PixelCount() * sizeof(uint32_t)));
        if (!art.dibPixels) {
            ReleaseOfflineJob();
            return -1;
        }
    }
    SetUpOverlay(o);

    art.randomState = seed;
    art.drawingThreads = o.threads;
    art.currentPreset = o.preset;
    NewPalette();
    // As the page starts from its link: a picture need not follow its palette.
    if (o.pictureSeed != 0) art.randomState = o.pictureSeed;
    const uint32_t pictureSeed = art.randomState;
    SelectMode(o.mode);
    // Timer 5 draws only while the zoom is the current mode.
    if (art.currentMode == kZoomModeNumber) {
        for (int32_t i = 0; i < o.zoomFrames; ++i) DrawMandelbrotZoom();
    }
    // Set together, then applied once, as after a key press.
    art.hueShift = o.hueShift;
    art.saturationFactor = o.saturationFactor;
    art.brightnessFactor = o.brightnessFactor;
    if (!NeutralAdjustment(o)) AdjustPalette();
    art.rotationStep = o.step;
    art.rotationDirection = o.direction;
    // The command line's ticks are the timer's, which do nothing while paused; a
    // recipe's are turns the colours made before any pause.
    art.paused = o.ticksTurned ? 0 : o.paused;
    RunRecipeTicks(o.ticks);
    art.paused = o.paused;

    if (ArtFailedAllocationCount() != failedBefore) {
        ReleaseOfflineJob();
        return -1;
    }
    if (recipe) {
        Recipe& r = *recipe;
        r.mode = art.currentMode;
        r.seed = pictureSeed;
        r.paletteSeed = seed;
        r.preset = art.currentPreset;
        r.intervalMs = o.delayMs;
        r.step = o.step;
        r.direction = o.direction;
        r.paused = o.paused;
        r.hueShift = o.hueShift;
        r.saturationFactor = o.saturationFactor;
        r.brightnessFactor = o.brightnessFactor;
        // The turns the colours made: none when paused ticks did nothing.
        const int32_t turned = o.paused && !o.ticksTurned ? 0 : o.ticks;
        r.ticks = NeutralAdjustment(o) ? turned % kRingSize : turned;
        r.zoomFrames = art.currentMode == kZoomModeNumber ? o.zoomFrames : 0;
        r.width = art.canvasWidth;
        r.height = art.canvasHeight;
    }
    return 0;
}

// Without an adjustment a tick only turns the ring, and any number of places turns it
// back after 255 ticks, so whole turns are skipped; with one, every tick compounds and
// must run. A tick that does nothing (paused, splash) changes nothing for the ticks
// after it either.
void RunRecipeTicks(int32_t ticks) {
    const bool neutral = art.hueShift == 0.0 && art.saturationFactor == 1.0 && art.brightnessFactor == 1.0;
    if (neutral) ticks %= kRingSize;
    for (int32_t i = 0; i < ticks; ++i) {
        if (!RotatePalette()) break;
    }
}

int32_t ZoomFramesDue(int32_t frame, int32_t delayMs) {
    if (frame < 1) return 0;
    const int64_t now = static_cast<int64_t>(frame) * delayMs;
    const int64_t before = static_cast<int64_t>(frame - 1) * delayMs;
    return static_cast<int32_t>(now / kZoomIntervalMs - before / kZoomIntervalMs);
}

int32_t AdvanceOfflineFrame(const OfflineOptions& o, int32_t frame) {
    const long failedBefore = ArtFailedAllocationCount();
    RotatePalette();
    if (art.currentMode == kZoomModeNumber) {
        const int32_t due = ZoomFramesDue(frame, o.delayMs);
        for (int32_t i = 0; i < due; ++i) DrawMandelbrotZoom();
    }
    return ArtFailedAllocationCount() == failedBefore ? 0 : -1;
}

const uint8_t* OfflineFrameIndices(const OfflineOptions& o) {
    if (o.overlay != kOverlayHelp) return art.canvas;
    // As ComposeFrame does: the help screen borrows the Canvas while the picture waits
    // in the backup. Swapping the two leaves the picture in the Canvas and the help
    // screen in the backup, ready to store.
    std::memcpy(art.canvasBackup, art.canvas, PixelCount());
    DrawHelpScreen();
    std::swap(art.canvas, art.canvasBackup);
    return art.canvasBackup;
}

void ReleaseOfflineJob() {
    ReleaseCanvas();
    ReleaseModeScratch();
    ArtFree(art.dibPixels);
    art.dibPixels = nullptr;
}
