#include "palette/palette.h"

#include <cmath>
#include <cstring>

#include "app/art_state.h"

namespace {


// (channel' + m) * 255 truncated toward zero and clamped to 0..255. The clamp is done
// in double before the conversion, which gives the same result for every finite value
// and keeps out-of-range or NaN values from reaching an undefined conversion.
uint32_t ChannelByte(double unit) {
    double scaled = unit * 255.0;
    if (!(scaled > 0.0)) return 0;  // also NaN
    if (scaled >= 255.0) return 255;
    return static_cast<uint32_t>(scaled);
}

double ClampUnit(double x) {
    if (!(x > 0.0)) return 0.0;  // also NaN
    return x < 1.0 ? x : 1.0;
}

// Entry 0x00RRGGBB to hue (degrees, 0..360), saturation and value (0..1).
void RgbToHsv(uint32_t entry, double& hue, double& saturation, double& value) {
    double r = ((entry >> 16) & 0xFF) / 255.0;
    double g = ((entry >> 8) & 0xFF) / 255.0;
    double b = (entry & 0xFF) / 255.0;
    double max = r > g ? r : g;
    max = max > b ? max : b;
    double min = r < g ? r : g;
    min = min < b ? min : b;
    double delta = max - min;
    saturation = max == 0.0 ? 0.0 : delta / max;
    value = max;
    double h = 0.0;
    if (delta != 0.0) {
        // Ties go to red before green before blue.
        if (max == r) {
            h = std::fmod((g - b) / delta, 6.0);
        } else if (max == g) {
            h = (b - r) / delta + 2.0;
        } else {
            h = (r - g) / delta + 4.0;
        }
        h *= 60.0;
        if (h < 0.0) h += 360.0;
    }
    hue = h;
}

}  // namespace

uint32_t HsvToRgb(double hue, double saturation, double value) {
    double s = ClampUnit(saturation);
    double v = ClampUnit(value);
    // An infinite or NaN hue has no angle; such a colour is taken as hue 0.
    double h = std::isfinite(hue) ? std::fmod(hue, 360.0) : 0.0;
    if (h < 0.0) h += 360.0;

    double chroma = s * v;
    double x = chroma * (1.0 - std::fabs(std::fmod(h / 60.0, 2.0) - 1.0));
    double m = v - chroma;
    double r, g, b;
    if (h < 60.0) {
        r = chroma, g = x, b = 0.0;
    } else if (h < 120.0) {
        r = x, g = chroma, b = 0.0;
    } else if (h < 180.0) {
        r = 0.0, g = chroma, b = x;
    } else if (h < 240.0) {
        r = 0.0, g = x, b = chroma;
    } else if (h < 300.0) {
        r = x, g = 0.0, b = chroma;
    } else {
        r = chroma, g = 0.0, b = x;
    }
    return ChannelByte(r + m) << 16 | ChannelByte(g + m) << 8 | ChannelByte(b + m);
}

void AdjustPalette() {
    art.palette[0] = 0;
    if (art.hueShift == 0.0 && art.saturationFactor == 1.0 && art.brightnessFactor == 1.0) {
        // Neutral: a plain copy, so no conversion can disturb a colour.
        std::memcpy(art.palette, art.basePalette, sizeof art.palette);
        return;
    }
    for (int i = 1; i < 256; ++i) {
        double h, s, v;
        RgbToHsv(art.basePalette[i], h, s, v);
        art.palette[i] = HsvToRgb(art.hueShift + h, art.saturationFactor * s, art.brightnessFactor * v);
    }
}

bool RotatePalette() {
    if (art.paused != 0 || art.currentMode == 0) return false;

    AdjustPalette();

    // 64-bit so that no step or direction value can overflow the product.
    int64_t k = static_cast<int64_t>(art.rotationStep) * art.rotationDirection;
    int offset = static_cast<int>(((k % kRingSize) + kRingSize) % kRingSize);
    if (offset != 0) {
        uint32_t ring[kRingSize];
        for (int j = 1; j <= kRingSize; ++j) ring[j - 1] = art.palette[1 + (offset + j - 1) % kRingSize];
        std::memcpy(art.palette + 1, ring, sizeof ring);
    }

    // The adjusted, rotated colours become the source of the next tick, so adjustments
    // compound while rotation runs.
    std::memcpy(art.basePalette, art.palette, sizeof art.basePalette);
    // Counted for the picture's recipe.
    art.ringTurned = (art.ringTurned + offset) % kRingSize;
    ++art.ticksSinceAdjustment;
    return true;
}

double HueShiftedBy(double hueShift, bool back) { return back ? hueShift - 10.0 : hueShift + 10.0; }

double NextSaturationFactor(double saturationFactor) {
    if (saturationFactor > 0.99 && saturationFactor < 1.01) return 0.5;
    if (saturationFactor < 0.6) return 1.5;
    return 1.0;
}

double NextBrightnessFactor(double brightnessFactor) {
    if (brightnessFactor > 0.99 && brightnessFactor < 1.01) return 0.6;
    if (brightnessFactor < 0.7) return 1.4;
    return 1.0;
}
