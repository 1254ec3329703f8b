// Mode 0, the title screen: a radial gradient from index 1 at the centre to 255 in the
// corners, with the names, a tag line, a key hint and the site label written into it.
#include "modes/splash.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "modes/modes.h"
#include "modes/vector_kernel.h"
#include "text/font.h"
#include "text/site_label.h"

SplashLayout ComputeSplashLayout(int32_t width, int32_t height, int32_t medium, int32_t large) {
    const int32_t m = medium;
    const int32_t l = large;
    // The first four lines form a block 21L + 38M high, centred vertically; each line
    // is centred horizontally by its character count (6 columns per character).
    const int32_t y0 = (height - 38 * m - 21 * l) / 2;
    const int32_t y1 = y0 + 7 * l + 6 * m;
    const int32_t y2 = y1 + 14 * l + 12 * m;
    const int32_t y3 = y2 + 13 * m;
    SplashLayout layout = {{
        {"KORVANES", (width - 48 * l) / 2, y0, 255, l},
        {"HUEMIX", (width - 72 * l) / 2, y1, 255, 2 * l},
        {"RANDOM ART. RANDOM PALETTES.", (width - 168 * m) / 2, y2, 200, m},
        {"PRESS 1-9 OR F1 FOR HELP", (width - 144 * m) / 2, y3, 150, m},
        // The label keeps its corner place whatever its length.
        {kSiteLabel, width - 78 * m, height - 15 * m, 200, m},
    }};
    return layout;
}

namespace {
// Index of the gradient at offset (dx, dy) from the centre.
HUEMIX_ALWAYS_INLINE uint8_t GradientIndex(double dx, double dy, double radius) {
    const double d = std::sqrt(dx * dx + dy * dy);
    const double v = d * (-254.0) / radius;
    int index = 1 - static_cast<int>(v);  // 1 + floor(254 d / R), never below 1
    // At the corner d equals R, but d * -254 / R rounds to just above -254 and
    // would give 254; the farthest pixel is meant to reach the end of the ring.
    if (index > 255 || d >= radius) index = 255;
    return static_cast<uint8_t>(index);
}

void GradientPlain(int w, int h, double cx, double cy, double radius) {
    for (int y = 0; y < h; ++y) {
        const double dy = y - cy;
        uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) row[x] = GradientIndex(x - cx, dy, radius);
    }
}

// The same gradient a quarter of the work: with cx = W / 2, column W - x lies exactly
// as far from the centre as column x (both differences are exact multiples of 1/2), so
// it gets the very same index; likewise row H - y and row y.
void GradientMirrored(int w, int h, double cx, double cy, double radius) {
    for (int y = 0; y < h; ++y) {
        uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
        if (h - y < y) {
            std::memcpy(row, art.canvas + static_cast<size_t>(h - y) * w, static_cast<size_t>(w));
            continue;
        }
        const double dy = y - cy;
        for (int x = 0; x < w; ++x) row[x] = w - x < x ? row[w - x] : GradientIndex(x - cx, dy, radius);
    }
}
}  // namespace

void DrawSplash() {
    if (!art.canvas) return;
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    const double cx = w * 0.5;
    const double cy = h * 0.5;
    const double radius = std::sqrt(cx * cx + cy * cy);  // the half-diagonal
    if (KernelFor(kUserSplash) == kKernelPlain) {
        GradientPlain(w, h, cx, cy, radius);
    } else {
        GradientMirrored(w, h, cx, cy, radius);
    }
    const SplashLayout layout =
        ComputeSplashLayout(w, h, art.textScaleMedium, art.textScaleLarge);
    for (const SplashLine& line : layout.lines) {
        DrawCanvasText(line.x, line.y, line.text, line.colourIndex, line.scale);
    }
}
