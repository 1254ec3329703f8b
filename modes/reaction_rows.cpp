// Row loops of the reaction-diffusion step: the plain reference, and one width-generic
// vector loop, which never meets a subnormal number, compiled for 128-, 256- and 512-bit
// vectors.
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

#if HUEMIX_VECTOR_KERNELS
using reaction_lanes::AnyLane;
using reaction_lanes::FastLanes;
using reaction_lanes::kRouteFast;
using reaction_lanes::Lanes;
using reaction_lanes::RouteOf;
using reaction_lanes::Stencil;
using reaction_lanes::StepLanes;

// Whether stretch g's inputs were all kept: its own cells in the three rows, and the
// cells beside it in the centre row, which lie in the stretches either side.
HUEMIX_ALWAYS_INLINE bool KeptAround(const ReactionKeep& keep, int g, int stretches) {
    uint8_t kept = keep.north[g] & keep.centre[g] & keep.south[g];
    if (g > 0) kept &= keep.centre[g - 1];
    if (g + 1 < stretches) kept &= keep.centre[g + 1];
    return kept & kReactionKept;
}

// The vectors of cells first .. end - 1, the last one ending at end - 1; with kCheck,
// whether any cell moved.
template <int kLanes, bool kCheck>
HUEMIX_ALWAYS_INLINE bool StepStretch(const Stencil& s, float* uo, float* vo, int first, int end, float feed,
                                      float feedPlusKill) {
    int col = first;
    if constexpr (!kCheck) {
        for (; col + kLanes <= end; col += kLanes) StepLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
        if (col < end) StepLanes<kLanes>(s, uo, vo, end - kLanes, feed, feedPlusKill);
        return false;
    }
    // Runs of vectors on the fast route, and runs on the others, each in a loop of its
    // own: one loop holding every route and the bits that moved made the compiler keep
    // the fast route's constants and pointers in memory, for the registers the others
    // need. (Without those bits, the one loop is the faster.)
    typename Lanes<kLanes>::U moved{};
    while (col + kLanes <= end) {
        for (; col + kLanes <= end && RouteOf<kLanes>(s, col) == kRouteFast; col += kLanes) {
            moved |= FastLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
        }
        for (; col + kLanes <= end && RouteOf<kLanes>(s, col) != kRouteFast; col += kLanes) {
            moved |= StepLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
        }
    }
    if (col < end) moved |= StepLanes<kLanes>(s, uo, vo, end - kLanes, feed, feedPlusKill);
    return AnyLane<kLanes>((typename Lanes<kLanes>::I)moved);
}

#if HUEMIX_WIDE_KERNELS
using reaction_lanes::Route;
using reaction_lanes::RouteOfAvx2;
using reaction_lanes::RouteOfMasks;
using reaction_lanes::StepRouted;

// The route by the test of the wide paths' own instruction sets: mask registers for the
// 512-bit path, AVX2's unsigned minima and maxima for the 256-bit one.
template <int kLanes>
HUEMIX_ALWAYS_INLINE Route RouteOwn(const Stencil& s, int col) {
    if constexpr (kLanes == 16) {
        return RouteOfMasks(s, col);
    } else {
        static_assert(kLanes == 8);
        return RouteOfAvx2(s, col);
    }
}

// The wide paths' vectors that are not on the fast route, from col on, the first
// whatever its route, then up to the next fast one or end; returns where it stopped.
// Out of line on the 512-bit path, so that the fast loop around it keeps its constants
// and pointers in registers.
template <int kLanes, bool kCheck>
HUEMIX_ALWAYS_INLINE int StepSlowRun(const Stencil& s, float* uo, float* vo, int col, int end, float feed,
                                     float feedPlusKill, typename Lanes<kLanes>::U* moved) {
    typename Lanes<kLanes>::U bits{};
    Route route = RouteOwn<kLanes>(s, col);
    do {
        const typename Lanes<kLanes>::U step = StepRouted<kLanes, kLanes == 16>(route, s, uo, vo, col, feed, feedPlusKill);
        if constexpr (kCheck) bits |= step;
        col += kLanes;
    } while (col + kLanes <= end && (route = RouteOwn<kLanes>(s, col)) != kRouteFast);
    if constexpr (kCheck) *moved |= bits;
    return col;
}

template <bool kCheck>
HUEMIX_TARGET_AVX512 __attribute__((noinline)) int StepSlowRun512(const Stencil& s, float* uo, float* vo, int col,
                                                                  int end, float feed, float feedPlusKill,
                                                                  Lanes<16>::U* moved) {
    return StepSlowRun<16, kCheck>(s, uo, vo, col, end, feed, feedPlusKill, moved);
}

// Out of line for the 512-bit path; inline for the 256-bit one, which then took about a
// fifth fewer instructions (a count, on three seeds).
template <int kLanes, bool kCheck>
HUEMIX_ALWAYS_INLINE int StepSlowRunOwn(const Stencil& s, float* uo, float* vo, int col, int end, float feed,
                                        float feedPlusKill, typename Lanes<kLanes>::U* moved) {
    if constexpr (kLanes == 16) {
        return StepSlowRun512<kCheck>(s, uo, vo, col, end, feed, feedPlusKill, moved);
    } else {
        return StepSlowRun<8, kCheck>(s, uo, vo, col, end, feed, feedPlusKill, moved);
    }
}

// StepStretch for the wide paths: runs of fast vectors in a loop of their own, runs of
// the other routes in another.
template <int kLanes, bool kCheck>
HUEMIX_ALWAYS_INLINE bool StepStretchOwn(const Stencil& s, float* uo, float* vo, int first, int end, float feed,
                                         float feedPlusKill) {
    typename Lanes<kLanes>::U moved{};
    int col = first;
    while (col + kLanes <= end) {
        for (; col + kLanes <= end && RouteOwn<kLanes>(s, col) == kRouteFast; col += kLanes) {
            const typename Lanes<kLanes>::U bits = FastLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
            if constexpr (kCheck) moved |= bits;
        }
        if (col + kLanes <= end) col = StepSlowRunOwn<kLanes, kCheck>(s, uo, vo, col, end, feed, feedPlusKill, &moved);
    }
    // The last vector, ending at end - 1 over cells already done, once a row or stretch.
    if (col < end) {
        if (RouteOwn<kLanes>(s, end - kLanes) == kRouteFast) {
            const typename Lanes<kLanes>::U bits = FastLanes<kLanes>(s, uo, vo, end - kLanes, feed, feedPlusKill);
            if constexpr (kCheck) moved |= bits;
        } else {
            StepSlowRunOwn<kLanes, kCheck>(s, uo, vo, end - kLanes, end, feed, feedPlusKill, &moved);
        }
    }
    return kCheck && AnyLane<kLanes, kLanes == 16>((typename Lanes<kLanes>::I)moved);
}
#endif

// A stretch by the loop of the row's path: with kOwnTest, the one with the route test
// of the path's own instruction set.
template <int kLanes, bool kOwnTest, bool kCheck>
HUEMIX_ALWAYS_INLINE bool StepStretchOf(const Stencil& s, float* uo, float* vo, int first, int end, float feed,
                                        float feedPlusKill) {
#if HUEMIX_WIDE_KERNELS
    if constexpr (kOwnTest) return StepStretchOwn<kLanes, kCheck>(s, uo, vo, first, end, feed, feedPlusKill);
#endif
    return StepStretch<kLanes, kCheck>(s, uo, vo, first, end, feed, feedPlusKill);
}

// A whole row: vectors from column 1 on, and a last vector ending at column gw - 2 that
// may overlap the one before it (those cells are computed twice, to the same values).
// A row narrower than one vector is computed in a padded copy, so that it too takes the
// routes that never meet a subnormal. With kKeep, stretches whose inputs all rested are
// copied (see ReactionKeep); the 128- and 256-bit loops leave that out and record no
// stretch as kept: with 16 vector registers, recording the stretches spilled so much that
// rows in motion lost about a fifth on AVX2, more than the resting ones gained.
template <int kLanes, bool kKeep, bool kOwnTest = false>
HUEMIX_ALWAYS_INLINE void StepRowLanes(const float* un, const float* uc, const float* us,
                                       const float* vn, const float* vc, const float* vs,
                                       float* uo, float* vo, int gw, float feed,
                                       float feedPlusKill, const ReactionKeep* keep) {
    const int last = gw - 1 - kLanes;
    if (last < 1) {
        constexpr int kPadded = kLanes + 2;
        float rows[8][kPadded] = {};
        const float* in[6] = {un, uc, us, vn, vc, vs};
        for (int r = 0; r < 6; ++r) __builtin_memcpy(rows[r], in[r], gw * sizeof(float));
        const Stencil padded{rows[0], rows[1], rows[2], rows[3], rows[4], rows[5]};
        StepLanes<kLanes>(padded, rows[6], rows[7], 1, feed, feedPlusKill);
        __builtin_memcpy(uo + 1, rows[6] + 1, (gw - 2) * sizeof(float));
        __builtin_memcpy(vo + 1, rows[7] + 1, (gw - 2) * sizeof(float));
        if (keep) keep->out[0] = 0;
        return;
    }
    const Stencil s{un, uc, us, vn, vc, vs};
    const int stretches = ReactionStretches(gw);
    // A row with no stretch at rest around it, and none to look at, is one loop: cut
    // into stretches, such rows measured several per cent slower. Without kKeep, every
    // row is.
    uint8_t anyKept = 0;
    if (kKeep && keep && !keep->checkAll) {
        for (int g = 0; g < stretches; ++g) anyKept |= keep->north[g] | keep->centre[g] | keep->south[g];
    }
    if (!kKeep || !keep || !(keep->checkAll || (anyKept & kReactionKept))) {
        StepStretchOf<kLanes, kOwnTest, false>(s, uo, vo, 1, gw - 1, feed, feedPlusKill);
        if (keep) __builtin_memset(keep->out, 0, stretches);
        return;
    }
    // Stretch by stretch. Only the last may end in a part of a vector, done as a vector
    // ending at column gw - 2 that overlaps cells already done: computed again, they get
    // the values they have, kept or not.
    for (int g = 0; g < stretches; ++g) {
        const int first = 1 + g * kReactionStretchCells;
        const int end = g + 1 == stretches ? gw - 1 : first + kReactionStretchCells;
        if (KeptAround(*keep, g, stretches)) {
            __builtin_memcpy(uo + first, uc + first, (end - first) * sizeof(float));
            __builtin_memcpy(vo + first, vc + first, (end - first) * sizeof(float));
            keep->out[g] = kReactionKept;
            continue;
        }
        // Stretches that moved one step before will most likely move again: only the
        // first step of a pass looks at every stretch, as a stretch may have come to rest.
        if (keep->checkAll || (keep->centre[g] & kReactionKept)) {
            keep->out[g] = StepStretchOf<kLanes, kOwnTest, true>(s, uo, vo, first, end, feed, feedPlusKill) ? 0 : kReactionKept;
        } else {
            StepStretchOf<kLanes, kOwnTest, false>(s, uo, vo, first, end, feed, feedPlusKill);
            keep->out[g] = 0;
        }
    }
}

void StepRowSse2(const float* un, const float* uc, const float* us, const float* vn,
                 const float* vc, const float* vs, float* uo, float* vo, int gw, float feed,
                 float feedPlusKill, const ReactionKeep* keep) {
    StepRowLanes<4, false>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, keep);
}
#endif

#if HUEMIX_WIDE_KERNELS

HUEMIX_TARGET_AVX2 void StepRowAvx2(const float* un, const float* uc, const float* us,
                                    const float* vn, const float* vc, const float* vs, float* uo,
                                    float* vo, int gw, float feed, float feedPlusKill,
                                    const ReactionKeep* keep) {
    StepRowLanes<8, false, true>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, keep);
}

HUEMIX_TARGET_AVX2 void StepRowWideOnAvx2(const float* un, const float* uc, const float* us,
                                          const float* vn, const float* vc, const float* vs,
                                          float* uo, float* vo, int gw, float feed,
                                          float feedPlusKill, const ReactionKeep* keep) {
    StepRowLanes<16, true>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, keep);
}

HUEMIX_TARGET_AVX512 void StepRowAvx512(const float* un, const float* uc, const float* us,
                                        const float* vn, const float* vc, const float* vs,
                                        float* uo, float* vo, int gw, float feed,
                                        float feedPlusKill, const ReactionKeep* keep) {
    StepRowLanes<16, true, true>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill, keep);
}
#endif
}  // namespace

void ReactionRowPlain(const float* un, const float* uc, const float* us, const float* vn,
                      const float* vc, const float* vs, float* uo, float* vo, int gw, float feed,
                      float feedPlusKill, const ReactionKeep* keep) {
    for (int col = 1; col < gw - 1; ++col) {
        StepCell(un, uc, us, vn, vc, vs, uo, vo, col, feed, feedPlusKill);
    }
    if (keep) {
        for (int g = 0; g < ReactionStretches(gw); ++g) keep->out[g] = 0;
    }
}

void ResetReactionSummaries(uint8_t* summaries, int gw, int gh) {
    const size_t perRow = ReactionStretches(gw);
    for (int which = 0; which < 2; ++which) {
        uint8_t* grid = ReactionGridSummaries(summaries, gw, gh, which);
        for (int row = 0; row < gh; ++row) {
            const uint8_t known = (row == 0 || row == gh - 1) ? kReactionKept : 0;
            for (size_t g = 0; g < perRow; ++g) grid[row * perRow + g] = known;
        }
    }
}

uint8_t* ReactionGridSummaries(uint8_t* summaries, int gw, int gh, int which) {
    return summaries + static_cast<size_t>(ReactionStretches(gw)) * gh * which;
}

uint8_t* ReactionRingSummaries(uint8_t* summaries, int gw, int gh, int thread) {
    return summaries + static_cast<size_t>(ReactionStretches(gw)) * (2 * static_cast<size_t>(gh) + kReactionRingRows * thread);
}

float* ReactionRingStart(float* at) {
    // Column 1, a float on, lands on a multiple of 64 bytes.
    const uintptr_t column1 = reinterpret_cast<uintptr_t>(at + 1);
    return at + ((64 - column1 % 64) % 64) / sizeof(float);
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
