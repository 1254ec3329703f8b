#include "palette/presets.h"

#include <cstdint>
#include <cstring>

#include "app/art_state.h"
#include "modes/random_source.h"

const char* const PresetNames[kPresetCount] = {
    "RANDOM", "FIRE", "OCEAN", "FOREST", "GRAY", "CGA", "AMIGA", "SUNSET", "NEON", "PASTEL", "IBM",
};

const ColourStop IbmColours[16] = {
    {0, 0, 0},     {0, 0, 170},    {0, 170, 0},     {0, 170, 170},   {170, 0, 0},   {170, 0, 170},
    {170, 85, 0},  {170, 170, 170}, {85, 85, 85},   {85, 85, 255},   {85, 255, 85}, {85, 255, 255},
    {255, 85, 85}, {255, 85, 255}, {255, 255, 85}, {255, 255, 255},
};

namespace {

enum Preset { kRandom, kFire, kOcean, kForest, kGray, kCga, kAmiga, kSunset, kNeon, kPastel, kIbm };

constexpr ColourStop FireStops[] = {{0, 0, 0}, {200, 40, 0}, {255, 240, 140}};
constexpr ColourStop OceanStops[] = {{0, 10, 40}, {20, 80, 180}, {220, 240, 255}};
constexpr ColourStop ForestStops[] = {{10, 40, 15}, {60, 140, 30}, {240, 230, 180}};
constexpr ColourStop CgaStops[] = {{0, 0, 0}, {0, 170, 170}, {170, 0, 170}, {255, 255, 255}};
constexpr ColourStop AmigaStops[] = {{17, 0, 68}, {102, 0, 153}, {204, 51, 153}, {255, 153, 51}, {255, 238, 170}};
constexpr ColourStop SunsetStops[] = {{20, 0, 40}, {120, 30, 80}, {255, 90, 40}, {255, 200, 80}, {255, 250, 200}};
constexpr ColourStop NeonStops[] = {{0, 0, 0}, {255, 0, 200}, {0, 255, 200}, {255, 255, 0}, {0, 180, 255}};
constexpr ColourStop PastelStops[] = {
    {255, 200, 200}, {200, 230, 255}, {200, 255, 210}, {255, 240, 180}, {220, 200, 255}};

uint32_t ClampByte(int64_t x) { return x < 0 ? 0u : (x > 255 ? 255u : static_cast<uint32_t>(x)); }

// Truncated toward zero, then clamped; the clamp comes first in double so that no value
// outside the int range reaches the conversion (same result for every other value).
uint32_t TruncatedByte(double x) {
    if (!(x > -1.0)) return 0;  // also NaN
    if (x >= 255.0) return 255;
    return ClampByte(static_cast<int64_t>(x));
}

uint32_t Entry(const ColourStop& c) { return ClampByte(c.red) << 16 | ClampByte(c.green) << 8 | ClampByte(c.blue); }

// One channel between two stops: the difference as an integer, the rest in doubles.
uint32_t Blend(int from, int to, double f) {
    double difference = static_cast<double>(static_cast<int64_t>(to) - from);
    return TruncatedByte(difference * f + from);
}

void FillGray() {
    art.basePalette[0] = 0;
    for (uint32_t i = 1; i < 256; ++i) art.basePalette[i] = i * 0x010101u;
}

void FillIbm() {
    art.basePalette[0] = 0;
    for (int i = 1; i < 256; ++i) art.basePalette[i] = Entry(IbmColours[(i - 1) % 16]);
}

}  // namespace

void FillGradient(const ColourStop* stops, int count) {
    art.basePalette[0] = 0;
    // A gradient needs two stops; with one the ring is that colour, with none black.
    if (stops == nullptr || count < 2) {
        uint32_t solid = (stops != nullptr && count == 1) ? Entry(stops[0]) : 0;
        for (int i = 1; i < 256; ++i) art.basePalette[i] = solid;
        return;
    }
    const int segments = count - 1;
    for (int i = 1; i < 256; ++i) {
        double t = (i - 1) / 254.0 * segments;
        int seg = static_cast<int>(t);
        if (seg >= segments) seg = segments - 1;  // only at index 255
        double f = t - seg;
        const ColourStop& a = stops[seg];
        const ColourStop& b = stops[seg + 1];
        art.basePalette[i] = Blend(a.red, b.red, f) << 16 | Blend(a.green, b.green, f) << 8 | Blend(a.blue, b.blue, f);
    }
}

void RandomPalette() {
    int d[9];
    for (int& v : d) v = static_cast<int>(NextRandom() & 0xFFu);
    // The stops are filled from the last one backwards, blue first.
    ColourStop stops[3];
    stops[2] = {d[2], d[1], d[0]};
    stops[1] = {d[5], d[4], d[3]};
    stops[0] = {d[8], d[7], d[6]};
    FillGradient(stops, 3);
}

void NewPalette() {
    switch (art.currentPreset) {
        case kFire: FillGradient(FireStops, 3); break;
        case kOcean: FillGradient(OceanStops, 3); break;
        case kForest: FillGradient(ForestStops, 3); break;
        case kGray: FillGray(); break;
        case kCga: FillGradient(CgaStops, 4); break;
        case kAmiga: FillGradient(AmigaStops, 5); break;
        case kSunset: FillGradient(SunsetStops, 5); break;
        case kNeon: FillGradient(NeonStops, 5); break;
        case kPastel: FillGradient(PastelStops, 5); break;
        case kIbm: FillIbm(); break;
        case kRandom:
        default: RandomPalette(); break;  // any preset out of range counts as RANDOM
    }
    art.hueShift = 0.0;
    art.saturationFactor = 1.0;
    art.brightnessFactor = 1.0;
    art.ringTurned = 0;
    art.ticksSinceAdjustment = 0;
    std::memcpy(art.palette, art.basePalette, sizeof art.palette);
}

int NextPreset(int preset, bool back) {
    // Normalised first, so that even a preset out of range lands within 0..10.
    int current = preset % kPresetCount;
    if (current < 0) current += kPresetCount;
    return (current + (back ? kPresetCount - 1 : 1)) % kPresetCount;
}
