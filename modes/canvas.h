// The Canvas: canvasWidth x canvasHeight colour indices, row-major, top row first.
// Index 0 never rotates; 1..255 form the cycling ring.
#pragma once
#include <cstdint>

// Smallest Canvas the program ever uses: generators may rely on it.
constexpr int32_t kMinCanvasWidth = 320;
constexpr int32_t kMinCanvasHeight = 200;

// Size-derived values fixed at start-up.
struct ScaleValues {
    double detailScale;
    int32_t textScaleSmall;
    int32_t textScaleMedium;
    int32_t textScaleLarge;
};

// Scale values for a Canvas of this size.
ScaleValues ComputeScales(int32_t width, int32_t height);

// Sets the Canvas size (raised to at least 320 x 200) and the scale values, and
// allocates the zero-filled Canvas and CanvasBackup. Returns 0, or -1 when either
// allocation fails (nothing is kept then). Any earlier buffers must be released first.
int AllocateCanvas(int32_t width, int32_t height);

// Releases the Canvas and the CanvasBackup and clears the pointers.
void ReleaseCanvas();

// Releases what the modes keep between calls (the zoom buffer and the orbit buffers)
// and clears their pointers and sizes, so the next call starts as a fresh run.
void ReleaseModeScratch();

// Fills pixels min(x0,x1)..max(x0,x1) of row y with colour, clipped to the Canvas.
void FillSpan(int x0, int x1, int y, int colour);

// Fills rows y0..y1 (none when y0 > y1) of pixels min(x0,x1)..max(x0,x1) with colour,
// clipped to the Canvas.
void FillRect(int x0, int y0, int x1, int y1, int colour);
