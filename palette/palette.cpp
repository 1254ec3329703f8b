#include "palette/palette.h"

#include "app/art_state.h"

uint32_t HsvToRgb(double, double, double) { return 0; }

void AdjustPalette() {}

bool RotatePalette() { return !(art.paused || art.currentMode == 0); }

double HueShiftedBy(double hueShift, bool) { return hueShift; }
double NextSaturationFactor(double saturationFactor) { return saturationFactor; }
double NextBrightnessFactor(double brightnessFactor) { return brightnessFactor; }
