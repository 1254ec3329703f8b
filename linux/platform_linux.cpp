// The platform seam on Linux: SDL's clock, timers as due times run by whichever loop
// owns the process (the program's or the hack's), the quit request and invalidation as
// flags those loops read. A timer that falls behind ticks once when its loop comes
// round, as WM_TIMER never piles up behind a long picture.
#include "app/platform.h"

#include <SDL.h>
#include <unistd.h>

#include <ctime>

#include "app/art_state.h"
#include "app/startup.h"
#include "linux/shell_linux.h"
#include "modes/random_source.h"
#include "palette/presets.h"

LinuxShell shell;

namespace {

void OnStopSignal(int) {
    // A picture can take seconds; its memory is all there is to it, so the process
    // may end in the middle of it.
    if (shell.inCore) _exit(kExitNormal);
    shell.terminate = 1;
}

uint32_t SeedOrDefault(uint32_t seed) { return seed == 0 ? 0xC0FFEEu : seed; }

}  // namespace

uint64_t LinuxNow() { return SDL_GetTicks64(); }

uint32_t PlatformTickCount() { return static_cast<uint32_t>(LinuxNow()); }

void PlatformSetTimer(int id, int32_t intervalMs) {
    if (id < 1 || id >= kLinuxTimerSlots) return;
    const int32_t interval = intervalMs > 0 ? intervalMs : 1;
    shell.timers[id] = {1, interval, LinuxNow() + static_cast<uint64_t>(interval)};
}

void PlatformKillTimer(int id) {
    if (id >= 1 && id < kLinuxTimerSlots) shell.timers[id].running = 0;
}

void PlatformPostQuit(int exitCode) {
    shell.quit = 1;
    shell.exitCode = exitCode;
}

void PlatformInvalidate() { shell.frameDirty = 1; }

// PlatformFileExists is in snapshot_linux.cpp, which knows the folder it looks in.

// Every picture is drawn at once; the state it starts from goes into the recipe.
int PlatformDrawsLater(int mode) {
    shell.pictureMode = mode;
    shell.pictureState = art.randomState;
    shell.zoomFrames = 0;
    return 0;
}

int32_t NextTimerWait(uint64_t now, int32_t longestMs) {
    int64_t wait = longestMs;
    for (int id = 1; id < kLinuxTimerSlots; ++id) {
        const LinuxTimer& t = shell.timers[id];
        if (!t.running) continue;
        const int64_t left = t.due > now ? static_cast<int64_t>(t.due - now) : 0;
        if (left < wait) wait = left;
    }
    return static_cast<int32_t>(wait);
}

int TakeDueTimer(uint64_t now) {
    for (int id = 1; id < kLinuxTimerSlots; ++id) {
        LinuxTimer& t = shell.timers[id];
        if (!t.running || t.due > now) continue;
        t.due += static_cast<uint64_t>(t.intervalMs);
        if (t.due <= now) t.due = now + static_cast<uint64_t>(t.intervalMs);
        return id;
    }
    return 0;
}

void InstallStopSignals() {
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a wait in poll() returns at once
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void SeedAndMakePalette(const LinuxOptions& o) {
    // The tick count since the system started, as the Windows program seeds with.
    const uint64_t upMs = SDL_GetPerformanceCounter() / (SDL_GetPerformanceFrequency() / 1000);
    const uint32_t clockSeed = SeedFromClock(static_cast<uint32_t>(std::time(nullptr)), static_cast<uint32_t>(upMs));
    const uint32_t pictureSeed = o.seedGiven ? SeedOrDefault(o.seed) : clockSeed;
    art.randomState = o.paletteSeedGiven ? SeedOrDefault(o.paletteSeed) : pictureSeed;
    shell.paletteState = art.randomState;
    NewPalette();
    if (o.paletteSeedGiven) art.randomState = pictureSeed;
}
