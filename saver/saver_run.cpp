#include "saver/saver_run.h"

#include "app/art_state.h"
#include "app/frame.h"
#include "app/input.h"
#include "app/keys.h"
#include "app/platform.h"
#include "app/startup.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "palette/presets.h"

namespace {

// Draws this mode; the zoom timer runs exactly while mode 8 is shown.
void ShowMode(int mode) {
    if (art.canvas) SelectMode(mode);
    if (mode == kZoomModeNumber) {
        PlatformSetTimer(kTimerZoom, kZoomFrameMs);
    } else {
        PlatformKillTimer(kTimerZoom);
    }
}

}  // namespace

SaverPlan AllocateSaverCanvas(const ArtRect* monitors, int count, int primary, int choice,
                              SaverPane panes[kMaxSaverPanes]) {
    SaverPlan plan = PlanSaverPanes(monitors, count, primary, choice, panes);
    if (AllocateBuffers(plan.canvasWidth, plan.canvasHeight) == kExitNormal) return plan;
    if (choice == kMonitorsSpan) {
        plan = PlanSaverPanes(monitors, count, primary, kMonitorsSame, panes);
        if (AllocateBuffers(plan.canvasWidth, plan.canvasHeight) == kExitNormal) return plan;
    }
    plan.paneCount = 0;
    return plan;
}

void ApplySaverSettings(const SaverSettings& settings) {
    const uint32_t* v = settings.values;
    art.saverModeChoice = static_cast<int32_t>(v[kSettingMode]);
    art.saverPictureMs = static_cast<int32_t>(v[kSettingSecondsPerMode]) * 1000;
    art.currentPreset = static_cast<int32_t>(v[kSettingPalette]);
    art.saverNewPaletteEach = static_cast<int32_t>(v[kSettingNewPaletteEach]);
    art.rotationIntervalMs = static_cast<int32_t>(v[kSettingRotationMs]);
    art.rotationStep = static_cast<int32_t>(v[kSettingRotationStep]);
    art.statusStripShown = static_cast<int32_t>(v[kSettingStatusStrip]);
    art.hintEnabled = 0;  // nobody is there to read it
    art.autoCycle = 0;    // the picture timer changes the modes instead
}

void StartSaverPictures() {
    int mode = art.saverModeChoice;
    if (mode < 1 || mode >= kModeCount) mode = 1 + RandomBelow(kModeCount - 1);
    ShowMode(mode);
    PlatformSetTimer(kTimerRotation, art.rotationIntervalMs);
    PlatformSetTimer(kTimerSaverPicture, art.saverPictureMs);
    Refresh();
}

void NextSaverPicture() {
    if (art.saverNewPaletteEach) NewPalette();
    int mode = art.saverModeChoice;
    if (mode < 1 || mode >= kModeCount) {
        mode = art.currentMode + 1;
        if (mode < 1 || mode >= kModeCount) mode = 1;
    }
    ShowMode(mode);
    Refresh();
}

void HandleSaverTimer(uintptr_t id) {
    if (id == static_cast<uintptr_t>(kTimerSaverPicture)) {
        NextSaverPicture();
    } else {
        HandleTimer(id);
    }
}
