// Mode 1: three circular wave trains from random centres plus one diagonal wave,
// summed and mapped onto the cycling ring.
//
// The files of this folder:
//   plasma             the mode and its rows on every code path (this file);
//   plasma_row_body.h  the width-generic row, compiled once per path;
//   plasma_sine(_body) a vector sine, good to 1e-13, for the pixels it cannot decide
//                      wrongly.
// Every pixel is the plain loop's: the vector sine only settles pixels whose index a
// tiny change of the sum could not move, and the rest take the C library's sines as
// the plain loop does. The tests compare every path with the plain rows.
#include "modes/plasma/plasma.h"

#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "app/art_state.h"
#include "modes/modes.h"
#include "modes/plasma/plasma_sine.h"
#include "modes/random_source.h"
#include "modes/paths/kernel_choice.h"
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
#include "modes/plasma/plasma_row_body.h"

int64_t Sse2Row(const PlasmaRow& row, int w, double margin) { return VectorRow<PlasmaV2>(row, w, margin); }
#endif
#if HUEMIX_WIDE_KERNELS
HUEMIX_TARGET_AVX2 int64_t Avx2Row(const PlasmaRow& row, int w, double margin) {
    return VectorRow<PlasmaV4>(row, w, margin);
}
#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512dq,avx512vl")
namespace wide512 {
#include "modes/plasma/plasma_sine_body.h"
#include "modes/plasma/plasma_row_body.h"
}  // namespace wide512
#pragma GCC pop_options
#define HUEMIX_PLASMA_ROW_512 wide512::VectorRow<PlasmaV8>
#else
#define HUEMIX_PLASMA_ROW_512 VectorRow<PlasmaV8>
#endif
HUEMIX_TARGET_AVX512 int64_t Avx512Row(const PlasmaRow& row, int w, double margin) {
    return HUEMIX_PLASMA_ROW_512(row, w, margin);
}
HUEMIX_TARGET_AVX2 int64_t EightLaneAvx2Row(const PlasmaRow& row, int w, double margin) {
    return VectorRow<PlasmaV8>(row, w, margin);
}
#endif

using RowFunction = int64_t (*)(const PlasmaRow&, int, double);

int64_t PlainRowFunction(const PlasmaRow& row, int w, double) { return PlainRow(row, 0, w); }

RowFunction RowFor(VectorKernel kernel) {
#if HUEMIX_VECTOR_KERNELS
    switch (kernel) {
        case kKernelSse2: return Sse2Row;
#if HUEMIX_WIDE_KERNELS
        case kKernelAvx2: return Avx2Row;
        case kKernelAvx512: return Avx512Row;
#else
        case kKernelAvx2:
        case kKernelAvx512:
#endif
        case kKernelPlain: break;
    }
#else
    (void)kernel;
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

int64_t PaintPlasma(const PlasmaWaves& waves, double margin) { return PaintRows(waves, margin, RowFor(KernelFor(kUserPlasma, PlasmaTrial))); }

int64_t PaintPlasmaEightLanes(const PlasmaWaves& waves, double margin) {
#if HUEMIX_WIDE_KERNELS
    if (KernelAvailable(kKernelAvx2)) return PaintRows(waves, margin, EightLaneAvx2Row);
#endif
    (void)waves;
    (void)margin;
    return -1;
}

void PlasmaTrial(VectorKernel kernel) {
    constexpr int kWidth = 1920;
    constexpr int kRows = 4;
    static uint8_t out[kWidth];
    const double k = 320.0 / kWidth;
    const PlasmaWaves waves{400.0, 300.0, 1500.0, 700.0, 900.0, 1000.0, 0.09 * k, 0.07 * k, 0.11 * k, 0.08 * k};
    const RowFunction paintRow = RowFor(kernel);
    // Rows spread over the height, the diagonal wave from the table as in a picture
    // (whatever the table holds now serves as well as the picture's values would).
    for (int i = 0; i < kRows; ++i) {
        const int y = 135 + 270 * i;
        const double fy = y;
        const PlasmaRow row = {&waves, y, (fy - waves.y1) * (fy - waves.y1), (fy - waves.y2) * (fy - waves.y2),
                               (fy - waves.y3) * (fy - waves.y3), true, out};
        paintRow(row, kWidth, kPlasmaSumMargin);
    }
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
