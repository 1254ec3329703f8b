// Mode 1: three circular wave trains from random centres plus one diagonal wave,
// summed and mapped onto the cycling ring.
#include "modes/plasma.h"

#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "app/art_state.h"
#include "modes/modes.h"
#include "modes/plasma_sine.h"
#include "modes/random_source.h"
#include "modes/vector_kernel.h"
#include "modes/workers.h"

namespace {
// The diagonal wave depends on x + y alone, so each of its sines is taken once per
// picture, for Canvases whose width plus height fits the table (every screen of today),
// and per pixel beyond that. A fixed table: the mode needs no allocation.
constexpr int kDiagonalTableSize = 8192;
double diagonalSine[kDiagonalTableSize];

// Everything one row needs.
struct PlasmaRow {
    const PlasmaWaves* waves;
    int y;
    double ry1, ry2, ry3;  // (y - yk)^2
    bool tabled;
    uint8_t* out;
};

// The index of the sum of the four sines; s in [-4, 4] gives 1..255.
HUEMIX_ALWAYS_INLINE int SumIndex(double s) {
    const double v = (s + 4.0) * (-31.75);
    int index = 1 - static_cast<int>(v);
    if (index < 1) index = 1;
    if (index > 255) index = 255;
    return index;
}

// One pixel with the C library's sines: the reference computation.
HUEMIX_ALWAYS_INLINE uint8_t PlasmaPixel(const PlasmaRow& row, int x) {
    const PlasmaWaves& w = *row.waves;
    const double fx = x;
    const double d1 = std::sqrt((fx - w.x1) * (fx - w.x1) + row.ry1);
    const double d2 = std::sqrt((fx - w.x2) * (fx - w.x2) + row.ry2);
    const double d3 = std::sqrt((fx - w.x3) * (fx - w.x3) + row.ry3);
    // Wave 2 first: the sum is formed in this order.
    double s = std::sin(d2 * w.f2);
    s += std::sin(d1 * w.f1);
    s += std::sin(d3 * w.f3);
    s += row.tabled ? diagonalSine[x + row.y] : std::sin(static_cast<double>(x + row.y) * w.f4);
    return static_cast<uint8_t>(SumIndex(s));
}

int64_t PlainRow(const PlasmaRow& row, int from, int w) {
    for (int x = from; x < w; ++x) row.out[x] = PlasmaPixel(row, x);
    return w - from;
}

#if HUEMIX_VECTOR_KERNELS
// Vectors of the sum of approximate sines. Each approximation lies within about
// 1e-15 of the true sine, and so does the C library's, so the library's sum lies
// within the margin of this one; the index is a non-decreasing function of the sum,
// so where the ends of the margin give the same index, the library's sum gives it too.
// Any other pixel, and any whose argument is too large for the approximation's range
// reduction, is computed with the library's sines.
template <class V>
HUEMIX_ALWAYS_INLINE int64_t VectorRow(const PlasmaRow& row, int w, double margin) {
    using I = typename PlasmaLanes<V>::Int;
    constexpr int kLanes = PlasmaLanes<V>::kCount;
    const PlasmaWaves& wv = *row.waves;
    int64_t recomputed = 0;
    V fx;
    for (int lane = 0; lane < kLanes; ++lane) fx[lane] = lane;
    const double fy = row.y;
    int x = 0;
    for (; x + kLanes <= w; x += kLanes, fx += kLanes) {
        const V q1 = (fx - wv.x1) * (fx - wv.x1) + row.ry1;
        const V q2 = (fx - wv.x2) * (fx - wv.x2) + row.ry2;
        const V q3 = (fx - wv.x3) * (fx - wv.x3) + row.ry3;
        const V a1 = VectorSqrt(q1) * wv.f1;
        const V a2 = VectorSqrt(q2) * wv.f2;
        const V a3 = VectorSqrt(q3) * wv.f3;
        I outOfRange = (a1 > kPlasmaSineLimit) | (a2 > kPlasmaSineLimit) | (a3 > kPlasmaSineLimit);
        V diagonal;
        if (row.tabled) {
            __builtin_memcpy(&diagonal, diagonalSine + x + row.y, sizeof diagonal);
        } else {
            const V a4 = (fx + fy) * wv.f4;
            outOfRange |= a4 > kPlasmaSineLimit;
            diagonal = ApproximateSine(a4);
        }
        V s = ApproximateSine(a2);
        s += ApproximateSine(a1);
        s += ApproximateSine(a3);
        s += diagonal;
        const V low = ((s - margin) + 4.0) * (-31.75);
        const V high = ((s + margin) + 4.0) * (-31.75);
        for (int lane = 0; lane < kLanes; ++lane) {
            // Out of range, the approximation may not even be finite: not converted.
            const int t = outOfRange[lane] ? 0 : static_cast<int>(low[lane]);
            if (!outOfRange[lane] && t == static_cast<int>(high[lane])) {
                int index = 1 - t;
                if (index < 1) index = 1;
                if (index > 255) index = 255;
                row.out[x + lane] = static_cast<uint8_t>(index);
            } else {
                row.out[x + lane] = PlasmaPixel(row, x + lane);
                ++recomputed;
            }
        }
    }
    return recomputed + PlainRow(row, x, w);
}

int64_t Sse2Row(const PlasmaRow& row, int w, double margin) { return VectorRow<PlasmaV2>(row, w, margin); }
HUEMIX_TARGET_AVX2 int64_t Avx2Row(const PlasmaRow& row, int w, double margin) {
    return VectorRow<PlasmaV4>(row, w, margin);
}
HUEMIX_TARGET_AVX512 int64_t Avx512Row(const PlasmaRow& row, int w, double margin) {
    return VectorRow<PlasmaV8>(row, w, margin);
}
HUEMIX_TARGET_AVX2 int64_t EightLaneAvx2Row(const PlasmaRow& row, int w, double margin) {
    return VectorRow<PlasmaV8>(row, w, margin);
}
#endif

using RowFunction = int64_t (*)(const PlasmaRow&, int, double);

int64_t PlainRowFunction(const PlasmaRow& row, int w, double) { return PlainRow(row, 0, w); }

RowFunction ChooseRow() {
#if HUEMIX_VECTOR_KERNELS
    switch (KernelFor(kUserPlasma)) {
        case kKernelSse2: return Sse2Row;
        case kKernelAvx2: return Avx2Row;
        case kKernelAvx512: return Avx512Row;
        case kKernelPlain: break;
    }
#endif
    return PlainRowFunction;
}

// Rows per piece of work handed to the drawing threads.
constexpr int kRowsPerPiece = 4;

struct PlasmaPicture {
    const PlasmaWaves* waves;
    double margin;
    RowFunction paintRow;
    bool tabled;
    std::atomic<int64_t> recomputed;
};

void PaintRowRange(void* context, int from, int to, int) {
    PlasmaPicture& picture = *static_cast<PlasmaPicture*>(context);
    const PlasmaWaves& waves = *picture.waves;
    const int w = art.canvasWidth;
    int64_t recomputed = 0;
    for (int y = from; y < to; ++y) {
        const double fy = y;
        // The row terms once per row.
        const PlasmaRow row = {&waves, y, (fy - waves.y1) * (fy - waves.y1), (fy - waves.y2) * (fy - waves.y2),
                               (fy - waves.y3) * (fy - waves.y3), picture.tabled,
                               art.canvas + static_cast<size_t>(y) * w};
        recomputed += picture.paintRow(row, w, picture.margin);
    }
    picture.recomputed.fetch_add(recomputed, std::memory_order_relaxed);
}

int64_t PaintRows(const PlasmaWaves& waves, double margin, RowFunction paintRow) {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    const bool tabled = static_cast<int64_t>(w) + h - 1 <= kDiagonalTableSize;
    if (tabled) {
        for (int i = 0; i < w + h - 1; ++i) diagonalSine[i] = std::sin(static_cast<double>(i) * waves.f4);
    }
    PlasmaPicture picture{&waves, margin, paintRow, tabled, {0}};
    RunRows(PaintRowRange, &picture, h, kRowsPerPiece);
    return picture.recomputed.load(std::memory_order_relaxed);
}
}  // namespace

int64_t PaintPlasma(const PlasmaWaves& waves, double margin) { return PaintRows(waves, margin, ChooseRow()); }

int64_t PaintPlasmaEightLanes(const PlasmaWaves& waves, double margin) {
#if HUEMIX_VECTOR_KERNELS
    if (KernelAvailable(kKernelAvx2)) return PaintRows(waves, margin, EightLaneAvx2Row);
#endif
    (void)waves;
    (void)margin;
    return -1;
}

void DrawPlasma() {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    // Frequencies scale with the width, so every resolution shows as many bands.
    const double k = 320.0 / w;
    // All ten draws come before any pixel, in this order.
    PlasmaWaves waves;
    waves.x1 = RandomUnit() * w;
    waves.y1 = RandomUnit() * h;
    waves.x2 = RandomUnit() * w;
    waves.y2 = RandomUnit() * h;
    waves.x3 = RandomUnit() * w;
    waves.y3 = RandomUnit() * h;
    waves.f1 = (RandomUnit() * 0.1 + 0.04) * k;
    waves.f2 = (RandomUnit() * 0.1 + 0.04) * k;
    waves.f3 = (RandomUnit() * 0.1 + 0.04) * k;
    waves.f4 = (RandomUnit() * 0.06 + 0.05) * k;
    PaintPlasma(waves, kPlasmaSumMargin);
}
