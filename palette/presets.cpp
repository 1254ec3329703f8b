#include "palette/presets.h"

#include "app/art_state.h"

const char* const PresetNames[kPresetCount] = {
    "RANDOM", "FIRE", "OCEAN", "FOREST", "GRAY", "CGA", "AMIGA", "SUNSET", "NEON", "PASTEL", "IBM",
};

const ColourStop IbmColours[16] = {};

void FillGradient(const ColourStop*, int) {}

void RandomPalette() {}

void NewPalette() {}

int NextPreset(int preset, bool back) { return (preset + (back ? 10 : 1)) % kPresetCount; }
