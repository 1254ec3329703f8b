#include "app/input.h"

#include "app/art_state.h"
#include "app/frame.h"
#include "app/keys.h"
#include "app/platform.h"
#include "modes/modes.h"
#include "palette/palette.h"
#include "palette/presets.h"

namespace {

// Draws a picture of this mode, unless the platform draws it elsewhere. Once the
// buffers are gone (the window is being destroyed) there is nothing to draw into, so
// nothing is drawn.
void Draw(int mode) {
    if (art.canvas && !PlatformDrawsLater(mode)) SelectMode(mode);
}

// A switch to another mode: the zoom timer runs exactly while mode 8 is current.
void SwitchToMode(int mode) {
    Draw(mode);
    if (mode == kZoomModeNumber) {
        PlatformSetTimer(kTimerZoom, kZoomFrameMs);
    } else {
        PlatformKillTimer(kTimerZoom);
    }
}

// The next mode after the current one, from 9 (or anything out of range) back to 1.
void SwitchToNextMode() {
    const int next = art.currentMode + 1;
    SwitchToMode(next >= 1 && next < kModeCount ? next : 1);
}

// A new picture in the current mode; the splash screen is left for mode 1.
void RedrawCurrentMode() { Draw(art.currentMode == 0 ? 1 : art.currentMode); }

void Faster() {
    if (art.rotationIntervalMs <= kFastestIntervalMs) return;
    art.rotationIntervalMs -= kIntervalStepMs;
    PlatformSetTimer(kTimerRotation, art.rotationIntervalMs);
}

void Slower() {
    if (art.rotationIntervalMs >= kSlowestIntervalMs) return;
    art.rotationIntervalMs += kIntervalStepMs;
    PlatformSetTimer(kTimerRotation, art.rotationIntervalMs);
}

void Escape() {
    if (art.helpShown) {
        art.helpShown = 0;  // the picture underneath is still there
    } else {
        RedrawCurrentMode();
    }
}

void StepPreset(bool back) {
    art.currentPreset = NextPreset(art.currentPreset, back);
    NewPalette();
}

void StepDown() { art.rotationStep = art.rotationStep > 1 ? art.rotationStep / 2 : 8; }
void StepUp() { art.rotationStep = art.rotationStep < 8 ? art.rotationStep * 2 : 1; }

void ShiftHue(bool back) {
    art.hueShift = HueShiftedBy(art.hueShift, back);
    art.ticksSinceAdjustment = 0;
    AdjustPalette();
}

void CycleSaturation() {
    art.saturationFactor = NextSaturationFactor(art.saturationFactor);
    art.ticksSinceAdjustment = 0;
    AdjustPalette();
}

void CycleBrightness() {
    art.brightnessFactor = NextBrightnessFactor(art.brightnessFactor);
    art.ticksSinceAdjustment = 0;
    AdjustPalette();
}

void ToggleAutoCycle() {
    art.autoCycle = Toggled(art.autoCycle);
    if (art.autoCycle) {
        PlatformSetTimer(kTimerAutoCycle, kAutoCycleMs);
    } else {
        PlatformKillTimer(kTimerAutoCycle);
    }
}

enum class After { Refresh, Nothing };

// The key table. Ctrl matters only to S and Shift only to P and H; keys that are
// not listed do nothing (the digits of the numeric pad and 0 among them, so the
// splash screen can never be chosen again).
After ActOnKey(int key, bool ctrl, bool shift) {
    if (key >= kKeyDigit1 && key <= kKeyDigit9) {
        SwitchToMode(key - kKeyDigit1 + 1);
        return After::Refresh;
    }
    switch (key) {
        case kKeyEscape: Escape(); break;
        case kKeyEnter: NewPalette(); break;
        case kKeyP: StepPreset(shift); break;
        case kKeyR: art.rotationDirection = -art.rotationDirection; break;
        case kKeyOpenBracket: StepDown(); break;
        case kKeyCloseBracket: StepUp(); break;
        case kKeyH: ShiftHue(shift); break;
        case kKeyV: CycleSaturation(); break;
        case kKeyB: CycleBrightness(); break;
        case kKeySpace: art.paused = Toggled(art.paused); break;
        case kKeyPlus:
        case kKeyPadPlus: Faster(); break;
        case kKeyMinus:
        case kKeyPadMinus: Slower(); break;
        case kKeyS:
            if (ctrl) {
                ToggleAutoCycle();
            } else {
                art.statusStripShown = Toggled(art.statusStripShown);
            }
            break;
        case kKeyF1: art.helpShown = Toggled(art.helpShown); break;
        case kKeyF11: ToggleFullScreen(); return After::Nothing;
        case kKeyF12: SaveSnapshot(); return After::Nothing;  // a failure leaves no trace
        case kKeyQ:
        case kKeyX: PlatformPostQuit(0); return After::Nothing;
        default: return After::Nothing;
    }
    return After::Refresh;
}

void NoteInput() { art.lastInputTick = PlatformTickCount(); }

}  // namespace

void HandleCreate() {
    PlatformSetTimer(kTimerRotation, art.rotationIntervalMs);
    PlatformSetTimer(kTimerSplash, kSplashMs);
    PlatformSetTimer(kTimerHint, kHintTimerMs);
}

void HandleKey(int virtualKey, bool ctrlHeld, bool shiftHeld) {
    NoteInput();  // every key counts, handled or not: it brings up the hint
    if (ActOnKey(virtualKey, ctrlHeld, shiftHeld) == After::Refresh) Refresh();
}

void HandleLeftButton() {
    NoteInput();
    RedrawCurrentMode();
    // A fresh zoom starts its frame clock afresh.
    if (art.currentMode == kZoomModeNumber) PlatformSetTimer(kTimerZoom, kZoomFrameMs);
    Refresh();
}

void HandleRightButton() {
    NoteInput();
    SwitchToNextMode();
    Refresh();
}

void HandleWheel(int delta) {
    NoteInput();
    if (delta > 0) {
        Faster();
    } else {
        Slower();
    }
    Refresh();
}

void HandleTimer(uintptr_t id) {
    switch (id) {
        case kTimerRotation:
            // Paused or on the splash screen the palette stands still: nothing to show.
            if (RotatePalette()) Refresh();
            break;
        case kTimerSplash: {
            PlatformKillTimer(kTimerSplash);
            if (art.currentMode != 0) break;  // the user already chose a mode
            const int mode = art.modeOption != 0 ? art.modeOption : 1;
            Draw(mode);
            if (mode == kZoomModeNumber) PlatformSetTimer(kTimerZoom, kZoomFrameMs);
            Refresh();
            break;
        }
        case kTimerAutoCycle:
            SwitchToNextMode();
            Refresh();
            break;
        case kTimerHint:
            // Unsigned difference, so the tick count's wrap after 49 days does no harm.
            if (art.hintEnabled && PlatformTickCount() - art.lastInputTick < kHintRefreshWindowMs) {
                Refresh();
            }
            break;
        case kTimerZoom:
            if (art.currentMode != kZoomModeNumber) break;
            if (art.canvas) DrawMandelbrotZoom();
            Refresh();
            break;
        default: break;
    }
}
