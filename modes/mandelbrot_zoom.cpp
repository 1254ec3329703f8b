// Mode 8: the Mandelbrot set around a point of interest, one frame per timer tick,
// each frame a little closer; past the depth limit a new zoom starts at another point.
#include "modes/mandelbrot_zoom.h"

#include <cstddef>

#include "modes/vector_kernel.h"
#if HUEMIX_VECTOR_KERNELS
#include <immintrin.h>
#endif

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/modes.h"
#include "modes/random_source.h"

namespace {
constexpr double kShrinkPerFrame = 0.96;
constexpr double kDepthLimit = 1e-13;  // doubles lose the picture not far below this

// Columns from..bw - 1 of a row, one point at a time.
void RenderColumns(uint8_t* out, int from, int bw, double pi, double d, double centreX, int limit) {
    for (int col = from; col < bw; ++col) {
        out[col] = static_cast<uint8_t>(ZoomPointIndex((col - bw * 0.5) * d + centreX, pi, limit));
    }
}

#if HUEMIX_VECTOR_KERNELS
// Eight points of a row iterated side by side in two vectors of four doubles: every
// lane does exactly the operations of ZoomPointIndex, in the same order. Lanes that
// have escaped keep iterating but no longer count, until every lane has escaped or
// the limit is reached.
HUEMIX_TARGET_AVX2 void RenderRowWide(uint8_t* out, int bw, double pi, double d, double centreX,
                                      int limit) {
    const __m256d two = _mm256_set1_pd(2.0);
    const __m256d four = _mm256_set1_pd(4.0);
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d pim = _mm256_set1_pd(pi);
    int col = 0;
    for (; col + 8 <= bw; col += 8) {
        alignas(32) double pr[8];
        for (int lane = 0; lane < 8; ++lane) pr[lane] = (col + lane - bw * 0.5) * d + centreX;
        const __m256d pr0 = _mm256_load_pd(pr);
        const __m256d pr1 = _mm256_load_pd(pr + 4);
        __m256d zr0 = _mm256_setzero_pd(), zi0 = zr0, zr1 = zr0, zi1 = zr0;
        __m256d count0 = zr0, count1 = zr0;  // iterations done, as doubles
        __m256d running0 = _mm256_cmp_pd(zr0, zr0, _CMP_EQ_OQ), running1 = running0;
        for (int k = 0; k < limit; ++k) {
            const __m256d nr0 = _mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(zr0, zr0), _mm256_mul_pd(zi0, zi0)), pr0);
            const __m256d nr1 = _mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(zr1, zr1), _mm256_mul_pd(zi1, zi1)), pr1);
            zi0 = _mm256_add_pd(_mm256_mul_pd(_mm256_mul_pd(two, zr0), zi0), pim);
            zi1 = _mm256_add_pd(_mm256_mul_pd(_mm256_mul_pd(two, zr1), zi1), pim);
            zr0 = nr0;
            zr1 = nr1;
            count0 = _mm256_add_pd(count0, _mm256_and_pd(running0, one));
            count1 = _mm256_add_pd(count1, _mm256_and_pd(running1, one));
            const __m256d size0 = _mm256_add_pd(_mm256_mul_pd(zr0, zr0), _mm256_mul_pd(zi0, zi0));
            const __m256d size1 = _mm256_add_pd(_mm256_mul_pd(zr1, zr1), _mm256_mul_pd(zi1, zi1));
            running0 = _mm256_andnot_pd(_mm256_cmp_pd(size0, four, _CMP_GT_OQ), running0);
            running1 = _mm256_andnot_pd(_mm256_cmp_pd(size1, four, _CMP_GT_OQ), running1);
            if (_mm256_movemask_pd(_mm256_or_pd(running0, running1)) == 0) break;
        }
        alignas(32) double counts[8];
        _mm256_store_pd(counts, count0);
        _mm256_store_pd(counts + 4, count1);
        for (int lane = 0; lane < 8; ++lane) {
            const int k = static_cast<int>(counts[lane]);
            out[col + lane] = static_cast<uint8_t>(k == limit ? 0 : 1 + 254 * k / limit);
        }
    }
    RenderColumns(out, col, bw, pi, d, centreX, limit);
}
#endif

void RenderRowPortable(uint8_t* out, int bw, double pi, double d, double centreX, int limit) {
    RenderColumns(out, 0, bw, pi, d, centreX, limit);
}

// The reduced image of this frame, computed at the current view.
void RenderZoomBuffer(uint8_t* buffer, int bw, int bh, int limit) {
    void (*renderRow)(uint8_t*, int, double, double, double, int) = RenderRowPortable;
#if HUEMIX_VECTOR_KERNELS
    if ((ActiveKernel() >= kKernelAvx2)) renderRow = RenderRowWide;
#endif
    const double d = art.zoomHalfHeight / (bh * 0.5);
    for (int row = 0; row < bh; ++row) {
        const double pi = (row - bh * 0.5) * d + art.zoomCentreY;
        renderRow(buffer + static_cast<size_t>(row) * bw, bw, pi, d, art.zoomCentreX, limit);
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
