// The browser shell's own state: the five timers as due times on the page's clock,
// the frame flag, the worker that draws the slow pictures and what the page's link
// (L) records. One record, as the program's own state is.
#pragma once
#include <cstdint>

constexpr int kWebTimerSlots = 6;  // ids 1 to 5

struct WebTimer {
    int32_t intervalMs;
    double due;  // performance.now() time of the next tick
    int32_t running;
};

struct WebShell {
    WebTimer timers[kWebTimerSlots] = {};
    int32_t frameDirty = 0;
    int32_t workerReady = 0;   // a worker exists to draw pictures in
    int32_t drawPending = 0;   // a picture is being drawn in it
    uint32_t pictureState = 0;  // the random state before the last picture was drawn
    int32_t pictureMode = 0;
    uint32_t paletteState = 0;  // ... and before the last new palette
    uint32_t* rgba = nullptr;   // the frame in the canvas element's byte order
    int32_t zoomFrames = 0;     // zoom frames drawn by the timer since the zoom began
    int32_t zoomFramePending = 0;  // the picture being drawn is the zoom's next frame
    // The rotation since the palette was made, for the recipe of a snapshot: the places
    // the ring has turned (0..254), and the ticks since the adjustment last changed.
    int32_t startTicks = 0;  // a recipe's ticks, run once the start picture is there
};

extern WebShell web;

// The snapshot's download name for now, kvhuemix_YYYYMMDD_HHMMSS.png, or "".
const char* SnapshotDownloadName();
