// What the system asks of the screen saver, read from its command line: run full
// screen, preview inside a window, show the settings, or nothing at all.
#pragma once
#include <cstdint>

enum class SaverAction {
    Run,        // /s: full screen until the user comes back
    Preview,    // /p HWND: a live picture inside that window
    Configure,  // /c, /c:HWND, no argument or anything unrecognised: the settings
    Nothing,    // /a: a password change, which only old systems ask for
};

struct SaverCommand {
    SaverAction action;
    uint64_t window;      // the handle given after /p or /c; 0 when none was
    int32_t windowValid;  // 1 when a handle was given, well formed and not 0
};

// Reads argv[1] (and argv[2] when the handle follows after a space): "/" or "-", one
// letter in any case, and for /p and /c a window handle as an unsigned decimal number
// after ":" or as the next argument. argv[0], the program path, is skipped.
SaverCommand ReadSaverCommand(int argc, const char16_t* const* argv);

// An unsigned decimal window handle: digits only, at least one, within 64 bits.
// Returns 1 and sets *handle, or 0 when the text is anything else.
int ReadWindowHandle(const char16_t* text, uint64_t* handle);
