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

// The kLanes cells from column col on, as written, taken into the tile's bounds; they
// count as changed (a tile whose inputs take several routes is seldom still).
template <int kLanes>
HUEMIX_ALWAYS_INLINE void BoundWritten(const float* uo, const float* vo, int col,
                                       reaction_lanes::TileBounds<kLanes>& bounds) {
    using U = typename reaction_lanes::Lanes<kLanes>::U;
    using reaction_lanes::BitsAt;
    reaction_lanes::Bound<kLanes>(bounds, reaction_lanes::Written<kLanes>{BitsAt<kLanes>(uo + col),
                                                                          BitsAt<kLanes>(vo + col), U{} + 1u});
}

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
        BoundWritten<kLanes>(uo, vo, col, bounds);
    }
}

// Tiles first .. last - 1 of a row, all on one route: each vector from a tile's first
// column on, and a last one ending at its last column that may overlap the one before
// it (those cells are computed twice, to the same values). Sets the tiles' bits of
// `out`. A run of tiles is one call, so that the constants are set up once per run.
#if HUEMIX_WIDE_KERNELS
// The tile's questions answered with AVX-512's comparisons into mask registers: a few
// instructions where the generic answer takes several dozen. Out of line, since a
// function of another instruction set cannot be inlined into the generic loop.
HUEMIX_TARGET_AVX512 __attribute__((noinline)) void BoundsAllowAvx512(const reaction_lanes::TileBounds<16>& b,
                                                                     bool* fast, bool* faded, bool* still) {
    using reaction_lanes::kBitsFadedV;
    __m512i uMost, vMost, vLeast, changed;
    __builtin_memcpy(&uMost, &b.uMost, sizeof uMost);
    __builtin_memcpy(&vMost, &b.vMost, sizeof vMost);
    __builtin_memcpy(&vLeast, &b.vLeast, sizeof vLeast);
    __builtin_memcpy(&changed, &b.changed, sizeof changed);
    const __mmask16 badU = _mm512_cmpgt_epi32_mask(
        uMost, _mm512_set1_epi32(static_cast<int32_t>((kBitsTwo - kBitsMinFastU) ^ 0x80000000u)));
    const __mmask16 bigV = _mm512_cmpgt_epi32_mask(vMost, _mm512_set1_epi32(static_cast<int32_t>(kBitsTwo ^ 0x80000000u)));
    const __mmask16 small =
        _mm512_cmplt_epi32_mask(vLeast, _mm512_set1_epi32(static_cast<int32_t>(kBitsMinFastV + 0x7FFFFFFFu)));
    const __mmask16 unfaded =
        _mm512_cmpgt_epi32_mask(vMost, _mm512_set1_epi32(static_cast<int32_t>((kBitsFadedV - 1) ^ 0x80000000u)));
    *fast = (badU | bigV | small) == 0;
    *faded = (badU | unfaded) == 0;
    *still = _mm512_test_epi32_mask(changed, changed) == 0;
}
#endif

// Columns from .. to - 1 of a row, each vector on the route its inputs allow.
using MixedSpan = void (*)(const float* un, const float* uc, const float* us, const float* vn, const float* vc,
                           const float* vs, float* uo, float* vo, int from, int to, float feed, float feedPlusKill);

template <int kLanes>
HUEMIX_ALWAYS_INLINE void StepMixedSpan(const float* un, const float* uc, const float* us, const float* vn,
                                        const float* vc, const float* vs, float* uo, float* vo, int from, int to,
                                        float feed, float feedPlusKill) {
    const Stencil s{un, uc, us, vn, vc, vs};
    for (int col = from; col < to - kLanes; col += kLanes) StepLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
    StepLanes<kLanes>(s, uo, vo, to - kLanes, feed, feedPlusKill);
}

#define HUEMIX_MIXED_SPAN(target, lanes, name)                                                                   \
    target __attribute__((noinline)) void name(const float* un, const float* uc, const float* us, const float* vn, \
                                               const float* vc, const float* vs, float* uo, float* vo, int from,   \
                                               int to, float feed, float feedPlusKill) {                           \
        StepMixedSpan<lanes>(un, uc, us, vn, vc, vs, uo, vo, from, to, feed, feedPlusKill);                        \
    }
HUEMIX_MIXED_SPAN(, 4, Sse2MixedSpan)
#if HUEMIX_WIDE_KERNELS
HUEMIX_MIXED_SPAN(HUEMIX_TARGET_AVX2, 8, Avx2MixedSpan)
HUEMIX_MIXED_SPAN(HUEMIX_TARGET_AVX2, 16, WideOnAvx2MixedSpan)
HUEMIX_MIXED_SPAN(HUEMIX_TARGET_AVX512, 16, Avx512MixedSpan)
#endif
#undef HUEMIX_MIXED_SPAN

template <int kLanes, TileRoute kRoute, bool kMasks, MixedSpan kMixedSpan>
HUEMIX_ALWAYS_INLINE void StepTiles(const Stencil& rows, float* uo, float* vo, int gw, int first, int last, float feed,
                                    float feedPlusKill, ReactionRowSummary& out) {
    // A copy the stores cannot reach, so the loop keeps the row pointers in registers.
    const Stencil s = rows;
    const int tiles = (gw - 1) / kTileCells + 1;
    auto beginOf = [](int t) { return t == 0 ? 1 : t * kTileCells; };
    auto endOf = [gw](int t) { return (t + 1) * kTileCells < gw - 1 ? (t + 1) * kTileCells : gw - 1; };
    if constexpr (kRoute == kTileMixed) {
        // The routes of each vector need many registers: the whole run in one loop of
        // its own first, as a row without tiles would be, then the tiles' bounds from
        // what it wrote.
        const int begin = beginOf(first);
        const int end = endOf(last - 1);
        if (begin < end) kMixedSpan(s.un, s.uc, s.us, s.vn, s.vc, s.vs, uo, vo, begin, end, feed, feedPlusKill);
    }
    for (int t = first; t < last; ++t) {
        const int begin = beginOf(t);
        const int end = endOf(t);
        reaction_lanes::TileBounds<kLanes> bounds = reaction_lanes::EmptyBounds<kLanes>();
        if (begin < end && kRoute == kTileMixed) {
            for (int col = begin; col < end - kLanes; col += kLanes) BoundWritten<kLanes>(uo, vo, col, bounds);
            BoundWritten<kLanes>(uo, vo, end - kLanes, bounds);
        } else if (begin < end) {
            for (int col = begin; col < end - kLanes; col += kLanes) {
                StepVector<kLanes, kRoute>(s, uo, vo, col, feed, feedPlusKill, bounds);
            }
            StepVector<kLanes, kRoute>(s, uo, vo, end - kLanes, feed, feedPlusKill, bounds);
        }
        bool fast = false;
        bool faded = false;
        bool still = false;
#if HUEMIX_WIDE_KERNELS
        if constexpr (kMasks) {
            BoundsAllowAvx512(bounds, &fast, &faded, &still);
        } else {
            reaction_lanes::BoundsAllow<kLanes>(bounds, &fast, &faded, &still);
        }
#else
        reaction_lanes::BoundsAllow<kLanes>(bounds, &fast, &faded, &still);
#endif
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

#define HUEMIX_TILE_RUN(target, lanes, masks, route, name, span)                                                     \
    target __attribute__((noinline)) void name(const Stencil& rows, float* uo, float* vo, int gw, int first,  \
                                               int last, float feed, float feedPlusKill,                      \
                                               ReactionRowSummary& out) {                                     \
        StepTiles<lanes, route, masks, span>(rows, uo, vo, gw, first, last, feed, feedPlusKill, out);         \
    }
#define HUEMIX_TILE_RUNS(target, lanes, masks, name, span)                      \
    HUEMIX_TILE_RUN(target, lanes, masks, kTileFast, name##Fast, span)          \
    HUEMIX_TILE_RUN(target, lanes, masks, kTileFaded, name##Faded, span)        \
    HUEMIX_TILE_RUN(target, lanes, masks, kTileMixed, name##Mixed, span)        \
    constexpr TileRuns name{name##Fast, name##Faded, name##Mixed};

HUEMIX_TILE_RUNS(, 4, false, Sse2Tiles, Sse2MixedSpan)
#if HUEMIX_WIDE_KERNELS
HUEMIX_TILE_RUNS(HUEMIX_TARGET_AVX2, 8, false, Avx2Tiles, Avx2MixedSpan)
HUEMIX_TILE_RUNS(HUEMIX_TARGET_AVX2, 16, false, WideOnAvx2Tiles, WideOnAvx2MixedSpan)
HUEMIX_TILE_RUNS(HUEMIX_TARGET_AVX512, 16, true, Avx512Tiles, Avx512MixedSpan)
#endif
#undef HUEMIX_TILE_RUNS
#undef HUEMIX_TILE_RUN

// A whole row, in runs of tiles that take the same route. A row narrower than one
// vector is computed in a padded copy, so that it too takes the routes that never meet
// a subnormal.
template <int kLanes, const TileRuns& kRuns, MixedSpan kMixedSpan>
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
    if (!around) {
        // Nothing known of the rows read: each vector takes its own route, and nothing
        // is learnt of the row written.
        kMixedSpan(un, uc, us, vn, vc, vs, uo, vo, 1, gw - 1, feed, feedPlusKill);
        return ReactionRowSummary{0, 0, 0};
    }
    const Stencil s{un, uc, us, vn, vc, vs};
    const int tiles = (gw - 1) / kTileCells + 1;
    const uint64_t lastTile = TileBit(tiles - 1);
    const uint64_t fastIn = TilesAllowing(around[0].fast, around[1].fast, around[2].fast, lastTile);
    const uint64_t fadedIn = TilesAllowing(around[0].faded, around[1].faded, around[2].faded, lastTile);
    const uint64_t stillIn = TilesAllowing(around[0].still, around[1].still, around[2].still, lastTile);
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
    return StepRowLanes<4, Sse2Tiles, Sse2MixedSpan>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, around);
}
#endif

#if HUEMIX_WIDE_KERNELS

HUEMIX_TARGET_AVX2 ReactionRowSummary StepRowAvx2(const float* un, const float* uc, const float* us,
                                    const float* vn, const float* vc, const float* vs, float* uo,
                                    float* vo, int gw, float feed, float feedPlusKill, const ReactionRowSummary* around) {
    return StepRowLanes<8, Avx2Tiles, Avx2MixedSpan>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, around);
}

HUEMIX_TARGET_AVX2 ReactionRowSummary StepRowWideOnAvx2(const float* un, const float* uc, const float* us,
                                          const float* vn, const float* vc, const float* vs,
                                          float* uo, float* vo, int gw, float feed,
                                          float feedPlusKill, const ReactionRowSummary* around) {
    return StepRowLanes<16, WideOnAvx2Tiles, WideOnAvx2MixedSpan>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, around);
}

HUEMIX_TARGET_AVX512 ReactionRowSummary StepRowAvx512(const float* un, const float* uc, const float* us,
                                        const float* vn, const float* vc, const float* vs,
                                        float* uo, float* vo, int gw, float feed,
                                        float feedPlusKill, const ReactionRowSummary* around) {
    return StepRowLanes<16, Avx512Tiles, Avx512MixedSpan>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, around);
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
