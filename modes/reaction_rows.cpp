// Row loops of the reaction-diffusion step: the plain reference, and one width-generic
// vector loop, which never meets a subnormal number, compiled for 128-, 256- and 512-bit
// vectors. The vector loop goes tile by tile: a tile whose inputs the summaries show to
// allow the fast or the faded route throughout takes it for every vector, with no test;
// the others choose a route for each vector from its inputs' bits.
#include "modes/reaction_rows.h"

#include "modes/reaction_lanes.h"

namespace {
constexpr float kDiffusionU = 0.16f;
constexpr float kDiffusionV = 0.08f;

// One cell; every operation is a separate single-precision rounding in a fixed order
// (the build forbids fused multiply-adds), so a seed gives the same pattern on every
// machine and with vectors of any width.
HUEMIX_ALWAYS_INLINE void StepCell(const float* un, const float* uc, const float* us,
                                   const float* vn, const float* vc, const float* vs, float* uo,
                                   float* vo, int col, float feed, float feedPlusKill) {
    const float cu = uc[col];
    const float cv = vc[col];
    const float lu = ((uc[col - 1] + uc[col + 1]) + un[col]) + us[col] - 4.0f * cu;
    const float lv = ((vc[col - 1] + vc[col + 1]) + vn[col]) + vs[col] - 4.0f * cv;
    const float q = cu * cv * cv;
    uo[col] = ((kDiffusionU * lu + cu) - q) + feed * (1.0f - cu);
    vo[col] = ((kDiffusionV * lv + cv) + q) - feedPlusKill * cv;
}

constexpr int kTileCells = 1 << kReactionTileShift;
using reaction_lanes::kBitsFadedV;
using reaction_lanes::kBitsMinFastU;
using reaction_lanes::kBitsMinFastV;
using reaction_lanes::kBitsTwo;

uint32_t Bits(float x) {
    uint32_t bits;
    __builtin_memcpy(&bits, &x, sizeof bits);
    return bits;
}

// Whether one cell allows the fast route, and the faded one, told by its bits alone
// (negative numbers have the largest patterns).
bool CellAllowsFast(float u, float v) {
    const uint32_t ub = Bits(u), vb = Bits(v);
    return ub >= kBitsMinFastU && ub <= kBitsTwo && (vb == 0 || (vb >= kBitsMinFastV && vb <= kBitsTwo));
}
bool CellAllowsFaded(float u, float v) {
    const uint32_t ub = Bits(u);
    return ub >= kBitsMinFastU && ub <= kBitsTwo && Bits(v) < kBitsFadedV;
}

uint64_t TileBit(int tile) { return tile < 64 ? uint64_t{1} << tile : 0; }

// The tiles of a row whose every input, in the rows north, at and south of it, allows
// a route: the tile above and below, and the tile itself and both neighbours in the
// centre row, whose edge cells the tile's outermost cells read. The first and last
// tiles hold the border columns their edge cells read.
uint64_t TilesAllowing(uint64_t north, uint64_t centre, uint64_t south, uint64_t lastTile) {
    return north & south & centre & ((centre << 1) | 1) & ((centre >> 1) | lastTile);
}

#if HUEMIX_VECTOR_KERNELS
using reaction_lanes::Stencil;
using reaction_lanes::StepLanes;

enum TileRoute : int { kTileFast, kTileFaded, kTileMixed };

// One vector at column col on one route, taken into the tile's bounds.
template <int kLanes, TileRoute kRoute>
HUEMIX_ALWAYS_INLINE void StepVector(const Stencil& s, float* uo, float* vo, int col, float feed, float feedPlusKill,
                                     reaction_lanes::TileBounds<kLanes>& bounds) {
    using reaction_lanes::Bound;
    if constexpr (kRoute == kTileFast) {
        Bound<kLanes>(bounds, reaction_lanes::FastLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill));
    } else if constexpr (kRoute == kTileFaded) {
        Bound<kLanes>(bounds, reaction_lanes::FadedLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill));
    } else {
        StepLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
        using reaction_lanes::BitsAt;
        const typename reaction_lanes::Lanes<kLanes>::U u = BitsAt<kLanes>(uo + col), v = BitsAt<kLanes>(vo + col);
        Bound<kLanes>(bounds, reaction_lanes::Written<kLanes>{
                                  u, v, (u ^ BitsAt<kLanes>(s.uc + col)) | (v ^ BitsAt<kLanes>(s.vc + col))});
    }
}

// Tiles first .. last - 1 of a row, all on one route: each vector from a tile's first
// column on, and a last one ending at its last column that may overlap the one before
// it (those cells are computed twice, to the same values). Sets the tiles' bits of
// `out`. A run of tiles is one call, so that the constants are set up once per run.
template <int kLanes, TileRoute kRoute>
HUEMIX_ALWAYS_INLINE void StepTiles(const Stencil& rows, float* uo, float* vo, int gw, int first, int last, float feed,
                                    float feedPlusKill, ReactionRowSummary& out) {
    // A copy the stores cannot reach, so the loop keeps the row pointers in registers.
    const Stencil s = rows;
    const int tiles = (gw - 1) / kTileCells + 1;
    for (int t = first; t < last; ++t) {
        const int begin = t == 0 ? 1 : t * kTileCells;
        const int end = (t + 1) * kTileCells < gw - 1 ? (t + 1) * kTileCells : gw - 1;
        reaction_lanes::TileBounds<kLanes> bounds = reaction_lanes::EmptyBounds<kLanes>();
        if (begin < end) {
            for (int col = begin; col < end - kLanes; col += kLanes) {
                StepVector<kLanes, kRoute>(s, uo, vo, col, feed, feedPlusKill, bounds);
            }
            StepVector<kLanes, kRoute>(s, uo, vo, end - kLanes, feed, feedPlusKill, bounds);
        }
        bool fast = false;
        bool faded = false;
        bool still = false;
        reaction_lanes::BoundsAllow<kLanes>(bounds, &fast, &faded, &still);
        // The border columns never change: the output row's are the centre row's.
        if (t == 0) {
            fast = fast && CellAllowsFast(s.uc[0], s.vc[0]);
            faded = faded && CellAllowsFaded(s.uc[0], s.vc[0]);
        }
        if (t == tiles - 1) {
            fast = fast && CellAllowsFast(s.uc[gw - 1], s.vc[gw - 1]);
            faded = faded && CellAllowsFaded(s.uc[gw - 1], s.vc[gw - 1]);
        }
        const uint64_t bit = TileBit(t);
        if (fast) out.fast |= bit;
        if (faded) out.faded |= bit;
        if (still) out.still |= bit;
    }
}

// The runs of tiles on each route, compiled for one instruction set and kept out of
// line, so that each loop gets the registers to itself.
using TileRun = void (*)(const Stencil& rows, float* uo, float* vo, int gw, int first, int last, float feed,
                         float feedPlusKill, ReactionRowSummary& out);
struct TileRuns {
    TileRun fast;
    TileRun faded;
    TileRun mixed;
};

#define HUEMIX_TILE_RUN(target, lanes, route, name)                                                            \
    target __attribute__((noinline)) void name(const Stencil& rows, float* uo, float* vo, int gw, int first,  \
                                               int last, float feed, float feedPlusKill,                      \
                                               ReactionRowSummary& out) {                                     \
        StepTiles<lanes, route>(rows, uo, vo, gw, first, last, feed, feedPlusKill, out);                      \
    }
#define HUEMIX_TILE_RUNS(target, lanes, name)                      \
    HUEMIX_TILE_RUN(target, lanes, kTileFast, name##Fast)          \
    HUEMIX_TILE_RUN(target, lanes, kTileFaded, name##Faded)        \
    HUEMIX_TILE_RUN(target, lanes, kTileMixed, name##Mixed)        \
    constexpr TileRuns name{name##Fast, name##Faded, name##Mixed};

HUEMIX_TILE_RUNS(, 4, Sse2Tiles)
#if HUEMIX_WIDE_KERNELS
HUEMIX_TILE_RUNS(HUEMIX_TARGET_AVX2, 8, Avx2Tiles)
HUEMIX_TILE_RUNS(HUEMIX_TARGET_AVX2, 16, WideOnAvx2Tiles)
HUEMIX_TILE_RUNS(HUEMIX_TARGET_AVX512, 16, Avx512Tiles)
#endif
#undef HUEMIX_TILE_RUNS
#undef HUEMIX_TILE_RUN

// A whole row, in runs of tiles that take the same route. A row narrower than one
// vector is computed in a padded copy, so that it too takes the routes that never meet
// a subnormal.
template <int kLanes, const TileRuns& kRuns>
HUEMIX_ALWAYS_INLINE ReactionRowSummary StepRowLanes(const float* un, const float* uc, const float* us,
                                                     const float* vn, const float* vc, const float* vs,
                                                     float* uo, float* vo, int gw, float feed,
                                                     float feedPlusKill, const ReactionRowSummary* around) {
    if (gw - 1 - kLanes < 1) {
        constexpr int kPadded = kLanes + 2;
        float rows[8][kPadded] = {};
        const float* in[6] = {un, uc, us, vn, vc, vs};
        for (int r = 0; r < 6; ++r) __builtin_memcpy(rows[r], in[r], gw * sizeof(float));
        const Stencil padded{rows[0], rows[1], rows[2], rows[3], rows[4], rows[5]};
        StepLanes<kLanes>(padded, rows[6], rows[7], 1, feed, feedPlusKill);
        __builtin_memcpy(uo + 1, rows[6] + 1, (gw - 2) * sizeof(float));
        __builtin_memcpy(vo + 1, rows[7] + 1, (gw - 2) * sizeof(float));
        return ReactionRowSummary{0, 0, 0};
    }
    const Stencil s{un, uc, us, vn, vc, vs};
    const int tiles = (gw - 1) / kTileCells + 1;
    const uint64_t lastTile = TileBit(tiles - 1);
    uint64_t fastIn = 0;
    uint64_t fadedIn = 0;
    uint64_t stillIn = 0;
    if (around) {
        fastIn = TilesAllowing(around[0].fast, around[1].fast, around[2].fast, lastTile);
        fadedIn = TilesAllowing(around[0].faded, around[1].faded, around[2].faded, lastTile);
        stillIn = TilesAllowing(around[0].still, around[1].still, around[2].still, lastTile);
    }
    // The route of each tile; -1 for a tile that keeps its values.
    auto routeOf = [&](int t) -> int {
        const uint64_t bit = TileBit(t);
        if (stillIn & bit) return -1;
        // A tile shorter than a vector (the last one) is done by a vector reaching back
        // into the tile before, which reads that tile's inputs too.
        const int begin = t == 0 ? 1 : t * kTileCells;
        const int end = (t + 1) * kTileCells < gw - 1 ? (t + 1) * kTileCells : gw - 1;
        const uint64_t read = begin < end && end - kLanes < begin ? bit | bit >> 1 : bit;
        if ((fastIn & read) == read) return kTileFast;
        if ((fadedIn & read) == read) return kTileFaded;
        return kTileMixed;
    };
    ReactionRowSummary out{0, 0, 0};
    for (int t = 0; t < tiles;) {
        const int route = routeOf(t);
        int last = t + 1;
        while (last < tiles && routeOf(last) == route) ++last;
        if (route < 0) {
            // Every input as one step before, so every cell keeps its value.
            const int begin = t == 0 ? 1 : t * kTileCells;
            const int end = last * kTileCells < gw - 1 ? last * kTileCells : gw - 1;
            if (begin < end) {
                __builtin_memcpy(uo + begin, uc + begin, (end - begin) * sizeof(float));
                __builtin_memcpy(vo + begin, vc + begin, (end - begin) * sizeof(float));
            }
            const uint64_t bits = (last >= 64 ? ~uint64_t{0} : (uint64_t{1} << last) - 1) & ~(TileBit(t) - 1);
            out.fast |= around[1].fast & bits;
            out.faded |= around[1].faded & bits;
            out.still |= bits;
        } else {
            const TileRun run = route == kTileFast ? kRuns.fast : route == kTileFaded ? kRuns.faded : kRuns.mixed;
            run(s, uo, vo, gw, t, last, feed, feedPlusKill, out);
        }
        t = last;
    }
    return out;
}

ReactionRowSummary StepRowSse2(const float* un, const float* uc, const float* us, const float* vn,
                 const float* vc, const float* vs, float* uo, float* vo, int gw, float feed,
                 float feedPlusKill, const ReactionRowSummary* around) {
    return StepRowLanes<4, Sse2Tiles>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, around);
}
#endif

#if HUEMIX_WIDE_KERNELS

HUEMIX_TARGET_AVX2 ReactionRowSummary StepRowAvx2(const float* un, const float* uc, const float* us,
                                    const float* vn, const float* vc, const float* vs, float* uo,
                                    float* vo, int gw, float feed, float feedPlusKill, const ReactionRowSummary* around) {
    return StepRowLanes<8, Avx2Tiles>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, around);
}

HUEMIX_TARGET_AVX2 ReactionRowSummary StepRowWideOnAvx2(const float* un, const float* uc, const float* us,
                                          const float* vn, const float* vc, const float* vs,
                                          float* uo, float* vo, int gw, float feed,
                                          float feedPlusKill, const ReactionRowSummary* around) {
    return StepRowLanes<16, WideOnAvx2Tiles>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, around);
}

HUEMIX_TARGET_AVX512 ReactionRowSummary StepRowAvx512(const float* un, const float* uc, const float* us,
                                        const float* vn, const float* vc, const float* vs,
                                        float* uo, float* vo, int gw, float feed,
                                        float feedPlusKill, const ReactionRowSummary* around) {
    return StepRowLanes<16, Avx512Tiles>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, around);
}
#endif
}  // namespace

ReactionRowSummary SummarizeReactionRow(const float* u, const float* v, int gw) {
    ReactionRowSummary summary{0, 0, 0};
    for (int t = 0; t * kTileCells < gw && t < 64; ++t) {
        bool fast = true;
        bool faded = true;
        for (int col = t * kTileCells; col < (t + 1) * kTileCells && col < gw; ++col) {
            fast = fast && CellAllowsFast(u[col], v[col]);
            faded = faded && CellAllowsFaded(u[col], v[col]);
        }
        if (fast) summary.fast |= TileBit(t);
        if (faded) summary.faded |= TileBit(t);
    }
    return summary;
}

ReactionRowSummary ReactionRowPlain(const float* un, const float* uc, const float* us, const float* vn,
                                    const float* vc, const float* vs, float* uo, float* vo, int gw,
                                    float feed, float feedPlusKill, const ReactionRowSummary*) {
    for (int col = 1; col < gw - 1; ++col) {
        StepCell(un, uc, us, vn, vc, vs, uo, vo, col, feed, feedPlusKill);
    }
    return ReactionRowSummary{0, 0, 0};
}

ReactionRowFunction ReactionRowFor(VectorKernel kernel) {
#if HUEMIX_VECTOR_KERNELS
    switch (kernel) {
        case kKernelSse2:
            return StepRowSse2;
#if HUEMIX_WIDE_KERNELS
        case kKernelAvx2:
            return StepRowAvx2;
        case kKernelAvx512:
            return StepRowAvx512;
#else
        case kKernelAvx2:
        case kKernelAvx512:
#endif
        case kKernelPlain:
            break;
    }
#else
    (void)kernel;
#endif
    return ReactionRowPlain;
}

ReactionRowFunction ReactionRowWideOnAvx2() {
#if HUEMIX_WIDE_KERNELS
    if (KernelAvailable(kKernelAvx2)) return StepRowWideOnAvx2;
#endif
    return nullptr;
}
