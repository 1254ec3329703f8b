// The seam between the portable core and the platform. The Win32 shell implements
// these with the real API (platform_win32.cpp), the window-less tools with a fixed
// clock and no window (platform_headless.cpp), and the unit tests with a recording fake.
#pragma once
#include <cstdint>

// Milliseconds since the system started (GetTickCount); read on every input and by
// the hint's timing.
uint32_t PlatformTickCount();

// The processor time the calling thread has used so far, in units of the platform's
// choosing: only the difference of two readings on one thread means anything. Unlike
// a clock it does not run while the thread waits for a processor. Negative where the
// platform cannot tell.
int64_t PlatformThreadTime();

// Starts, or restarts with a new interval, the window timer with this id.
void PlatformSetTimer(int id, int32_t intervalMs);

// Stops the window timer with this id; stopping one that is not running is harmless.
void PlatformKillTimer(int id);

// Ends the message loop with this exit code (PostQuitMessage).
void PlatformPostQuit(int exitCode);

// Asks for the whole client area to be painted again, without erasing.
void PlatformInvalidate();

// F11: between the borderless full-screen popup and a framed window.
void ToggleFullScreen();

// F12: writes the frame as last composed to a PNG file; 0 or a negative code.
int32_t SaveSnapshot();

// 1 when a file or folder of this name exists, 0 otherwise; the snapshot uses it so
// that it never overwrites a picture.
int PlatformFileExists(const char16_t* path);

// Asked just before a picture of this mode is drawn for the start, an input or a
// timer: 1 when the platform draws it elsewhere and hands it back later (the browser,
// in a worker, so that its page never freezes), 0 to draw it at once. Windows and the
// tools always draw at once.
int PlatformDrawsLater(int mode);
