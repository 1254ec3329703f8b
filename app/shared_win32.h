// What every Windows front end over the core shares: the process's DPI awareness and
// the frame bitmap. Include <windows.h> before this header.
#pragma once

// Per-monitor awareness where the system has it, plain awareness on older systems,
// nothing on the oldest: both functions are looked up by name, so none is required.
void MakeDpiAware();

// The 32-bit top-down DIB section of the Canvas size that every frame is composed
// into, in art.dibSection and art.dibPixels. Without it the program still runs and
// paints black.
void CreateFrameBitmap();
