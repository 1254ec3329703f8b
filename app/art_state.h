// ArtState: the one global record of settings and run-time state. Every part of the
// program reads and writes its fields directly; nothing allocates or copies it.
#pragma once
#include <cstddef>
#include <cstdint>

// A window rectangle, as the platform's RECT: left, top, right, bottom.
struct ArtRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct ArtState {
    // ---- settings with compiled-in defaults ----
    int32_t rotationIntervalMs = 50;  // period of timer 1
    int32_t rotationStep = 1;         // 1, 2, 4 or 8 palette places per tick
    int32_t rotationDirection = 1;    // +1 or -1
    int32_t fullScreen = 1;
    int32_t statusStripShown = 1;
    int32_t hintEnabled = 1;
    int32_t monitorOption = -1;  // negative: the monitor under the cursor
    int32_t paletteOption = -1;  // negative: no preset chosen
    double detailScale = 1.0;
    int32_t textScaleSmall = 1;
    int32_t textScaleMedium = 2;
    int32_t textScaleLarge = 4;
    uint32_t randomState = 0xC0FFEE;
    double saturationFactor = 1.0;
    double brightnessFactor = 1.0;
    double zoomCentreX = -0.7435;
    double zoomCentreY = 0.1314;
    double zoomHalfHeight = 1.4;
    int32_t drawingThreads = 0;  // threads a picture is drawn by; 0: one per logical processor

    // ---- run-time state, zero when the program starts ----
    int32_t canvasWidth = 0;
    int32_t canvasHeight = 0;
    uint8_t* canvas = nullptr;        // canvasWidth x canvasHeight colour indices
    uint8_t* canvasBackup = nullptr;  // the picture while the help screen is drawn
    int32_t currentMode = 0;
    int32_t paused = 0;
    uint32_t palette[256] = {};      // what the screen shows, 0x00RRGGBB
    uint32_t basePalette[256] = {};  // what the preset made and each tick leaves
    int32_t ringTurned = 0;            // places the ring turned since the palette was made, mod 255
    int32_t ticksSinceAdjustment = 0;  // turns since the adjustment was last set
    int32_t helpShown = 0;
    uint32_t lastInputTick = 0;
    int32_t currentPreset = 0;
    int32_t autoCycle = 0;
    int32_t windowedOption = 0;
    int32_t modeOption = 0;
    int32_t speedOption = 0;
    uint32_t savedWindowStyle = 0;
    ArtRect savedWindowRect = {0, 0, 0, 0};
    void* dibSection = nullptr;     // the platform's bitmap handle
    uint32_t* dibPixels = nullptr;  // canvasWidth x canvasHeight frame pixels
    void* dibInfo = nullptr;        // the platform's BITMAPINFO
    double hueShift = 0.0;

    // ---- the screen saver's choices; huemix.exe leaves them at 0 ----
    int32_t saverModeChoice = 0;      // 0: all modes in turn; 1..9 that mode only
    int32_t saverNewPaletteEach = 0;  // 1: a new palette with every picture
    int32_t saverPictureMs = 0;       // how long each picture stays

    // ---- scratch kept between frames by the drawing modes that own it ----
    uint8_t* zoomBuffer = nullptr;  // Mandelbrot zoom's reduced image
    int32_t bufferWidth = 0;        // size the zoom buffer was allocated for
    int32_t bufferHeight = 0;
    double* orbitRe = nullptr;  // Buddhabrot orbit points of the current sample
    double* orbitIm = nullptr;
    int32_t orbitCapacity = 0;
};

extern ArtState art;

// Puts every field back to its default without releasing anything; for tests.
void ResetArtState();

// Flags are 0 or 1; a toggle makes 1 of 0 and 0 of anything else.
inline int32_t Toggled(int32_t flag) { return flag == 0 ? 1 : 0; }
