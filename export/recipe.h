// A picture's recipe: everything that makes the picture again, as one line of text in
// the form of the page's link parameters with the Canvas size after them:
//   mode=4&seed=0x1A2B3C4D&paletteseed=0xC0FFEE&palette=neon&speed=50&step=1
//   &direction=1&paused=0[&hue=..&saturation=..&brightness=..][&ticks=N][&zoomframes=F]&size=1920x1080
// The page's link (L) is the same text without the size; PNG files carry the whole
// line in their Comment text and videos in their comment tag.
#pragma once
#include <cstddef>
#include <cstdint>

struct Recipe {
    int32_t mode = 1;             // 0..9, the mode the picture was drawn in
    uint32_t seed = 0;            // the random state just before the picture was drawn
    uint32_t paletteSeed = 0;     // ... and before its palette was made
    int32_t preset = 0;           // 0..10
    int32_t intervalMs = 50;      // rotation interval ("speed")
    int32_t step = 1;             // 1, 2, 4 or 8
    int32_t direction = 1;        // +1 or -1
    int32_t paused = 0;
    double hueShift = 0.0;        // the adjustment, applied once after the palette
    double saturationFactor = 1.0;
    double brightnessFactor = 1.0;
    int32_t ticks = 0;            // rotation ticks after the adjustment
    int32_t zoomFrames = 0;       // mode 8: further zoom frames after the first
    int32_t width = 0;            // Canvas size
    int32_t height = 0;
};

// Ranges a recipe's values must keep; the renderer's options keep the same ones, so
// that every picture it writes can be read back.
constexpr int32_t kRecipeMaxIntervalMs = 655350;
constexpr double kRecipeMaxHue = 36000.0;      // either way
constexpr double kRecipeMaxFactor = 100.0;     // saturation and brightness, from 0
constexpr size_t kRecipeCapacity = 512;        // longest text, with its terminating zero

// The recipe of the picture on the screen: the palette, rotation, adjustment and size
// from ArtState; the mode, the two random states and the zoom frames since the zoom
// began are the shell's to keep, as it sees the pictures drawn.
Recipe ScreenRecipe(int32_t pictureMode, uint32_t pictureState, uint32_t paletteState, int32_t zoomFrames);

// The page's link parameters: the adjustment only when it is not neutral, and ticks
// and zoom frames only when not 0. Returns the text's length, or -1 when out is too small.
int32_t FormatLinkParameters(const Recipe& recipe, char* out, size_t outSize);
// The link parameters and "&size=WxH".
int32_t FormatRecipe(const Recipe& recipe, char* out, size_t outSize);

// Reads a recipe. Every field at most once; all but the adjustment, ticks and zoom
// frames must be there. Returns 0, or -1 with a one-line reason in error.
int32_t ParseRecipe(const char* text, Recipe* recipe, char* error, size_t errorSize);

// A double as JavaScript's String(number) writes it: the shortest digits that read
// back to the same value, in plain notation from 1e-6 to below 1e21, else as 1e-7 or 1e+21.
// The page's link writes its numbers so; out needs 32 bytes. Returns the length.
int32_t FormatScriptNumber(double value, char* out, size_t outSize);
