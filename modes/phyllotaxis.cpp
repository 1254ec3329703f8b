// Mode 3: a sunflower head. A shaded disc, covered by small dots on a Fermat spiral at
// the golden angle, coloured by their number so the colours run outward. No random
// numbers: the picture depends on the Canvas size alone.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "modes/paths/kernel_choice.h"

namespace {
constexpr double kDotsPerDetail = 900.0;
constexpr int kMaxDots = 5000;
constexpr double kRadiusOfMinSide = 0.45;
constexpr double kDotOfSpacing = 0.45;          // dot radius as a share of the spacing
constexpr double kDiscEdge = 0.99;              // the disc stops just inside the pattern
constexpr double kDiscShades = -30.0;           // negative: truncation gives 1 + floor(30 d / R)
constexpr double kGoldenAngle = 2.399963229728651;  // radians, about 137.508 degrees
constexpr int kDotColourSpan = 215;
constexpr int kFirstDotColour = 40;

// One disc pixel at offset (ex, ey) from the centre, if it lies on the disc.
HUEMIX_ALWAYS_INLINE void DiscPixel(uint8_t* pixel, double ex, double ey, double radius) {
    const double d = std::sqrt(ex * ex + ey * ey);
    if (!(d > radius * kDiscEdge)) *pixel = static_cast<uint8_t>(1 - static_cast<int>(d / radius * kDiscShades));
}

void DiscPlain(int w, int h, double cx, double cy, double radius) {
    for (int y = 0; y < h; ++y) {
        uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
        const double ey = y - cy;
        for (int x = 0; x < w; ++x) DiscPixel(row + x, x - cx, ey, radius);
    }
}

// A quarter of the work: with cx = W / 2 and cy = H / 2, column W - x and row H - y lie
// exactly as far from the centre as column x and row y (the differences are exact
// multiples of 1/2), so they get the very same values, the cleared 0 included.
void DiscMirrored(int w, int h, double cx, double cy, double radius) {
    for (int y = 0; y < h; ++y) {
        uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
        if (h - y < y) {
            std::memcpy(row, art.canvas + static_cast<size_t>(h - y) * w, static_cast<size_t>(w));
            continue;
        }
        const double ey = y - cy;
        for (int x = 0; x < w; ++x) {
            if (w - x < x) {
                row[x] = row[w - x];
            } else {
                DiscPixel(row + x, x - cx, ey, radius);
            }
        }
    }
}
}  // namespace

void DrawPhyllotaxis() {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    std::memset(art.canvas, 0, static_cast<size_t>(w) * h);

    int n = static_cast<int>(art.detailScale * kDotsPerDetail);
    if (n > kMaxDots) n = kMaxDots;
    const double radius = (w < h ? w : h) * kRadiusOfMinSide;
    const double cx = w * 0.5;
    const double cy = h * 0.5;
    const double spacing = radius / std::sqrt(static_cast<double>(n));
    int r = static_cast<int>(spacing * kDotOfSpacing);
    if (r < 1) r = 1;

    if (KernelFor(kUserPhyllotaxis, nullptr) == kKernelPlain) {
        DiscPlain(w, h, cx, cy, radius);
    } else {
        DiscMirrored(w, h, cx, cy, radius);
    }

    // Later dots are drawn over earlier ones, so the outer dots lie on top.
    for (int i = 0; i < n; ++i) {
        const double rho = std::sqrt(static_cast<double>(i)) * spacing;
        const double theta = i * kGoldenAngle;
        const int px = static_cast<int>(std::cos(theta) * rho + cx);
        const int py = static_cast<int>(std::sin(theta) * rho + cy);
        const int colour = (i * kDotColourSpan) / n + kFirstDotColour;
        for (int j = -r; j <= r; ++j) {
            const int half = static_cast<int>(std::sqrt(static_cast<double>(r * r - j * j)));
            FillSpan(px - half, px + half, py + j, colour);
        }
    }
}
