#include "app/startup.h"

#include "app/frame.h"
#include "app/keys.h"
#include "app/memory.h"
#include "app/platform.h"
#include "modes/canvas.h"
#include "modes/modes.h"

void RecordMonitor(MonitorSearch* search, void* monitor) {
    if (search->seen == search->targetIndex) search->found = monitor;
    ++search->seen;
}

WindowPlacement StartWindowPlacement(ArtRect monitor, int32_t canvasWidth, int32_t canvasHeight,
                                     int32_t windowed) {
    if (!windowed) return {monitor.left, monitor.top, canvasWidth, canvasHeight, kPopupStyle};
    return {monitor.left + kFramedOffset, monitor.top + kFramedOffset,
            canvasWidth < kFramedMaxWidth ? canvasWidth : kFramedMaxWidth,
            canvasHeight < kFramedMaxHeight ? canvasHeight : kFramedMaxHeight, kFramedStyle};
}

WindowPlacement FramedPlacement(uint32_t savedStyle, ArtRect savedRect) {
    const int32_t width = savedRect.right - savedRect.left;
    const int32_t height = savedRect.bottom - savedRect.top;
    return {savedRect.left != 0 ? savedRect.left : kFramedDefaultPosition,
            savedRect.top != 0 ? savedRect.top : kFramedDefaultPosition,
            width != 0 ? width : kFramedMaxWidth, height != 0 ? height : kFramedMaxHeight,
            savedStyle != 0 ? savedStyle : kFramedStyle};
}

WindowPlacement FullScreenPlacement(uint32_t savedStyle, ArtRect monitor) {
    return {monitor.left, monitor.top, monitor.right - monitor.left, monitor.bottom - monitor.top,
            (savedStyle & kFullScreenKeepMask) | kPopupBit};
}

int AllocateBuffers(int32_t monitorWidth, int32_t monitorHeight) {
    return AllocateCanvas(monitorWidth, monitorHeight) == 0 ? kExitNormal : kExitNoMemory;
}

void* AllocateFrameInfo() {
    art.dibInfo = ArtAllocZeroed(1, kFrameInfoBytes);
    return art.dibInfo;
}

void ApplyOptions() {
    if (art.paletteOption >= 0) art.currentPreset = art.paletteOption;
    if (art.speedOption > 0) art.rotationIntervalMs = art.speedOption;
}

void SelectStartMode() {
    if (art.modeOption <= 0) return;  // the splash screen stays until timer 2
    PlatformKillTimer(kTimerSplash);
    if (!PlatformDrawsLater(art.modeOption)) SelectMode(art.modeOption);
    if (art.modeOption == kZoomModeNumber) PlatformSetTimer(kTimerZoom, kZoomFrameMs);
    Refresh();
}

void ReleaseBuffers() {
    art.dibSection = nullptr;
    art.dibPixels = nullptr;  // the bitmap's own memory, gone with it
    ArtFree(art.dibInfo);
    art.dibInfo = nullptr;
    ReleaseCanvas();
}
