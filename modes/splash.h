// The splash screen's text block: five lines placed from the Canvas size and the
// medium and large text scales.
#pragma once
#include <cstdint>

constexpr int kSplashLineCount = 5;

struct SplashLine {
    const char* text;
    int32_t x;
    int32_t y;
    uint8_t colourIndex;
    int32_t scale;
};

struct SplashLayout {
    SplashLine lines[kSplashLineCount];  // in drawing order
};

// Where the lines go on a width x height Canvas with text scales medium and large.
SplashLayout ComputeSplashLayout(int32_t width, int32_t height, int32_t medium, int32_t large);
