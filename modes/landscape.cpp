// Mode 6: a side view of a mountain range. Banded sky, a ridge made by midpoint
// displacement, land shaded from the ridge down to the horizon, and stair-stepped
// diagonal stripes below it. Each part has its own stretch of colour indices.
#include "modes/landscape.h"

#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "modes/random_source.h"

namespace {
constexpr double kRidgeEnds = 0.5;
constexpr double kFirstAmplitude = 0.55;
constexpr double kAmplitudeDecay = 0.55;
constexpr double kHorizonOfHeight = 0.78;
constexpr double kRidgeSwingOfHeight = 0.55;  // p = 0..1 spans 0.55 H ...
constexpr double kRidgeMidOfHeight = 0.45;    // ... around 0.45 H
constexpr int kSkyBands = 60;
constexpr int kFirstLand = 80;
constexpr int kLandShades = 110;
constexpr int kFirstStripe = 200;
constexpr int kStripeStep = 6;
}  // namespace

double ridgeProfile[kRidgeIntervals + 1];

void BuildRidgeProfile() {
    ridgeProfile[0] = kRidgeEnds;
    ridgeProfile[kRidgeIntervals] = kRidgeEnds;
    double amplitude = kFirstAmplitude;
    for (int step = kRidgeIntervals; step > 1; step /= 2) {
        const int half = step / 2;
        for (int i = 0; i < kRidgeIntervals; i += step) {
            double v = (ridgeProfile[i] + ridgeProfile[i + step]) * 0.5 + (RandomUnit() - 0.5) * amplitude;
            if (v < 0.0) v = 0.0;
            if (v > 1.0) v = 1.0;
            ridgeProfile[i + half] = v;
        }
        amplitude *= kAmplitudeDecay;
    }
}

void PaintLandscape() {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    std::memset(art.canvas, 0, static_cast<size_t>(w) * h);

    for (int y = 0; y < h; ++y) FillSpan(0, w - 1, y, (y * kSkyBands) / h + 1);

    const int horizon = static_cast<int>(h * kHorizonOfHeight);
    for (int x = 0; x < w; ++x) {
        // Column 0 reads entry 0 and column w - 1 reads the last entry.
        const int j = static_cast<int>(static_cast<double>(x) / (w - 1) * static_cast<double>(kRidgeIntervals));
        const double p = ridgeProfile[j];
        int top = static_cast<int>((p - 0.5) * h * kRidgeSwingOfHeight + h * kRidgeMidOfHeight);
        if (top < 0) top = 0;
        if (top > h - 1) top = h - 1;
        int landRows = horizon - top + 1;
        if (landRows < 1) landRows = 1;
        for (int y = top; y < h; ++y) {
            int colour;
            if (y < horizon) {
                colour = (kLandShades * (y - top)) / landRows + kFirstLand;
            } else {
                colour = ((x / 8 + y) & 7) * kStripeStep + kFirstStripe;
            }
            if (colour > 255) colour = 255;
            art.canvas[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(colour);
        }
    }
}

void DrawLandscape() {
    // The sky takes no random numbers, so building the ridge first leaves the picture
    // and the order of draws as they are.
    BuildRidgeProfile();
    PaintLandscape();
}
