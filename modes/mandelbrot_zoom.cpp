// Mode 8: the Mandelbrot set around a point of interest, one frame per timer tick,
// each frame a little closer; past the depth limit a new zoom starts at another point.
#include "modes/mandelbrot_zoom.h"

#include <cstddef>

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/modes.h"
#include "modes/random_source.h"

namespace {
constexpr double kShrinkPerFrame = 0.96;
constexpr double kDepthLimit = 1e-13;  // doubles lose the picture not far below this

// The reduced image of this frame, computed at the current view.
void RenderZoomBuffer(uint8_t* buffer, int bw, int bh, int limit) {
    const double d = art.zoomHalfHeight / (bh * 0.5);
    for (int row = 0; row < bh; ++row) {
        const double pi = (row - bh * 0.5) * d + art.zoomCentreY;
        uint8_t* out = buffer + static_cast<size_t>(row) * bw;
        for (int col = 0; col < bw; ++col) {
            const double pr = (col - bw * 0.5) * d + art.zoomCentreX;
            out[col] = static_cast<uint8_t>(ZoomPointIndex(pr, pi, limit));
        }
    }
}

// Nearest-neighbour enlargement of the reduced image over the whole Canvas.
void EnlargeOntoCanvas(const uint8_t* buffer, int bw, int bh) {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    for (int y = 0; y < h; ++y) {
        int sy = static_cast<int>(static_cast<int64_t>(y) * bh / h);
        if (sy > bh - 1) sy = bh - 1;
        const uint8_t* src = buffer + static_cast<size_t>(sy) * bw;
        uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            int sx = static_cast<int>(static_cast<int64_t>(x) * bw / w);
            if (sx > bw - 1) sx = bw - 1;
            row[x] = src[sx];
        }
    }
}
}  // namespace

int ZoomBufferWidth(int canvasWidth) { return canvasWidth / 2 < 320 ? 320 : canvasWidth / 2; }

int ZoomBufferHeight(int canvasHeight) { return canvasHeight / 2 < 200 ? 200 : canvasHeight / 2; }

int ZoomIterationLimit(int canvasWidth, int canvasHeight) {
    return static_cast<int64_t>(canvasWidth) * canvasHeight <= 4000000 ? 192 : 128;
}

int ZoomPointIndex(double pr, double pi, int limit) {
    double zr = 0.0;
    double zi = 0.0;
    int k = 0;
    while (k < limit) {
        const double nr = zr * zr - zi * zi + pr;
        const double ni = 2.0 * zr * zi + pi;
        zr = nr;
        zi = ni;
        ++k;
        if (zr * zr + zi * zi > 4.0) break;
    }
    if (k == limit) return 0;
    return 1 + 254 * k / limit;
}

void AdvanceZoom() {
    art.zoomHalfHeight *= kShrinkPerFrame;
    if (art.zoomHalfHeight < kDepthLimit) ChooseZoomTarget();
}

void ChooseZoomTarget() {
    art.zoomHalfHeight = 1.6;
    const ZoomPoint& target = ZoomTargets[NextRandom() & 7];
    art.zoomCentreX = target.re;
    art.zoomCentreY = target.im;
}

void DrawMandelbrotZoom() {
    const int bw = ZoomBufferWidth(art.canvasWidth);
    const int bh = ZoomBufferHeight(art.canvasHeight);
    if (art.bufferWidth != bw || art.bufferHeight != bh) {
        ArtFree(art.zoomBuffer);
        art.zoomBuffer = static_cast<uint8_t*>(ArtAlloc(static_cast<size_t>(bw) * bh));
        // The size is kept even without a buffer, so a failed allocation is not
        // retried on every tick.
        art.bufferWidth = bw;
        art.bufferHeight = bh;
    }
    if (!art.zoomBuffer) return;

    RenderZoomBuffer(art.zoomBuffer, bw, bh, ZoomIterationLimit(art.canvasWidth, art.canvasHeight));
    EnlargeOntoCanvas(art.zoomBuffer, bw, bh);
    AdvanceZoom();
}
