// What the page calls: start, the input of every kind, one animation frame, and the
// pictures drawn in the worker. The page's script (shell.js) only decodes the
// browser's events and calls these; the core owns the pixels.
#include <emscripten.h>
#include <wasm_simd128.h>

#include <cstring>
#include <ctime>

#include "app/art_state.h"
#include "app/frame.h"
#include "app/input.h"
#include "app/keys.h"
#include "app/memory.h"
#include "app/platform.h"
#include "app/startup.h"
#include "export/offline_job.h"
#include "export/recipe.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "modes/mode_trials.h"
#include "palette/palette.h"
#include "palette/presets.h"
#include "web/web_shell.h"

namespace {
// A timer further behind than this (a hidden tab, a slow frame) starts again from now
// instead of replaying the missed ticks in a burst.
constexpr double kMostCatchUpMs = 100.0;

size_t PixelCount() { return static_cast<size_t>(art.canvasWidth) * static_cast<size_t>(art.canvasHeight); }

// The zoom's next frame, drawn where its picture began: in the worker. A frame still
// being drawn when the timer ticks again makes that tick pass, as a busy window's
// timer does.
void ZoomFrameInWorker() {
    if (web.drawPending || art.currentMode != kZoomModeNumber) return;
    web.drawPending = 1;
    web.zoomFramePending = 1;
    EM_ASM({ Huemix.zoomInWorker($0); }, art.randomState);
}

bool DrawsPicture(int id) { return id == kTimerSplash || id == kTimerAutoCycle; }

// Runs every tick that is due by `now`. The rotation's ticks within one frame are
// turned at once and shown once: the last goes through the timer handler, which
// composes the frame.
void RunTimers(double now) {
    for (int id = 1; id < kWebTimerSlots; ++id) {
        WebTimer& t = web.timers[id];
        if (!t.running || now < t.due) continue;
        // While a picture is being drawn elsewhere, the timers that draw one wait.
        if (web.drawPending && DrawsPicture(id)) continue;
        if (now - t.due > kMostCatchUpMs) t.due = now;
        if (id == kTimerRotation) {
            while (now >= t.due + t.intervalMs) {
                RotatePalette();
                t.due += t.intervalMs;
            }
            // The last tick as the timer handler does it, counted too.
            t.due += t.intervalMs;
            if (RotatePalette()) Refresh();
            continue;
        }
        t.due += t.intervalMs;
        if (id == kTimerZoom && web.workerReady) {
            ZoomFrameInWorker();
            continue;
        }
        HandleTimer(static_cast<uintptr_t>(id));
    }
}

// The ticks of an opened recipe, once its picture is there: on the splash screen the
// palette does not turn.
void RunStartTicks() {
    if (web.startTicks == 0 || art.currentMode == 0) return;
    const int32_t ticks = web.startTicks;
    web.startTicks = 0;
    // The recipe's ticks are turns the colours made before any pause.
    const int32_t paused = art.paused;
    art.paused = 0;
    RunRecipeTicks(ticks);
    art.paused = paused;
}

uint32_t SeedOrDefault(uint32_t seed) { return seed == 0 ? 0xC0FFEEu : seed; }
}  // namespace

extern "C" {

// Start-up, as the program's: size, seed, preset, palette, splash screen, timers, and
// the start mode. A paletteSeed (nonzero) is the random state the palette was made
// from, for a link; seed 0 means one from the clock. Returns 0 or kExitNoMemory.
EMSCRIPTEN_KEEPALIVE int WebStart(int width, int height, int mode, int preset, int speed, int windowed,
                                  uint32_t seed, uint32_t paletteSeed, int step, int direction, int paused,
                                  double hue, double saturation, double brightness) {
    art.modeOption = mode;
    art.paletteOption = preset;
    art.speedOption = speed;
    art.windowedOption = windowed;
    art.drawingThreads = 1;
    if (AllocateBuffers(width, height) != kExitNormal) return kExitNoMemory;
    art.dibPixels = static_cast<uint32_t*>(ArtAlloc(PixelCount() * sizeof(uint32_t)));
    web.rgba = static_cast<uint32_t*>(ArtAlloc(PixelCount() * sizeof(uint32_t)));
    if (!art.dibPixels || !web.rgba) return kExitNoMemory;
    const uint32_t pictureSeed =
        seed != 0 ? seed : SeedFromClock(static_cast<uint32_t>(time(nullptr)), PlatformTickCount());
    art.randomState = paletteSeed != 0 ? SeedOrDefault(paletteSeed) : SeedOrDefault(pictureSeed);
    ApplyOptions();
    web.paletteState = art.randomState;
    NewPalette();
    if (paletteSeed != 0) art.randomState = SeedOrDefault(pictureSeed);
    art.hueShift = hue;
    art.saturationFactor = saturation;
    art.brightnessFactor = brightness;
    if (hue != 0.0 || saturation != 1.0 || brightness != 1.0) AdjustPalette();
    art.rotationStep = step;
    art.rotationDirection = direction;
    art.paused = paused;
    if (windowed) art.fullScreen = 0;
    web.pictureState = art.randomState;
    SelectMode(0);
    HandleCreate();
    art.lastInputTick = PlatformTickCount();  // the hint shows during the first second
    Refresh();
    SelectStartMode();
    return kExitNormal;
}

// The worker that draws the slow pictures is there (or not, and they are drawn here).
EMSCRIPTEN_KEEPALIVE void WebSetWorker(int ready) { web.workerReady = ready; }

EMSCRIPTEN_KEEPALIVE void WebKey(int key, int ctrl, int shift) {
    // The state a new palette is made from goes into the page's link.
    if (key == kKeyEnter || key == kKeyP) {
        web.paletteState = art.randomState;
    }
    HandleKey(key, ctrl != 0, shift != 0);
}

EMSCRIPTEN_KEEPALIVE void WebLeftButton() { HandleLeftButton(); }
EMSCRIPTEN_KEEPALIVE void WebRightButton() { HandleRightButton(); }
EMSCRIPTEN_KEEPALIVE void WebWheel(int delta) { HandleWheel(delta); }

// A swipe back: the mode before the current one, from 1 (or the splash) round to 9.
EMSCRIPTEN_KEEPALIVE void WebPreviousMode() {
    const int previous = art.currentMode > 1 && art.currentMode < kModeCount ? art.currentMode - 1 : kModeCount - 1;
    HandleKey(kKeyDigit1 + previous - 1, false, false);
}

// One animation frame at time `now`: the due ticks; 1 when there is a new frame to show.
EMSCRIPTEN_KEEPALIVE int WebFrame(double now) {
    RunTimers(now);
    const int dirty = web.frameDirty;
    web.frameDirty = 0;
    return dirty;
}

// The frame in the canvas element's byte order (red, green, blue, opaque alpha).
EMSCRIPTEN_KEEPALIVE uint32_t* WebPresent() {
    const uint32_t* src = art.dibPixels;
    uint32_t* dst = web.rgba;
    const size_t n = PixelCount();
    // Four pixels at a time: one byte shuffle and the alpha, where the compiler's own
    // vectors took each byte apart with shifts and masks.
    const v128_t opaque = wasm_i32x4_splat(static_cast<int32_t>(0xFF000000u));
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const v128_t p = wasm_v128_load(src + i);
        const v128_t rgba = wasm_i8x16_shuffle(p, p, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
        wasm_v128_store(dst + i, wasm_v128_or(rgba, opaque));
    }
    for (; i < n; ++i) {
        const uint32_t p = src[i];
        dst[i] = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
    }
    return dst;
}

// Where the picture goes in a browser window of cw x ch: x0, y0, width, height.
EMSCRIPTEN_KEEPALIVE int32_t* WebFit(int cw, int ch) {
    static int32_t place[4];
    const FrameFit fit = FitFrame(cw, ch, art.canvasWidth, art.canvasHeight);
    place[0] = fit.x0;
    place[1] = fit.y0;
    place[2] = fit.dw;
    place[3] = fit.dh;
    return place;
}

// The picture drawn in the worker is in the Canvas now: take over its random state
// and mode, and show it.
EMSCRIPTEN_KEEPALIVE void WebPictureDrawn(uint32_t randomState, int mode) {
    art.randomState = randomState;
    art.currentMode = mode;
    web.drawPending = 0;
    if (web.zoomFramePending) ++web.zoomFrames;
    web.zoomFramePending = 0;
    RunStartTicks();
    Refresh();
}

// The worker could not draw it (no memory there, or it failed): a new picture is drawn
// here after all. A zoom frame is not: the zoom's view lives in the worker, and a frame
// that was refused is not retried, as in the program.
EMSCRIPTEN_KEEPALIVE void WebDrawHere(int mode) {
    web.drawPending = 0;
    if (web.zoomFramePending) {
        web.zoomFramePending = 0;
        return;
    }
    art.randomState = web.pictureState;
    SelectMode(mode);
    RunStartTicks();
    Refresh();
}

// The ticks of the recipe the page was opened with (its address's ticks=N).
EMSCRIPTEN_KEEPALIVE void WebStartTicks(int ticks) {
    web.startTicks = ticks > 0 ? ticks : 0;
    RunStartTicks();
    Refresh();
}

// ---- what the page reads: its link, its tests ----
EMSCRIPTEN_KEEPALIVE uint8_t* WebCanvas() { return art.canvas; }
EMSCRIPTEN_KEEPALIVE uint32_t* WebPalette() { return art.palette; }
EMSCRIPTEN_KEEPALIVE uint32_t* WebFramePixels() { return art.dibPixels; }
EMSCRIPTEN_KEEPALIVE int WebHelpShown() { return art.helpShown; }
EMSCRIPTEN_KEEPALIVE int WebPending() { return web.drawPending; }
EMSCRIPTEN_KEEPALIVE int WebZoomFrames() { return web.zoomFrames; }
// The code path a user of the vector paths takes here (VectorKernel, KernelUser).
EMSCRIPTEN_KEEPALIVE int WebKernelOf(int user) { return KernelOfUser(static_cast<KernelUser>(user)); }

// The link's values, in the order of shell.js's link: mode, state before the picture,
// state before the palette, preset, interval, step, direction, paused.
EMSCRIPTEN_KEEPALIVE uint32_t* WebLinkValues() {
    static uint32_t values[8];
    values[0] = static_cast<uint32_t>(web.pictureMode);
    values[1] = web.pictureState;
    values[2] = web.paletteState;
    values[3] = static_cast<uint32_t>(art.currentPreset);
    values[4] = static_cast<uint32_t>(art.rotationIntervalMs);
    values[5] = static_cast<uint32_t>(art.rotationStep);
    values[6] = static_cast<uint32_t>(art.rotationDirection);
    values[7] = static_cast<uint32_t>(art.paused);
    return values;
}
// The link's parameters as the core writes them; with withSize, the recipe a PNG
// carries: the Canvas size after them, and in the zoom its frames so far.
EMSCRIPTEN_KEEPALIVE const char* WebLinkText(int withSize) {
    static char text[kRecipeCapacity];
    Recipe r = ScreenRecipe(web.pictureMode, web.pictureState, web.paletteState, withSize ? web.zoomFrames : 0);
    if (!withSize) r.ticks = 0;  // a link shows the picture as made
    if ((withSize ? FormatRecipe(r, text, sizeof text) : FormatLinkParameters(r, text, sizeof text)) < 0) text[0] = '\0';
    return text;
}
EMSCRIPTEN_KEEPALIVE double* WebLinkAdjustment() {
    static double values[3];
    values[0] = art.hueShift;
    values[1] = art.saturationFactor;
    values[2] = art.brightnessFactor;
    return values;
}
}
