#include "modes/canvas.h"

#include <cmath>
#include <cstring>

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/paths/vector_kernel.h"

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

namespace {
// n bytes of one value from p: spans of up to 32 with two or four overlapping stores
// and no loop, since a call of memset costs more than the filling itself there (in
// WebAssembly above all).
HUEMIX_ALWAYS_INLINE void FillBytes(uint8_t* p, size_t n, uint8_t value) {
    const uint64_t eight = 0x0101010101010101ull * value;
    if (n > 32) {
        std::memset(p, value, n);
    } else if (n >= 16) {
        std::memcpy(p, &eight, 8);
        std::memcpy(p + 8, &eight, 8);
        std::memcpy(p + n - 16, &eight, 8);
        std::memcpy(p + n - 8, &eight, 8);
    } else if (n >= 8) {
        std::memcpy(p, &eight, 8);
        std::memcpy(p + n - 8, &eight, 8);
    } else if (n >= 4) {
        const uint32_t four = static_cast<uint32_t>(eight);
        std::memcpy(p, &four, 4);
        std::memcpy(p + n - 4, &four, 4);
    } else if (n > 0) {
        p[0] = value;
        p[n / 2] = value;
        p[n - 1] = value;
    }
}
}  // namespace

void FillSpan(int x0, int x1, int y, int colour) {
    FillRect(x0, y, x1, y, colour);
}

void FillRect(int x0, int y0, int x1, int y1, int colour) {
    int lo = x0 < x1 ? x0 : x1;
    int hi = x0 < x1 ? x1 : x0;
    if (lo < 0) lo = 0;
    if (hi >= art.canvasWidth) hi = art.canvasWidth - 1;
    if (y0 < 0) y0 = 0;
    if (y1 >= art.canvasHeight) y1 = art.canvasHeight - 1;
    if (lo > hi || y0 > y1) return;
    // Read once: the stores below could alias art's fields as far as the compiler knows.
    const size_t width = static_cast<size_t>(art.canvasWidth);
    const size_t n = static_cast<size_t>(hi - lo + 1);
    uint8_t* row = art.canvas + static_cast<size_t>(y0) * width + lo;
    for (int y = y0; y <= y1; ++y, row += width) FillBytes(row, n, static_cast<uint8_t>(colour));
}
