#include "app/frame.h"

#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "app/platform.h"
#include "text/overlays.h"

namespace {
// The one mapping pass: a byte load, a table load and a 32-bit store per pixel.
void MapCanvas(size_t n) {
    const uint8_t* src = art.canvas;
    const uint32_t* pal = art.palette;
    uint32_t* dst = art.dibPixels;
    for (size_t i = 0; i < n; ++i) dst[i] = pal[src[i]];
}
}  // namespace

void ComposeFrame() {
    if (!art.dibPixels || !art.canvas) return;
    const size_t n = static_cast<size_t>(art.canvasWidth) * static_cast<size_t>(art.canvasHeight);
    if (art.helpShown && art.canvasBackup) {
        // The help screen borrows the Canvas; the picture waits in the backup.
        std::memcpy(art.canvasBackup, art.canvas, n);
        DrawHelpScreen();
        MapCanvas(n);
        std::memcpy(art.canvas, art.canvasBackup, n);
        return;
    }
    MapCanvas(n);
    DrawStatusStrip(art.dibPixels);
    DrawHelpHint(art.dibPixels);  // after the strip, so the hint lies on top
}

void Refresh() {
    ComposeFrame();
    PlatformInvalidate();
}

FrameFit FitFrame(int32_t cw, int32_t ch, int32_t canvasWidth, int32_t canvasHeight) {
    FrameFit fit = {0, 0, cw, ch, 0};
    if (cw == canvasWidth && ch == canvasHeight) {
        fit.unscaled = 1;
        return fit;
    }
    if (canvasWidth <= 0 || canvasHeight <= 0) return fit;
    fit.dw = cw;
    fit.dh = static_cast<int32_t>(static_cast<int64_t>(cw) * canvasHeight / canvasWidth);
    if (fit.dh > ch) {
        fit.dh = ch;
        fit.dw = static_cast<int32_t>(static_cast<int64_t>(ch) * canvasWidth / canvasHeight);
    }
    fit.x0 = (cw - fit.dw) / 2;
    fit.y0 = (ch - fit.dh) / 2;
    return fit;
}
