// The renderer's command line, read into a plain record. Unlike the program's five
// options, which pass over anything they do not understand, every mistake here is an
// error with a one-line message: a renderer run from a script must not quietly make
// another picture than the one asked for.
#pragma once
#include <cstddef>
#include <cstdint>

#include "export/option_text.h"
#include "export/recipe.h"

enum OfflineOverlay : int32_t {
    kOverlayNone = 0,   // the indexed picture itself
    kOverlayStrip = 1,  // the composed frame with the status strip
    kOverlayHelp = 2,   // the composed frame with the help screen
};

enum OfflineFormat : int32_t {
    kFormatPng = 0,
    kFormatGif = 1,
    kFormatWebm = 2,  // VP9 video
};

// Largest side and picture: a GIF cannot describe more than 65535 pixels a side, and
// the pixel cap keeps the buffers (Canvas, backup, frame: 6 bytes a pixel) well inside
// the memory of an ordinary machine instead of letting the system kill the process.
constexpr int32_t kOfflineMaxFrames = 65535;
constexpr int32_t kOfflineMaxDelayMs = 655350;  // 65535 centiseconds, a GIF's longest delay
constexpr int32_t kOfflineMaxThreads = 64;
// A video made without --frames holds one turn of the palette ring: a seamless loop.
constexpr int32_t kOfflineLoopFrames = 255;

struct OfflineOptions {
    int32_t width = 1920;
    int32_t height = 1080;
    int32_t seedGiven = 0;  // 0: seed from the clock
    uint32_t seed = 0;      // the random state the palette is made from
    uint32_t pictureSeed = 0;  // nonzero: the state the picture is drawn from (a recipe's)
    int32_t preset = 0;  // RANDOM
    int32_t mode = 1;
    int32_t zoomFrames = 0;
    double hueShift = 0.0;
    double saturationFactor = 1.0;
    double brightnessFactor = 1.0;
    int32_t ticks = 0;
    int32_t ticksTurned = 0;  // 1: the ticks are turns the colours made (a recipe's), run even when paused
    int32_t step = 1;
    int32_t direction = 1;
    int32_t paused = 0;
    int32_t overlay = kOverlayNone;
    int32_t frames = 1;     // a video's default is kOfflineLoopFrames
    int32_t delayMs = 50;
    const char* output = nullptr;  // points into argv
    int32_t format = kFormatPng;
    int32_t threads = 0;  // drawing threads, the caller included; 0: one per logical processor
    const char* recipePath = nullptr;  // --recipe: a PNG whose recipe sets the picture
};

enum OfflineParseResult : int32_t {
    kParseError = -1,  // the message is in the error buffer
    kParseOk = 0,
    kParseHelp = 1,     // --help: print OfflineUsage and end successfully
    kParseVersion = 2,  // --version: print the release number and end successfully
};

// Reads argv[1..argc-1]. An option given twice takes its last value, as the program's
// options do. On an error, writes one line (no newline) into error.
int32_t ParseOfflineOptions(int argc, const char* const* argv, OfflineOptions* options, char* error,
                            size_t errorSize);

// The --help text, several lines ending in a newline.
extern const char* const OfflineUsage;

// Sets the picture's options from a recipe read for --recipe.
void ApplyRecipe(const Recipe& recipe, OfflineOptions* options);

// GIF delays are whole centiseconds: the nearest one, halves up, but never 0, which
// viewers would replace by a delay of their own choosing.
int32_t GifDelayCentiseconds(int32_t delayMs);
