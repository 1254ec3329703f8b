// Mode 2: random seeds, each pixel coloured by its nearest seed plus an offset that
// grows with the distance, so every cell is a patch of concentric rings.
#include "modes/voronoi.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "modes/paths/vector_kernel.h"
#include "modes/workers.h"

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace {
constexpr double kSeedsPerDetail = 40.0;
constexpr int kMinSeeds = 12;
// The ring index rises by one every 1 / 0.6 pixels; negative so that truncation
// toward zero gives -floor(0.6 x dist).
constexpr double kRingsPerPixel = -0.6;

// Along one row the squared distance from column x to seed k is
//   x^2 + line[k] - 2 x seedX[k],   with line[k] = seedX[k]^2 + (y - seedY[k])^2,
// so the x^2 drops out of every comparison and each seed is a straight line in x.
// The nearest seed is the lowest line, the lowest-numbered one where lines meet, and
// the owner of a row only changes a handful of times: the row is painted run by run.
//
// The seeds are kept in order of their x (equal x by number): only seeds right of a
// row's owner can take the row over, and those are then the rest of the list, with no
// test per seed that a processor would guess wrong half the time.
struct VoronoiSeeds {
    int n;
    int number[kMaxVoronoiSeeds];  // each place's seed number, for ties
    int x[kMaxVoronoiSeeds];
    int y[kMaxVoronoiSeeds];
    int colour[kMaxVoronoiSeeds];
    int firstRight[kMaxVoronoiSeeds];  // the first place whose seed lies further right
};

// The place of the owner of column x: the lowest line, the lower number on a tie.
int NearestSeed(const VoronoiSeeds& s, const int64_t* line, int64_t x) {
    int best = 0;
    int64_t bestValue = line[0] - 2 * s.x[0] * x;
    for (int k = 1; k < s.n; ++k) {
        const int64_t value = line[k] - 2 * s.x[k] * x;
        if (value < bestValue || (value == bestValue && s.number[k] < s.number[best])) {
            bestValue = value;
            best = k;
        }
    }
    return best;
}

// The next change of owner along a row: the first column after the current one at
// which another seed is nearer, and that seed's place.
struct OwnerChange {
    int64_t column;  // the end of the row when the owner keeps it
    int seed;
};

// Only seeds right of the owner can take the row: their lines fall faster, and once a
// seed is nearer it stays nearer for the rest of the row. Seed j is nearer at column c
// when line[j] - line[owner] < 2 (x[j] - x[owner]) c, or equally near and j is the
// lower-numbered; at the current column neither holds, so the difference a below is
// at least b x >= 0. Where several seeds take over at the same column, the nearest of
// them there wins, the lowest-numbered of equally near ones.
OwnerChange NextOwnerChange(const VoronoiSeeds& s, const int64_t* line, int owner, int64_t end) {
    OwnerChange next{end, owner};
    for (int j = s.firstRight[owner]; j < s.n; ++j) {
        const int64_t a = line[j] - line[owner];
        const int64_t b = 2 * static_cast<int64_t>(s.x[j] - s.x[owner]);
        // From column a / b on, j is at least as near as the owner: after the candidate.
        if (a > b * next.column) continue;
        const int64_t q = a / b;
        const int64_t column = (q * b == a && s.number[j] < s.number[owner]) ? q : q + 1;
        if (column < next.column) {
            next = {column, j};
        } else if (column == next.column) {
            const int64_t value = line[j] - 2 * s.x[j] * column;
            const int64_t nextValue = line[next.seed] - 2 * s.x[next.seed] * column;
            if (value < nextValue || (value == nextValue && s.number[j] < s.number[next.seed])) next.seed = j;
        }
    }
    return next;
}

// Columns x0..x1-1 of a row, all owned by one seed, on any Canvas.
void PaintRunAnySize(uint8_t* row, int x0, int x1, int seedX, int64_t rowDistance2, int colour) {
    for (int x = x0; x < x1; ++x) {
        const int64_t ex = x - seedX;
        const int64_t d2 = ex * ex + rowDistance2;
        const double dist = std::sqrt(static_cast<double>(d2));
        const int t = static_cast<int>(dist * kRingsPerPixel);
        int index = (colour - t) % 255;
        if (index < 1) index = 1;
        row[x] = static_cast<uint8_t>(index);
    }
}

// The same on a Canvas whose width plus height is at most kMostSmallSides, with no
// 64-bit product and no division: distances stay below 100,000, so the squares and
// their sum are exact in doubles, and colour - t below 255 + 60,000, where the division
// by 255 is a product and a shift (exact up to 66,298).
constexpr int kMostSmallSides = 100000;
HUEMIX_ALWAYS_INLINE uint8_t RunPixel(int x, int seedX, double rowDistance2, int colour) {
    const double ex = x - seedX;
    const double dist = std::sqrt(ex * ex + rowDistance2);
    const int value = colour - static_cast<int>(dist * kRingsPerPixel);
    const int index = value - 255 * static_cast<int>((static_cast<uint32_t>(value) * 0x8081u) >> 23);
    return static_cast<uint8_t>(index < 1 ? 1 : index);
}

#if defined(__wasm_simd128__)
// WebAssembly: four columns at a time in its 128-bit vectors, the very operations of
// RunPixel in each lane (left to itself the compiler converts the doubles to integers
// a lane at a time). The indices, 1 to 254, pass the narrowing to bytes unchanged.
void PaintRun(uint8_t* __restrict row, int x0, int x1, int seedX, double rowDistance2, int colour) {
    int x = x0;
    v128_t ex = wasm_i32x4_sub(wasm_i32x4_make(x0, x0 + 1, x0 + 2, x0 + 3), wasm_i32x4_splat(seedX));
    const v128_t r2 = wasm_f64x2_splat(rowDistance2);
    const v128_t rings = wasm_f64x2_splat(kRingsPerPixel);
    const v128_t c = wasm_i32x4_splat(colour);
    for (; x + 4 <= x1; x += 4, ex = wasm_i32x4_add(ex, wasm_i32x4_splat(4))) {
        const v128_t lo = wasm_f64x2_convert_low_i32x4(ex);
        const v128_t hi = wasm_f64x2_convert_low_i32x4(wasm_i32x4_shuffle(ex, ex, 2, 3, 0, 1));
        const v128_t tlo = wasm_i32x4_trunc_sat_f64x2_zero(
            wasm_f64x2_mul(wasm_f64x2_sqrt(wasm_f64x2_add(wasm_f64x2_mul(lo, lo), r2)), rings));
        const v128_t thi = wasm_i32x4_trunc_sat_f64x2_zero(
            wasm_f64x2_mul(wasm_f64x2_sqrt(wasm_f64x2_add(wasm_f64x2_mul(hi, hi), r2)), rings));
        const v128_t value = wasm_i32x4_sub(c, wasm_i32x4_shuffle(tlo, thi, 0, 1, 4, 5));
        const v128_t q = wasm_u32x4_shr(wasm_i32x4_mul(value, wasm_i32x4_splat(0x8081)), 23);
        const v128_t index = wasm_i32x4_max(wasm_i32x4_sub(value, wasm_i32x4_mul(q, wasm_i32x4_splat(255))),
                                            wasm_i32x4_splat(1));
        const v128_t bytes = wasm_u8x16_narrow_i16x8(wasm_u16x8_narrow_i32x4(index, index), index);
        const uint32_t four = static_cast<uint32_t>(wasm_i32x4_extract_lane(bytes, 0));
        __builtin_memcpy(row + x, &four, 4);
    }
    for (; x < x1; ++x) row[x] = RunPixel(x, seedX, rowDistance2, colour);
}
#else
void PaintRun(uint8_t* __restrict row, int x0, int x1, int seedX, double rowDistance2, int colour) {
    for (int x = x0; x < x1; ++x) row[x] = RunPixel(x, seedX, rowDistance2, colour);
}
#endif

void PaintRow(int y, const VoronoiSeeds& s, int64_t* line) {
    const int w = art.canvasWidth;
    const bool small = static_cast<int64_t>(w) + art.canvasHeight <= kMostSmallSides;
    uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
    for (int k = 0; k < s.n; ++k) {
        const int64_t ey = y - s.y[k];
        line[k] = static_cast<int64_t>(s.x[k]) * s.x[k] + ey * ey;
    }
    int64_t x = 0;
    int owner = NearestSeed(s, line, 0);
    while (x < w) {
        const OwnerChange next = NextOwnerChange(s, line, owner, w);
        const int64_t ey = y - s.y[owner];
        if (small) {
            PaintRun(row, static_cast<int>(x), static_cast<int>(next.column), s.x[owner],
                     static_cast<double>(ey * ey), s.colour[owner]);
        } else {
            PaintRunAnySize(row, static_cast<int>(x), static_cast<int>(next.column), s.x[owner], ey * ey,
                            s.colour[owner]);
        }
        x = next.column;
        owner = next.seed;
    }
}

// Rows per piece of work handed to the drawing threads.
constexpr int kRowsPerPiece = 8;

void PaintRows(void* context, int from, int to, int) {
    const VoronoiSeeds& seeds = *static_cast<const VoronoiSeeds*>(context);
    int64_t line[kMaxVoronoiSeeds];  // per-row terms; bounded, so no further allocation
    for (int y = from; y < to; ++y) PaintRow(y, seeds, line);
}
}  // namespace

void PaintVoronoi(const int* seedX, const int* seedY, const int* seedColour, int n) {
    VoronoiSeeds seeds;
    seeds.n = n;
    // Insertion by x, after the seeds of equal x: numbers rise within equal x.
    for (int k = 0; k < n; ++k) {
        int place = k;
        while (place > 0 && seeds.x[place - 1] > seedX[k]) {
            seeds.number[place] = seeds.number[place - 1];
            seeds.x[place] = seeds.x[place - 1];
            --place;
        }
        seeds.number[place] = k;
        seeds.x[place] = seedX[k];
    }
    for (int place = 0; place < n; ++place) {
        seeds.y[place] = seedY[seeds.number[place]];
        seeds.colour[place] = seedColour[seeds.number[place]];
    }
    for (int place = n - 1; place >= 0; --place) {
        const bool sameX = place + 1 < n && seeds.x[place + 1] == seeds.x[place];
        seeds.firstRight[place] = sameX ? seeds.firstRight[place + 1] : place + 1;
    }
    RunRows(PaintRows, &seeds, art.canvasHeight, kRowsPerPiece);
}

void DrawVoronoi() {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    int n = static_cast<int>(art.detailScale * kSeedsPerDetail);
    if (n < kMinSeeds) n = kMinSeeds;
    if (n > kMaxVoronoiSeeds) n = kMaxVoronoiSeeds;

    const size_t bytes = static_cast<size_t>(n) * sizeof(int);
    int* seedX = static_cast<int*>(ArtAlloc(bytes));
    int* seedY = seedX ? static_cast<int*>(ArtAlloc(bytes)) : nullptr;
    int* seedColour = seedY ? static_cast<int*>(ArtAlloc(bytes)) : nullptr;

    if (seedColour) {
        for (int k = 0; k < n; ++k) {
            seedX[k] = RandomBelow(w);
            seedY[k] = RandomBelow(h);
            seedColour[k] = RandomColour();
        }
        PaintVoronoi(seedX, seedY, seedColour, n);
    }

    ArtFree(seedX);
    ArtFree(seedY);
    ArtFree(seedColour);
}
