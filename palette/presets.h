// The eleven palette presets, ten fixed colour schemes and one random one.
#pragma once
#include <cstdint>

constexpr int kPresetCount = 11;

// Names shown by the status strip and matched by --palette, indexed by preset.
extern const char* const PresetNames[kPresetCount];

// A colour stop of a gradient.
struct ColourStop {
    int red;
    int green;
    int blue;
};

// The 16 colours of the IBM preset.
extern const ColourStop IbmColours[16];

// BasePalette[0] := 0 and BasePalette[1..255] := a gradient through count stops.
void FillGradient(const ColourStop* stops, int count);

// Nine draws from the random stream give three stops for FillGradient.
void RandomPalette();

// Builds BasePalette from currentPreset, resets the adjustment and copies it to Palette.
void NewPalette();

// P and Shift+P: the next or previous preset, modulo 11.
int NextPreset(int preset, bool back);
