// Fuzz target: keys, mouse buttons, wheel turns and timer ticks in any order, driven
// through the input handlers against the recording platform on a small Canvas.
//
// Input layout: a header of 7 bytes, then events of 2 bytes each (at most kMaxEvents).
//   header: seed (3 bytes), --mode (signed byte), --speed (signed byte, widened so that
//           values near 500, far above it and the int32 limits occur), --palette
//           (byte mod 12, minus 1), Canvas size (320 + low nibble by 200 + high nibble).
//   event (a, b), by a mod 8:
//     0, 1, 2  a key: with bit 5 of a, b is the virtual-key code itself; without it, b
//              picks one from kKeys (b mod its length); bit 3 of a is Ctrl, bit 4 Shift
//     3        left button        4  right button
//     5        wheel, delta = (signed b) x 15
//     6        timer tick with id b mod 8 (ids 0, 6 and 7 are none of the program's)
//     7        by bits 3-4 of a: the clock moves on by b x 16 ms; the clock jumps to just
//              before its 32-bit wrap; one of the next allocations fails; the window is
//              destroyed (the last event: no message comes after that)
// An input also ends after the first picture of one of the two slow modes, be it drawn
// at start-up or by an event.
//
// The program is started as its start-up does it, and after every event each field of
// art must lie within its range, the timers must agree with the state, and both
// palettes must keep index 0 black.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "app/art_state.h"
#include "app/frame.h"
#include "app/input.h"
#include "app/keys.h"
#include "app/memory.h"
#include "app/startup.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "palette/presets.h"
#include "tests/fake_platform.h"
#include "tests/test_support.h"

namespace {

constexpr size_t kHeaderBytes = 7;

// Every key of the key table but 5 and 9 (the slow modes, below), and two keys that are
// not in it (0, and 1 of the numeric pad), so that most key events the fuzzer makes do
// something. The codes given directly reach every key.
constexpr int kKeys[] = {0x31, 0x32, 0x33, 0x34, 0x36, 0x37, 0x38, kKeyEscape,
                         kKeyEnter, kKeyP, kKeyR, kKeyOpenBracket, kKeyCloseBracket, kKeyH,
                         kKeyV, kKeyB, kKeySpace, kKeyPlus, kKeyPadPlus, kKeyMinus, kKeyPadMinus,
                         kKeyS, kKeyF1, kKeyF11, kKeyF12, kKeyQ, kKeyX, 0x30, 0x61};
constexpr int kKeyCount = sizeof kKeys / sizeof kKeys[0];

constexpr size_t kMaxEvents = 40;  // keeps one input to a few dozen pictures at most

// Reaction-diffusion and the Buddhabrot take a quarter of a second for one picture
// even at the smallest Canvas, a hundred times the other modes; an input ends after
// the first one, so that the fuzzer keeps its pace.
bool IsSlowMode(int mode) { return mode == 5 || mode == 9; }

[[noreturn]] void Fail(const char* what, size_t event) {
    std::fprintf(stderr, "fuzz_input: after event %zu: %s\n", event, what);
    std::abort();
}

// What the run must keep: the values fixed at start-up and the model of the timers.
struct Expected {
    ArtState start;            // art right after start-up
    uint32_t lastInputTick;    // the clock at the last key, click or wheel turn
    int netHueSteps;           // H minus Shift+H presses since the last new palette
    int events;                // events handled so far
    bool leftSplash;           // a mode other than the splash screen has been shown
    bool zoomEntered;          // mode 8 has been selected at least once
    std::map<int, int32_t> timers;  // running timer id -> interval
    size_t timerCallsSeen;
};

void FollowTimers(Expected& e) {
    for (; e.timerCallsSeen < fake.timerCalls.size(); ++e.timerCallsSeen) {
        const FakeTimerCall& call = fake.timerCalls[e.timerCallsSeen];
        if (call.intervalMs < 0) {
            e.timers.erase(call.id);
        } else {
            e.timers[call.id] = call.intervalMs;
        }
    }
}

bool TimerIs(const Expected& e, int id, int32_t interval) {
    auto it = e.timers.find(id);
    return it != e.timers.end() && it->second == interval;
}

bool IsFlag(int32_t v) { return v == 0 || v == 1; }

bool IsZoomTarget(double re, double im) {
    for (const ZoomPoint& p : ZoomTargets) {
        if (p.re == re && p.im == im) return true;
    }
    return false;
}

void CheckPalettes(size_t event) {
    if (art.palette[0] != 0) Fail("Palette[0] is not black", event);
    if (art.basePalette[0] != 0) Fail("BasePalette[0] is not black", event);
    for (int i = 0; i < 256; ++i) {
        if (art.palette[i] > 0xFFFFFFu || art.basePalette[i] > 0xFFFFFFu) Fail("palette entry has a top byte", event);
    }
}

void CheckRotation(const Expected& e, size_t event) {
    const int32_t start = e.start.rotationIntervalMs;
    const int32_t now = art.rotationIntervalMs;
    // The keys and the wheel move the interval in steps of 5, never to 5 or below from
    // above 5 and never past 500 from below it: so it keeps its remainder mod 5 and stays
    // between the smallest and the largest value of that remainder those rules allow.
    const int32_t rest = start % kIntervalStepMs;
    const int32_t lowest = rest == 0 ? kFastestIntervalMs : rest;
    const int32_t highest = start > kSlowestIntervalMs + rest ? start : kSlowestIntervalMs + rest;
    if (now % kIntervalStepMs != rest) Fail("rotationIntervalMs left its step grid", event);
    if (now < lowest || now > highest) Fail("rotationIntervalMs out of its range", event);
    const int32_t step = art.rotationStep;
    if (step != 1 && step != 2 && step != 4 && step != 8) Fail("rotationStep not 1, 2, 4 or 8", event);
    if (art.rotationDirection != 1 && art.rotationDirection != -1) Fail("rotationDirection not +1 or -1", event);
}

void CheckAdjustment(const Expected& e, size_t event) {
    const double s = art.saturationFactor;
    const double b = art.brightnessFactor;
    if (s != 1.0 && s != 0.5 && s != 1.5) Fail("saturationFactor not 1.0, 0.5 or 1.5", event);
    if (b != 1.0 && b != 0.6 && b != 1.4) Fail("brightnessFactor not 1.0, 0.6 or 1.4", event);
    // Whole steps of 10 degrees, exactly: H and Shift+H must cancel.
    if (art.hueShift != 10.0 * e.netHueSteps) Fail("hueShift is not the sum of its steps", event);
}

void CheckFixed(const Expected& e, bool destroyed, size_t event) {
    const ArtState& s = e.start;
    if (art.windowedOption != s.windowedOption || art.modeOption != s.modeOption ||
        art.speedOption != s.speedOption || art.paletteOption != s.paletteOption ||
        art.monitorOption != s.monitorOption) {
        Fail("an option field changed after start-up", event);
    }
    if (art.detailScale != s.detailScale || art.textScaleSmall != s.textScaleSmall ||
        art.textScaleMedium != s.textScaleMedium || art.textScaleLarge != s.textScaleLarge ||
        art.canvasWidth != s.canvasWidth || art.canvasHeight != s.canvasHeight) {
        Fail("a start-up size or scale changed", event);
    }
    if (!destroyed && (art.canvas != s.canvas || art.canvasBackup != s.canvasBackup || art.dibPixels != s.dibPixels)) {
        Fail("a buffer was replaced", event);
    }
    if (art.hintEnabled != 1) Fail("hintEnabled changed", event);
    if (art.fullScreen != s.fullScreen || art.savedWindowStyle != s.savedWindowStyle) {
        Fail("the core changed the window fields", event);
    }
}

void CheckModes(const Expected& e, size_t event) {
    if (art.currentMode < 0 || art.currentMode >= kModeCount) Fail("currentMode out of 0..9", event);
    if (e.leftSplash && art.currentMode == 0) Fail("back on the splash screen", event);
    if (art.currentPreset < 0 || art.currentPreset >= kPresetCount) Fail("currentPreset out of 0..10", event);
    if (art.randomState == 0) Fail("the random state fell to 0", event);
    if (!IsFlag(art.paused) || !IsFlag(art.helpShown) || !IsFlag(art.autoCycle) || !IsFlag(art.statusStripShown)) {
        Fail("a flag is not 0 or 1", event);
    }
    if (art.lastInputTick != e.lastInputTick) Fail("lastInputTick is not the time of the last input", event);
    if (e.zoomEntered) {
        if (!(art.zoomHalfHeight >= 1e-13 && art.zoomHalfHeight <= 1.6)) Fail("zoomHalfHeight out of range", event);
        if (!IsZoomTarget(art.zoomCentreX, art.zoomCentreY)) Fail("zoom centre is not a target", event);
    } else if (art.zoomHalfHeight != e.start.zoomHalfHeight || art.zoomCentreX != e.start.zoomCentreX ||
               art.zoomCentreY != e.start.zoomCentreY) {
        Fail("the zoom view changed outside mode 8", event);
    }
    const bool noBuffer = art.bufferWidth == 0 && art.bufferHeight == 0;
    const bool zoomSize = art.bufferWidth >= 320 && art.bufferHeight >= 200 &&
                          art.bufferWidth <= art.canvasWidth && art.bufferHeight <= art.canvasHeight;
    if (!noBuffer && !zoomSize) Fail("zoom buffer size out of range", event);
    if (art.orbitCapacity < 0) Fail("orbitCapacity below 0", event);
}

void CheckTimers(const Expected& e, bool destroyed, size_t event) {
    if (destroyed) return;  // the window's timers went with it
    if (!TimerIs(e, kTimerRotation, art.rotationIntervalMs)) Fail("timer 1 not at rotationIntervalMs", event);
    if (!TimerIs(e, kTimerHint, kHintTimerMs)) Fail("timer 4 not running at 200 ms", event);
    if ((art.autoCycle != 0) != TimerIs(e, kTimerAutoCycle, kAutoCycleMs)) Fail("timer 3 disagrees with autoCycle", event);
    if ((art.currentMode == kZoomModeNumber) != TimerIs(e, kTimerZoom, kZoomFrameMs)) {
        Fail("timer 5 disagrees with mode 8", event);
    }
    if (art.currentMode == 0 && !TimerIs(e, kTimerSplash, kSplashMs)) Fail("splash screen without timer 2", event);
    for (const auto& timer : e.timers) {
        if (timer.first < kTimerRotation || timer.first > kTimerZoom) Fail("a timer of no purpose runs", event);
    }
}

void CheckAll(Expected& e, bool destroyed, size_t event) {
    FollowTimers(e);
    CheckPalettes(event);
    CheckRotation(e, event);
    CheckAdjustment(e, event);
    CheckFixed(e, destroyed, event);
    CheckModes(e, event);
    CheckTimers(e, destroyed, event);
}

// --speed: small values as they are, and a share of the byte for the values near the
// upper bound of the keys, for long intervals and for the int32 limits.
int32_t SpeedFromByte(uint8_t byte) {
    const int32_t v = static_cast<int8_t>(byte);
    if (v == 127) return INT32_MAX;
    if (v == -128) return INT32_MIN;
    if (v > 120) return 1000 * (v - 120);  // 1000 .. 6000
    if (v > 100) return 484 + (v - 100);   // 485 .. 504
    return v < -100 ? v * 11 : v;
}

// Start-up as the program does it, on a Canvas of w x h with frame pixels of exactly
// its size.
uint32_t* StartProgram(const uint8_t* header) {
    const uint32_t seed = SeedFromClock(header[0] | header[1] << 8 | header[2] << 16, 0);
    const int32_t w = 320 + (header[6] & 15);
    const int32_t h = 200 + (header[6] >> 4);
    UseCanvas(w, h, seed);
    art.modeOption = static_cast<int8_t>(header[3]);
    art.speedOption = SpeedFromByte(header[4]);
    art.paletteOption = header[5] % (kPresetCount + 1) - 1;
    uint32_t* frame = new uint32_t[static_cast<size_t>(art.canvasWidth) * art.canvasHeight];
    art.dibPixels = frame;
    ApplyOptions();
    NewPalette();
    SelectMode(0);
    ComposeFrame();
    HandleCreate();
    SelectStartMode();
    return frame;
}

bool IsInput(uint8_t a) { return a % 8 <= 5; }

// Runs one event; returns false when it destroyed the window.
bool RunEvent(uint8_t a, uint8_t b, Expected& e) {
    if (IsInput(a)) e.lastInputTick = fake.tick;
    switch (a % 8) {
        case 0:
        case 1:
        case 2: {
            const int code = (a & 0x20) != 0 ? b : kKeys[b % kKeyCount];
            const bool shift = (a & 0x10) != 0;
            if (code == kKeyH) e.netHueSteps += shift ? -1 : 1;
            if (code == kKeyEnter || code == kKeyP) e.netHueSteps = 0;  // a new palette resets the hue
            HandleKey(code, (a & 0x08) != 0, shift);
            break;
        }
        case 3: HandleLeftButton(); break;
        case 4: HandleRightButton(); break;
        case 5: HandleWheel(static_cast<int8_t>(b) * 15); break;
        case 6: HandleTimer(b % 8); break;
        default:
            switch ((a >> 3) & 3) {
                case 0: fake.tick += static_cast<uint32_t>(b) * 16; break;
                case 1: fake.tick = 0xFFFFFFFFu - static_cast<uint32_t>(b) * 8; break;
                case 2: ArtFailAllocation(1 + (b & 3)); break;
                default: ReleaseBuffers(); return false;
            }
            break;
    }
    if (art.currentMode != 0) e.leftSplash = true;
    if (art.currentMode == kZoomModeNumber) e.zoomEntered = true;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeaderBytes) return -1;  // not worth keeping in the corpus
    uint32_t* frame = StartProgram(data);

    Expected e{};
    e.start = art;
    e.lastInputTick = art.lastInputTick;
    e.leftSplash = art.currentMode != 0;
    e.zoomEntered = art.currentMode == kZoomModeNumber;
    CheckAll(e, false, 0);

    const size_t events = (size - kHeaderBytes) / 2 < kMaxEvents ? (size - kHeaderBytes) / 2 : kMaxEvents;
    bool destroyed = false;
    bool slowPicture = IsSlowMode(art.currentMode);
    for (size_t i = 0; i < events && !destroyed && !slowPicture; ++i) {
        const uint8_t* ev = data + kHeaderBytes + 2 * i;
        const uint32_t randomBefore = art.randomState;
        destroyed = !RunEvent(ev[0], ev[1], e);
        CheckAll(e, destroyed, i + 1);
        // Every picture of these modes takes random numbers.
        slowPicture = IsSlowMode(art.currentMode) && art.randomState != randomBefore;
    }

    ArtFailAllocation(0);
    ReleaseTestState();
    delete[] frame;
    return 0;
}
