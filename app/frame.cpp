#include "app/frame.h"

#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "app/platform.h"
#include "modes/paths/kernel_choice.h"
#include "text/overlays.h"

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace {
// The one mapping pass: a byte load, a table load and a 32-bit store per pixel.
void MapCanvasPlain(const uint8_t* src, const uint32_t* pal, uint32_t* dst, size_t n) {
    for (size_t i = 0; i < n; ++i) dst[i] = pal[src[i]];
}

#if HUEMIX_VECTOR_KERNELS && !defined(__wasm_simd128__)
// The same lookups with eight indices read in one 64-bit load (x86-64 is
// little-endian, so byte j of it is index i + j): fewer loads, and the stores keep
// streaming.
void MapCanvasEightAtOnce(const uint8_t* src, const uint32_t* pal, uint32_t* dst, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t b;
        std::memcpy(&b, src + i, sizeof b);
        dst[i] = pal[b & 255];
        dst[i + 1] = pal[(b >> 8) & 255];
        dst[i + 2] = pal[(b >> 16) & 255];
        dst[i + 3] = pal[(b >> 24) & 255];
        dst[i + 4] = pal[(b >> 32) & 255];
        dst[i + 5] = pal[(b >> 40) & 255];
        dst[i + 6] = pal[(b >> 48) & 255];
        dst[i + 7] = pal[b >> 56];
    }
    MapCanvasPlain(src + i, pal, dst + i, n - i);
}
#endif

#if defined(__wasm_simd128__)
// In WebAssembly: sixteen indices in one vector load, each taken out by a lane
// extraction where the 64-bit word cost a shift and a mask per index, and the colours
// stored four at a time.
void MapCanvasSixteenLanes(const uint8_t* src, const uint32_t* pal, uint32_t* dst, size_t n) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const v128_t b = wasm_v128_load(src + i);
#define HUEMIX_LANE(k) pal[wasm_u8x16_extract_lane(b, k)]
        wasm_v128_store(dst + i, wasm_u32x4_make(HUEMIX_LANE(0), HUEMIX_LANE(1), HUEMIX_LANE(2), HUEMIX_LANE(3)));
        wasm_v128_store(dst + i + 4, wasm_u32x4_make(HUEMIX_LANE(4), HUEMIX_LANE(5), HUEMIX_LANE(6), HUEMIX_LANE(7)));
        wasm_v128_store(dst + i + 8, wasm_u32x4_make(HUEMIX_LANE(8), HUEMIX_LANE(9), HUEMIX_LANE(10), HUEMIX_LANE(11)));
        wasm_v128_store(dst + i + 12,
                        wasm_u32x4_make(HUEMIX_LANE(12), HUEMIX_LANE(13), HUEMIX_LANE(14), HUEMIX_LANE(15)));
#undef HUEMIX_LANE
    }
    MapCanvasPlain(src + i, pal, dst + i, n - i);
}
#endif

void MapCanvas(size_t n) {
#if HUEMIX_VECTOR_KERNELS
    if (KernelFor(kUserCompose, nullptr) != kKernelPlain) {
#if defined(__wasm_simd128__)
        MapCanvasSixteenLanes(art.canvas, art.palette, art.dibPixels, n);
#else
        MapCanvasEightAtOnce(art.canvas, art.palette, art.dibPixels, n);
#endif
        return;
    }
#endif
    MapCanvasPlain(art.canvas, art.palette, art.dibPixels, n);
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
