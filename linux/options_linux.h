// The Linux program's command line: the Windows program's five options (read by the
// core's ParseArguments, so they mean exactly the same), the two seeds of the page's
// link, and what the screen saver hack is told: its window and its settings.
#pragma once
#include <cstddef>
#include <cstdint>

#include "saver/saver_settings.h"

enum class LinuxRun {
    Program,  // a window of our own
    Hack,     // a guest in a window we are handed
    Version,  // --version
    Help,     // --help
    Error,    // the message is in LinuxOptions::error
};

struct LinuxOptions {
    LinuxRun run;
    int32_t seedGiven;  // --seed: the random state the first picture is drawn from
    uint32_t seed;
    int32_t paletteSeedGiven;  // --palette-seed: the state the first palette is made from
    uint32_t paletteSeed;
    int32_t rootWindow;   // the hack draws on the root window
    uint64_t windowId;    // the hack's window when not the root
    SaverSettings saver;  // the hack's settings
    char error[200];
};

// Reads argv (UTF-8). The five options of the Windows program go into art's option
// fields as there; anything not understood is passed over as there. The hack runs with
// --window-id ID, else with saverWindow (XSCREENSAVER_WINDOW, may be null), else with
// --root. A window id that is not a number of an X window is an error; a bad seed is
// reported in warning (empty when none) and left out.
LinuxOptions ReadLinuxOptions(int argc, const char* const* argv, const char* saverWindow, char* warning,
                              size_t warningSize);

// An X window id: 0x and hex digits, or decimal digits; nonzero and within the 29 bits
// of an X resource id. Returns 1 and sets *id, or 0.
int ReadWindowId(const char* text, uint64_t* id);

// A random state as the page's link writes it: 0x and 1 to 8 hex digits, or 1 to 10
// decimal digits; 1 to 0xFFFFFFFF. Returns 1 and sets *state, or 0.
int ReadRandomState(const char* text, uint32_t* state);

// The --help text.
extern const char* const LinuxUsage;
