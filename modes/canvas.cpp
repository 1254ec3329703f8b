#include "modes/canvas.h"

#include <cmath>
#include <cstring>

#include "app/art_state.h"
#include "app/memory.h"

ScaleValues ComputeScales(int32_t width, int32_t height) {
    ScaleValues s;
    s.detailScale = std::sqrt(static_cast<double>(width) * height / 64000.0);
    if (s.detailScale < 1.0) s.detailScale = 1.0;
    s.textScaleSmall = height / 480 < 1 ? 1 : height / 480;
    s.textScaleMedium = height / 240 < 2 ? 2 : height / 240;
    s.textScaleLarge = height / 140 < 4 ? 4 : height / 140;
    return s;
}

int AllocateCanvas(int32_t width, int32_t height) {
    if (width < kMinCanvasWidth) width = kMinCanvasWidth;
    if (height < kMinCanvasHeight) height = kMinCanvasHeight;
    size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    uint8_t* canvas = static_cast<uint8_t*>(ArtAllocZeroed(n, 1));
    uint8_t* backup = canvas ? static_cast<uint8_t*>(ArtAllocZeroed(n, 1)) : nullptr;
    if (!canvas || !backup) {
        ArtFree(canvas);
        return -1;
    }
    art.canvasWidth = width;
    art.canvasHeight = height;
    ScaleValues s = ComputeScales(width, height);
    art.detailScale = s.detailScale;
    art.textScaleSmall = s.textScaleSmall;
    art.textScaleMedium = s.textScaleMedium;
    art.textScaleLarge = s.textScaleLarge;
    art.canvas = canvas;
    art.canvasBackup = backup;
    return 0;
}

void ReleaseCanvas() {
    ArtFree(art.canvas);
    ArtFree(art.canvasBackup);
    art.canvas = nullptr;
    art.canvasBackup = nullptr;
}

void ReleaseModeScratch() {
    ArtFree(art.zoomBuffer);
    ArtFree(art.orbitRe);
    ArtFree(art.orbitIm);
    art.zoomBuffer = nullptr;
    art.bufferWidth = 0;
    art.bufferHeight = 0;
    art.orbitRe = nullptr;
    art.orbitIm = nullptr;
    art.orbitCapacity = 0;
}

void FillSpan(int x0, int x1, int y, int colour) {
    if (y < 0 || y >= art.canvasHeight) return;
    int lo = x0 < x1 ? x0 : x1;
    int hi = x0 < x1 ? x1 : x0;
    if (lo < 0) lo = 0;
    if (hi >= art.canvasWidth) hi = art.canvasWidth - 1;
    if (lo > hi) return;
    std::memset(art.canvas + static_cast<size_t>(y) * art.canvasWidth + lo,
                static_cast<uint8_t>(colour), static_cast<size_t>(hi - lo + 1));
}
