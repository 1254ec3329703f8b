// Mode 1: three circular wave trains from random centres plus one diagonal wave,
// summed and mapped onto the cycling ring.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "app/art_state.h"
#include "modes/modes.h"
#include "modes/random_source.h"

namespace {
// The diagonal wave depends on x + y alone, so each of its sines is taken once per
// picture, for Canvases whose width plus height fits the table (every screen of today),
// and per pixel beyond that. A fixed table: the mode needs no allocation.
constexpr int kDiagonalTableSize = 8192;
double diagonalSine[kDiagonalTableSize];
}  // namespace

void DrawPlasma() {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    // Frequencies scale with the width, so every resolution shows as many bands.
    const double k = 320.0 / w;
    // All ten draws come before any pixel, in this order.
    const double x1 = RandomUnit() * w;
    const double y1 = RandomUnit() * h;
    const double x2 = RandomUnit() * w;
    const double y2 = RandomUnit() * h;
    const double x3 = RandomUnit() * w;
    const double y3 = RandomUnit() * h;
    const double f1 = (RandomUnit() * 0.1 + 0.04) * k;
    const double f2 = (RandomUnit() * 0.1 + 0.04) * k;
    const double f3 = (RandomUnit() * 0.1 + 0.04) * k;
    const double f4 = (RandomUnit() * 0.06 + 0.05) * k;

    const bool tabled = static_cast<int64_t>(w) + h - 1 <= kDiagonalTableSize;
    if (tabled) {
        for (int i = 0; i < w + h - 1; ++i) diagonalSine[i] = std::sin(static_cast<double>(i) * f4);
    }

    for (int y = 0; y < h; ++y) {
        const double fy = y;
        const double ry1 = (fy - y1) * (fy - y1);
        const double ry2 = (fy - y2) * (fy - y2);
        const double ry3 = (fy - y3) * (fy - y3);
        uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            const double fx = x;
            const double d1 = std::sqrt((fx - x1) * (fx - x1) + ry1);
            const double d2 = std::sqrt((fx - x2) * (fx - x2) + ry2);
            const double d3 = std::sqrt((fx - x3) * (fx - x3) + ry3);
            double s = std::sin(d2 * f2);
            s += std::sin(d1 * f1);
            s += std::sin(d3 * f3);
            s += tabled ? diagonalSine[x + y] : std::sin(static_cast<double>(x + y) * f4);
            const double v = (s + 4.0) * (-31.75);
            int index = 1 - static_cast<int>(v);
            if (index < 1) index = 1;
            if (index > 255) index = 255;
            row[x] = static_cast<uint8_t>(index);
        }
    }
}
