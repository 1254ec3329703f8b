// The palette engine: Palette and BasePalette in art (256 entries of 0x00RRGGBB each),
// their hue, saturation and brightness adjustment, and the rotation tick. Index 0 is
// black and never moves; 1..255 rotate as a ring.
#pragma once

// Indices 1..255 rotate; index 0 stays black.
constexpr int kRingSize = 255;
#include <cstdint>

// HSV (hue in degrees, any value; saturation and value clamped to 0..1) to 0x00RRGGBB,
// channels truncated, not rounded.
uint32_t HsvToRgb(double hue, double saturation, double value);

// Palette := BasePalette adjusted by hueShift, saturationFactor and brightnessFactor;
// an exact copy when all three are neutral.
void AdjustPalette();

// One tick of timer 1: adjust, rotate the ring by rotationStep x rotationDirection,
// keep the result as the new BasePalette. Returns false (and does nothing) while
// paused or on the splash screen.
bool RotatePalette();

// The key rules for the adjustment parameters; each returns the new value.
double HueShiftedBy(double hueShift, bool back);      // H: +10, Shift+H: -10
double NextSaturationFactor(double saturationFactor);  // V: 1.0, 0.5, 1.5, 1.0 ...
double NextBrightnessFactor(double brightnessFactor);  // B: 1.0, 0.6, 1.4, 1.0 ...
