// Mode 4: three concentric times-table circles. On each, n pins spaced evenly and a
// thread from pin i to pin i x m; the threads are coloured along the circle so that
// rotation runs the colours around the figure.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "modes/thread_walk.h"

namespace {
constexpr double kRadiusOfMinSide = 0.45;
constexpr double kBasePinsPerRoot = 60.0;
constexpr double kBasePins = 60.0;
constexpr double kPinSpanPerRoot = 120.0;
constexpr int kMinPinSpan = 60;
constexpr int kMinMultiplier = 2;
constexpr double kTurn = 6.2831853;  // a full turn; this literal shapes the pictures
constexpr int kLayerColourStep = 80;
constexpr int kLayerCount = 3;
constexpr double kLayerShrink = 0.7;

// Integer line with both ends included, for threads with an end off the Canvas: pixels
// off it are skipped, the walk goes on.
void WalkClippedThread(int x0, int y0, int x1, int y1, uint8_t colour) {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    const int dx = x1 > x0 ? x1 - x0 : x0 - x1;
    const int sx = x0 < x1 ? 1 : -1;
    const int dy = -(y1 > y0 ? y1 - y0 : y0 - y1);
    const int sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0;
    int y = y0;
    for (;;) {
        if (x >= 0 && x < w && y >= 0 && y < h) art.canvas[static_cast<size_t>(y) * w + x] = colour;
        if (x == x1 && y == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void DrawThread(int x0, int y0, int x1, int y1, uint8_t colour) {
    const auto inside = [](int x, int y) { return x >= 0 && x < art.canvasWidth && y >= 0 && y < art.canvasHeight; };
    if (inside(x0, y0) && inside(x1, y1)) {
        WalkThreadOnCanvas(art.canvas, art.canvasWidth, x0, y0, x1, y1, colour);
    } else {
        WalkClippedThread(x0, y0, x1, y1, colour);
    }
}
}  // namespace

void DrawStringArt() {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    std::memset(art.canvas, 0, static_cast<size_t>(w) * h);

    const double cx = w * 0.5;
    const double cy = h * 0.5;
    const double q = std::sqrt(art.detailScale);
    const int baseCount = static_cast<int>(q * kBasePinsPerRoot + kBasePins);
    int spanCount = static_cast<int>(q * kPinSpanPerRoot);
    if (spanCount < kMinPinSpan) spanCount = kMinPinSpan;

    double radius = (w < h ? w : h) * kRadiusOfMinSide;
    for (int layer = 0; layer < kLayerCount; ++layer) {
        const int offset = layer * kLayerColourStep;
        const int n = baseCount + RandomBelow(spanCount);
        const int m = kMinMultiplier + RandomBelow(n - 4);
        for (int i = 0; i < n; ++i) {
            // i x m is not reduced modulo n: the angle itself wraps.
            const double theta1 = static_cast<double>(i * m) * kTurn / n;
            const double theta2 = i * kTurn / n;
            const int x1 = static_cast<int>(std::cos(theta1) * radius + cx);
            const int y1 = static_cast<int>(std::sin(theta1) * radius + cy);
            const int x2 = static_cast<int>(std::cos(theta2) * radius + cx);
            const int y2 = static_cast<int>(std::sin(theta2) * radius + cy);
            const int colour = (offset + (254 * i) / n) % 255 + 1;
            DrawThread(x2, y2, x1, y1, static_cast<uint8_t>(colour));
        }
        radius *= kLayerShrink;
    }
}
