// The portable rules of start-up, the main window's placement and the full-screen
// switch. The Win32 shell applies what these return; they hold the arithmetic so that
// it can be tested without a window.
#pragma once
#include <cstddef>
#include <cstdint>

#include "app/art_state.h"

// Process exit codes.
constexpr int kExitNormal = 0;
constexpr int kExitNoWindow = 1;
constexpr int kExitNoMemory = 2;

// Window styles, the platform's values.
constexpr uint32_t kPopupStyle = 0x90000000u;   // WS_POPUP | WS_VISIBLE
constexpr uint32_t kFramedStyle = 0x10CF0000u;  // WS_OVERLAPPEDWINDOW | WS_VISIBLE
// Into full screen: caption, system menu, sizing frame and the two boxes go, the
// popup bit comes, every other bit of the saved style stays.
constexpr uint32_t kFullScreenKeepMask = 0x7F30FFFFu;
constexpr uint32_t kPopupBit = 0x80000000u;

// A framed window is at most this big, frame and caption included.
constexpr int32_t kFramedMaxWidth = 1280;
constexpr int32_t kFramedMaxHeight = 800;
// ... and starts this far from the monitor's corner.
constexpr int32_t kFramedOffset = 50;
// Back from full screen with nothing saved: this position.
constexpr int32_t kFramedDefaultPosition = 100;

// The search of the monitor enumeration for the monitor with a given index.
struct MonitorSearch {
    int32_t targetIndex;  // --monitor
    int32_t seen;         // monitors enumerated so far
    void* found;          // the monitor with the target index, or null
};

// One step of the enumeration: keeps this monitor when its number is the target.
// The enumeration always runs to its end.
void RecordMonitor(MonitorSearch* search, void* monitor);

// Where a window goes and how it looks.
struct WindowPlacement {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    uint32_t style;
};

// The main window at start-up: a popup covering the monitor at the Canvas size, or
// with --windowed a framed window of at most 1280 x 800 at the monitor's corner + 50.
WindowPlacement StartWindowPlacement(ArtRect monitor, int32_t canvasWidth, int32_t canvasHeight,
                                     int32_t windowed);

// F11 out of full screen: the saved style and rectangle, with defaults for what was
// never saved (a left or top of 0 counts as unsaved).
WindowPlacement FramedPlacement(uint32_t savedStyle, ArtRect savedRect);

// F11 into full screen: the monitor's rectangle with the saved style made a popup.
WindowPlacement FullScreenPlacement(uint32_t savedStyle, ArtRect monitor);

// Allocates the Canvas and the CanvasBackup for a monitor of this size (raised to
// 320 x 200) with their scale values; kExitNoMemory when either allocation fails.
int AllocateBuffers(int32_t monitorWidth, int32_t monitorHeight);

// The frame bitmap's description (a BITMAPINFO): a 40-byte header and room for a
// 256-entry colour table of 4-byte entries, which a 32-bit picture never reads.
constexpr size_t kFrameInfoHeaderBytes = 40;
constexpr size_t kFrameInfoBytes = kFrameInfoHeaderBytes + 256 * 4;

// Allocates it zero-filled into art.dibInfo for the shell to fill in; null when
// refused, and the program then runs without a frame bitmap.
void* AllocateFrameInfo();

// The --palette and --speed options; --windowed and --mode are applied with the window.
void ApplyOptions();

// After the window is created: a --mode above 0 replaces the splash screen at once
// (with the zoom timer for mode 8) and the splash timer is no longer needed.
void SelectStartMode();

// The window is being destroyed: the CanvasBackup, the Canvas and the BITMAPINFO are
// freed and every pointer to them and to the frame is cleared, so nothing can reach a
// released buffer. The shell deletes the bitmap itself first.
void ReleaseBuffers();
