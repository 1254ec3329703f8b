// What the files of the Linux shell share: the timers of the platform seam, kept as
// due times that the program's SDL loop and the hack's Xlib loop both run, and the
// state of the end of the run.
#pragma once
#include <csignal>
#include <cstdint>

#include "linux/options_linux.h"

// The program's five timers and the saver's picture timer (ids 1..6).
constexpr int kLinuxTimerSlots = 7;

struct LinuxTimer {
    int32_t running;
    int32_t intervalMs;
    uint64_t due;  // on the clock of LinuxNow
};

struct LinuxShell {
    LinuxTimer timers[kLinuxTimerSlots];
    int32_t quit;       // PlatformPostQuit was called
    int32_t exitCode;
    int32_t frameDirty;  // a frame was composed and is not shown yet
    int32_t exposed;     // the window needs the frame shown again, as it is
    // SIGTERM or SIGINT came; while the core draws, the handler ends the process itself.
    volatile sig_atomic_t terminate;
    volatile sig_atomic_t inCore;
    // What the recipe of a snapshot is made of, as the page's link keeps it: the mode
    // and random state of the last picture, the state its palette was made from, and
    // the zoom frames drawn since the picture.
    int32_t pictureMode;
    uint32_t pictureState;
    uint32_t paletteState;
    int32_t zoomFrames;
};

extern LinuxShell shell;

// Milliseconds on the clock the timers run on (SDL's).
uint64_t LinuxNow();

// Milliseconds until the next running timer is due: 0 when one is due already,
// longestMs when none is due sooner.
int32_t NextTimerWait(uint64_t now, int32_t longestMs);

// The id of a timer due at `now`, which is then scheduled one interval on (from now,
// when it fell further behind: a late timer ticks once, as a busy window's timer
// does); 0 when none is due. Each timer comes at most once for one value of now.
int TakeDueTimer(uint64_t now);

// SIGTERM and SIGINT end the run: at once while a picture is being drawn (nothing of
// it needs saving), otherwise through the loop, which notices within one timer tick.
void InstallStopSignals();

// Marks the stretches in which the core is at work, for the handler above.
inline void EnterCore() { shell.inCore = 1; }
inline void LeaveCore() { shell.inCore = 0; }

// The start-up shared by the program and the hack, once the preset is chosen: seeds
// the random stream from the clock, or as --seed and --palette-seed say (the page's
// link), around NewPalette.
void SeedAndMakePalette(const LinuxOptions& options);

// The program's window: start-up after the options, the event loop, the exit code.
int RunProgram(const LinuxOptions& options);

// The hack in a foreign window: the exit code.
int RunHack(const LinuxOptions& options);
