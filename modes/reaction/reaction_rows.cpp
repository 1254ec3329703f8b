// Row loops of the reaction-diffusion step: the plain reference, and one width-generic
// vector loop, which never meets a subnormal number, compiled for 128-, 256- and 512-bit
// vectors.
#include "modes/reaction/reaction_rows.h"

#include <cstring>

#include "modes/reaction/reaction_lanes.h"

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
using reaction_lanes::ExactLanes;
using reaction_lanes::InScaledRange;
using reaction_lanes::Lanes;
using reaction_lanes::ScaledLanes;
using reaction_lanes::Stencil;

// Whether stretch g's inputs were all kept: its own cells in the three rows, and the
// cells beside it in the centre row, which lie in the stretches either side.
HUEMIX_ALWAYS_INLINE bool KeptAround(const ReactionKeep& keep, int g, int stretches) {
    uint8_t kept = keep.north[g] & keep.centre[g] & keep.south[g];
    if (g > 0) kept &= keep.centre[g - 1];
    if (g + 1 < stretches) kept &= keep.centre[g + 1];
    return kept & kReactionKept;
}

// The range test of the scaled route: with kOwnTest, in the wide paths' own instruction
// sets (mask registers for the 512-bit path, AVX2's unsigned maxima for the 256-bit one).
template <int kLanes, bool kOwnTest>
HUEMIX_ALWAYS_INLINE bool InRangeOf(const Stencil& s, int col) {
#if HUEMIX_WIDE_KERNELS
    if constexpr (kOwnTest && kLanes == 16) return reaction_lanes::InScaledRangeMasks(s, col);
    if constexpr (kOwnTest && kLanes == 8) return reaction_lanes::InScaledRangeAvx2(s, col);
#endif
    return InScaledRange<kLanes>(s, col);
}

// The vectors that need more than the scaled route's plain arithmetic, from col on: the
// first whatever it needs, then up to and including the next that needs nothing more,
// or to end. Returns where it stopped.
template <int kLanes, bool kOwnTest>
HUEMIX_ALWAYS_INLINE int StepCarefulRun(const Stencil& s, float* uo, float* vo, int col, int end, float feed,
                                        float feedPlusKill, typename Lanes<kLanes>::U* moved) {
    constexpr bool kMasks = kOwnTest && kLanes == 16;
    bool careful;
    do {
        if (InRangeOf<kLanes, kOwnTest>(s, col)) {
            careful = ScaledLanes<kLanes, true, kMasks>(s, uo, vo, col, feed, feedPlusKill, moved);
        } else {
            *moved |= ExactLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
            careful = true;
        }
        col += kLanes;
    } while (careful && col + kLanes <= end);
    return col;
}

#if HUEMIX_WIDE_KERNELS
// Out of line for the 512-bit path, so that the loop around it keeps its constants and
// pointers in registers.
HUEMIX_TARGET_AVX512 __attribute__((noinline)) int StepCarefulRun512(const Stencil& s, float* uo, float* vo, int col,
                                                                     int end, float feed, float feedPlusKill,
                                                                     Lanes<16>::U* moved) {
    return StepCarefulRun<16, true>(s, uo, vo, col, end, feed, feedPlusKill, moved);
}
#endif

template <int kLanes, bool kOwnTest>
HUEMIX_ALWAYS_INLINE int StepCarefulRunOf(const Stencil& s, float* uo, float* vo, int col, int end, float feed,
                                          float feedPlusKill, typename Lanes<kLanes>::U* moved) {
#if HUEMIX_WIDE_KERNELS
    if constexpr (kOwnTest && kLanes == 16) return StepCarefulRun512(s, uo, vo, col, end, feed, feedPlusKill, moved);
#endif
    return StepCarefulRun<kLanes, kOwnTest>(s, uo, vo, col, end, feed, feedPlusKill, moved);
}

// The vectors of cells first .. end - 1, the last one ending at end - 1 (over cells
// already done, which get the values they have); returns whether any cell moved.
// Runs of vectors on the scaled route's plain arithmetic in a loop of their own, the
// others in another: one loop holding both made the compiler keep the constants and
// pointers in memory, for the registers the rounding needs.
template <int kLanes, bool kOwnTest>
HUEMIX_ALWAYS_INLINE bool StepStretch(const Stencil& s, float* uo, float* vo, int first, int end, float feed,
                                      float feedPlusKill) {
    constexpr bool kMasks = kOwnTest && kLanes == 16, kOwnAvx2 = kOwnTest && kLanes == 8;
    typename Lanes<kLanes>::U moved{};
    int col = first;
    while (col + kLanes <= end) {
        while (col + kLanes <= end && InRangeOf<kLanes, kOwnTest>(s, col) &&
               !ScaledLanes<kLanes, false, kMasks, kOwnAvx2>(s, uo, vo, col, feed, feedPlusKill, &moved)) {
            col += kLanes;
        }
        if (col + kLanes <= end) col = StepCarefulRunOf<kLanes, kOwnTest>(s, uo, vo, col, end, feed, feedPlusKill, &moved);
    }
    if (col < end) StepCarefulRunOf<kLanes, kOwnTest>(s, uo, vo, end - kLanes, end, feed, feedPlusKill, &moved);
    return AnyLane<kLanes, kMasks>((typename Lanes<kLanes>::I)moved);
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
        typename Lanes<kLanes>::U moved{};
        StepCarefulRun<kLanes, false>(padded, rows[6], rows[7], 1, 1 + kLanes, feed, feedPlusKill, &moved);
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
        StepStretch<kLanes, kOwnTest>(s, uo, vo, 1, gw - 1, feed, feedPlusKill);
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
            keep->out[g] = StepStretch<kLanes, kOwnTest>(s, uo, vo, first, end, feed, feedPlusKill) ? 0 : kReactionKept;
        } else {
            StepStretch<kLanes, kOwnTest>(s, uo, vo, first, end, feed, feedPlusKill);
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

bool ReactionRowScalesV(ReactionRowFunction stepRow) { return stepRow != ReactionRowPlain; }

namespace {
using reaction_lanes::kBitsSmallestNormal;
using reaction_lanes::kBitsSmallestNormalScaled;
using reaction_lanes::kScaleBits;
constexpr uint32_t kMagnitude = 0x7FFFFFFFu;
constexpr uint32_t kInfinity = 0x7F800000u;

uint32_t BitsOf(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

float FloatOf(uint32_t bits) {
    float x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}
}  // namespace

void ReactionScaleV(float* v, size_t cells) {
    for (size_t i = 0; i < cells; ++i) {
        const uint32_t bits = BitsOf(v[i]);
        const uint32_t magnitude = bits & kMagnitude;
        if (magnitude >= kInfinity) continue;
        // A normal number by its exponent; a subnormal or zero from its whole multiple of
        // 2^-149, exact in single precision.
        v[i] = magnitude >= kBitsSmallestNormal ? FloatOf(bits + kScaleBits)
                                        : FloatOf((bits & ~kMagnitude) | BitsOf(static_cast<float>(magnitude) * 0x1p-85f));
    }
}

void ReactionUnscaleV(float* v, size_t cells) {
    for (size_t i = 0; i < cells; ++i) {
        const uint32_t bits = BitsOf(v[i]);
        const uint32_t magnitude = bits & kMagnitude;
        if (magnitude >= kInfinity) continue;
        // Below the scaled smallest normal number the value is a whole number of 2^-85,
        // the subnormal's multiple of 2^-149.
        v[i] = magnitude >= kBitsSmallestNormalScaled
                   ? FloatOf(bits - kScaleBits)
                   : FloatOf((bits & ~kMagnitude) | static_cast<uint32_t>(FloatOf(magnitude) * 0x1p85f));
    }
}

ReactionRowFunction ReactionEnterScaled(ReactionRowFunction stepRow, float* v, size_t cells) {
    if (!ReactionRowScalesV(stepRow)) return stepRow;
    for (size_t i = 0; i < cells; ++i) {
        if ((BitsOf(v[i]) & kMagnitude) > 0x4F800000u) return ReactionRowPlain;  // beyond 2^32, or not finite
    }
    ReactionScaleV(v, cells);
    return stepRow;
}

void ReactionLeaveScaled(ReactionRowFunction used, float* v, size_t cells) {
    if (ReactionRowScalesV(used)) ReactionUnscaleV(v, cells);
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
