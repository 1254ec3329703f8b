// Platform layer of the window-less tools: a clock that stands still at a chosen tick,
// and window calls that do nothing. With the clock far from the last input the help
// hint never shows.
#include "app/platform.h"

#include "app/platform_headless.h"

namespace {
uint32_t headlessTick = 0;
}

void HeadlessSetTick(uint32_t tick) { headlessTick = tick; }

uint32_t PlatformTickCount() { return headlessTick; }
void PlatformSetTimer(int, int32_t) {}
void PlatformKillTimer(int) {}
void PlatformPostQuit(int) {}
void PlatformInvalidate() {}
void ToggleFullScreen() {}
int32_t SaveSnapshot() { return -1; }
int PlatformFileExists(const char16_t*) { return 0; }
int PlatformDrawsLater(int) { return 0; }
