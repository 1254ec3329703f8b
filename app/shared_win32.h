// What every Windows front end over the core shares: the process's DPI awareness, the
// frame bitmap, the window class and the message loop. Include <windows.h> before
// this header.
#pragma once

// Per-monitor awareness where the system has it, plain awareness on older systems,
// nothing on the oldest: both functions are looked up by name, so none is required.
void MakeDpiAware();

// The 32-bit top-down DIB section of the Canvas size that every frame is composed
// into, in art.dibSection and art.dibPixels. Without it the program still runs and
// paints black.
void CreateFrameBitmap();

// Deletes the frame bitmap, then releases the Canvas and every buffer.
void ReleaseFrameBitmap();

// Registers a window class of this name: the program's icon (the system's when it is
// missing), a black background, a full repaint on every size change, this procedure
// and this cursor (null: none over the window).
void RegisterArtWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, HCURSOR cursor);

// The system's arrow cursor.
HCURSOR ArrowCursor();

// Runs the message loop until the quit message; its code.
int RunMessageLoop();

// Hides the cursor for as long as the process runs.
void HideCursor();
