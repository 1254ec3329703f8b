// The cells of a reaction-diffusion row, a vector of them at a time, computed without
// ever handing the processor a subnormal number: many processors take a slow microcode
// assist for every instruction that reads or makes one, which made the pictures whose
// V tails decay through the subnormal range many times slower than the others.
//
// Each vector of cells takes one of three routes, chosen from its inputs' bit patterns:
//   fast    every V input zero or in [2^-96, 2], every U input in [2^-20, 2]: the single-
//           precision operations themselves, none of which can then meet a subnormal
//           (see FastLanes); the product q = u v v is left out where v < 2^-40, since it
//           is then too small to change the sums it enters;
//   faded   every V input in [0, 2^-128): V's arithmetic is exact integer arithmetic on
//           the multiples of 2^-149 those numbers are, and q is a zero;
//   exact   anything else: every operation in double precision, each result rounded to
//           the single-precision grid by hand, subnormal spacing included.
// All three give bit for bit the values of the plain loop in the default environment.
//
// Included by reaction_rows.cpp only: these helpers are always inlined into the loop
// of one code path, built for that path's instruction set.
#pragma once

#include <cstdint>

#include "modes/vector_kernel.h"

#if HUEMIX_VECTOR_KERNELS
// Vector values passed and returned change the calling convention; the helpers below
// are always inlined into one code path, so no call ever passes one.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace reaction_lanes {
constexpr float kDiffusionU = 0.16f;
constexpr float kDiffusionV = 0.08f;

// Bit patterns of the bounds of the routes (positive numbers order as their bits).
constexpr uint32_t kBitsTwo = 0x40000000u;          // 2.0f
constexpr uint32_t kBitsMinFastV = 0x0F800000u;     // 2^-96
constexpr uint32_t kBitsMinFastU = 0x35800000u;     // 2^-20
constexpr uint32_t kBitsMinProductV = 0x2B800000u;  // 2^-40: q is computed from here on
constexpr uint32_t kBitsFadedV = 0x00200000u;       // 2^-128
constexpr uint32_t kBitsSmallestNormal = 0x00800000u;

template <int kLanes>
struct Lanes {
    typedef float F __attribute__((vector_size(4 * kLanes)));
    typedef uint32_t U __attribute__((vector_size(4 * kLanes)));
    typedef int32_t I __attribute__((vector_size(4 * kLanes)));
    typedef double D __attribute__((vector_size(8 * kLanes)));
    typedef int64_t L __attribute__((vector_size(8 * kLanes)));
};

// The vector of floats at p, any float's address. Copied rather than dereferenced: a
// vector type's own alignment is its size, which a row position does not have.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::F At(const float* p) {
    typename Lanes<kLanes>::F v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::U BitsAt(const float* p) {
    typename Lanes<kLanes>::U v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

template <int kLanes, typename V>
HUEMIX_ALWAYS_INLINE void Put(float* p, const V& v) {
    static_assert(sizeof v == 4 * kLanes);
    __builtin_memcpy(p, &v, sizeof v);
}

// Whether any lane of a comparison result is set.
template <int kLanes>
HUEMIX_ALWAYS_INLINE bool AnyLane(typename Lanes<kLanes>::I mask) {
    uint64_t words[kLanes / 2];
    __builtin_memcpy(words, &mask, sizeof words);
    uint64_t any = 0;
    for (int i = 0; i < kLanes / 2; ++i) any |= words[i];
    return any != 0;
}

// The ten inputs of kLanes cells from column col on: west, centre, east, north, south.
struct Stencil {
    const float* un;
    const float* uc;
    const float* us;
    const float* vn;
    const float* vc;
    const float* vs;
};

enum Route : int { kRouteFast = 0, kRouteFaded = 1, kRouteExact = 2 };

// The route of kLanes cells from column col on, from the bits of their inputs alone.
template <int kLanes>
HUEMIX_ALWAYS_INLINE Route RouteOf(const Stencil& s, int col) {
    using U = typename Lanes<kLanes>::U;
    using I = typename Lanes<kLanes>::I;
    const U v0 = BitsAt<kLanes>(s.vc + col - 1), v1 = BitsAt<kLanes>(s.vc + col),
            v2 = BitsAt<kLanes>(s.vc + col + 1), v3 = BitsAt<kLanes>(s.vn + col),
            v4 = BitsAt<kLanes>(s.vs + col);
    // Largest V pattern (negatives are the largest), and smallest nonzero one (zero
    // wraps round to the largest).
    U most = v0 > v1 ? v0 : v1;
    most = most > v2 ? most : v2;
    most = most > v3 ? most : v3;
    most = most > v4 ? most : v4;
    U least = v0 - 1 < v1 - 1 ? v0 - 1 : v1 - 1;
    least = least < v2 - 1 ? least : v2 - 1;
    least = least < v3 - 1 ? least : v3 - 1;
    least = least < v4 - 1 ? least : v4 - 1;
    // Every U pattern in [2^-20, 2]: outside it, the difference wraps above the range.
    const U u0 = BitsAt<kLanes>(s.uc + col - 1) - kBitsMinFastU, u1 = BitsAt<kLanes>(s.uc + col) - kBitsMinFastU,
            u2 = BitsAt<kLanes>(s.uc + col + 1) - kBitsMinFastU, u3 = BitsAt<kLanes>(s.un + col) - kBitsMinFastU,
            u4 = BitsAt<kLanes>(s.us + col) - kBitsMinFastU;
    U uMost = u0 > u1 ? u0 : u1;
    uMost = uMost > u2 ? uMost : u2;
    uMost = uMost > u3 ? uMost : u3;
    uMost = uMost > u4 ? uMost : u4;
    const I badU = (I)(uMost > kBitsTwo - kBitsMinFastU);
    const I notFast = badU | (I)(most > kBitsTwo) | (I)(least < kBitsMinFastV - 1);
    if (!AnyLane<kLanes>(notFast)) return kRouteFast;
    const I notFaded = badU | (I)(most >= kBitsFadedV);
    return AnyLane<kLanes>(notFaded) ? kRouteExact : kRouteFaded;
}

// The fast route. With every V input zero or at least 2^-96 and every U input in
// [2^-20, 2], each value met is zero or a normal number: V's inputs are multiples of
// 2^-119, so are their sums and the Laplacian, which is zero or at least 2^-119 and
// 0.08 times it at least 2^-123; V plus 0.08 times the Laplacian is at least half of V
// (the Laplacian is at least -4 V); q is zero or, for V of 2^-40 and more, at least
// 2^-100; V's new value is at least 0.39 times V. U's side is bounded alike from U's
// multiples of 2^-43. Below 2^-40, |q| < 2 v^2 is under a quarter of a unit in the
// last place of the sum it joins (at least half of V, or a third of U), so adding or
// subtracting it leaves that sum as it is: q is taken as zero there, never computed.
template <int kLanes>
HUEMIX_ALWAYS_INLINE void FastLanes(const Stencil& s, float* uo, float* vo, int col, float feed,
                                    float feedPlusKill) {
    using F = typename Lanes<kLanes>::F;
    using U = typename Lanes<kLanes>::U;
    const F cu = At<kLanes>(s.uc + col);
    const F cv = At<kLanes>(s.vc + col);
    const F lu = ((At<kLanes>(s.uc + col - 1) + At<kLanes>(s.uc + col + 1)) + At<kLanes>(s.un + col)) +
                 At<kLanes>(s.us + col) - 4.0f * cu;
    const F lv = ((At<kLanes>(s.vc + col - 1) + At<kLanes>(s.vc + col + 1)) + At<kLanes>(s.vn + col)) +
                 At<kLanes>(s.vs + col) - 4.0f * cv;
    const U cvBits = (U)cv;
    const F cvProduct = (F)(cvBits & (U)(cvBits >= kBitsMinProductV));
    const F q = cu * cvProduct * cvProduct;
    Put<kLanes>(uo + col, ((kDiffusionU * lu + cu) - q) + feed * (1.0f - cu));
    Put<kLanes>(vo + col, ((kDiffusionV * lv + cv) + q) - feedPlusKill * cv);
}

// x rounded to the nearest integer, ties to even, for |x| < 2^51.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::D RoundToInteger(typename Lanes<kLanes>::D x) {
    const double shift = 0x1.8p52;
    return (x + shift) - shift;
}

// The faded route: every V input below 2^-128, so each is k * 2^-149 with the integer
// k < 2^21 its bit pattern, and every sum of them stays exact below 2^24 units. The
// products by the constants are rounded to whole units as single precision rounds a
// subnormal result; q is below 2^-255 and rounds to +0, so U's side is the plain one
// with q = 0.
template <int kLanes>
HUEMIX_ALWAYS_INLINE void FadedLanes(const Stencil& s, float* uo, float* vo, int col, float feed,
                                     float feedPlusKill) {
    using F = typename Lanes<kLanes>::F;
    using I = typename Lanes<kLanes>::I;
    using D = typename Lanes<kLanes>::D;
    const F cu = At<kLanes>(s.uc + col);
    const F lu = ((At<kLanes>(s.uc + col - 1) + At<kLanes>(s.uc + col + 1)) + At<kLanes>(s.un + col)) +
                 At<kLanes>(s.us + col) - 4.0f * cu;
    Put<kLanes>(uo + col, (kDiffusionU * lu + cu) + feed * (1.0f - cu));

    const I kc = (I)BitsAt<kLanes>(s.vc + col);
    const I sum = ((((I)BitsAt<kLanes>(s.vc + col - 1) + (I)BitsAt<kLanes>(s.vc + col + 1)) +
                    (I)BitsAt<kLanes>(s.vn + col)) +
                   (I)BitsAt<kLanes>(s.vs + col)) -
                  4 * kc;
    const D spread = RoundToInteger<kLanes>(__builtin_convertvector(sum, D) * static_cast<double>(kDiffusionV));
    const D decay = RoundToInteger<kLanes>(__builtin_convertvector(kc, D) * static_cast<double>(feedPlusKill));
    const I units = (__builtin_convertvector(spread, I) + kc) - __builtin_convertvector(decay, I);
    // A negative result is a sign and a magnitude in single precision.
    const I negative = units < 0;
    const I bits = ((units ^ negative) - negative) | (negative & INT32_MIN);
    Put<kLanes>(vo + col, bits);
}

// ---- the exact route: single precision emulated in double precision ----
// A sum, difference or product of two single-precision numbers, done in double
// precision and rounded once to the single-precision grid, is the single-precision
// result: products are exact in double, and a sum is exact unless one term is below
// 2^-29 of the other, too small to move the result off its nearest neighbour.

// The double value of each float, made without a floating-point operation on a
// subnormal: those lanes come from their integer multiples of 2^-149.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::D Widen(typename Lanes<kLanes>::U bits) {
    using F = typename Lanes<kLanes>::F;
    using U = typename Lanes<kLanes>::U;
    using I = typename Lanes<kLanes>::I;
    using D = typename Lanes<kLanes>::D;
    using L = typename Lanes<kLanes>::L;
    const U magnitude = bits & 0x7FFFFFFFu;
    const I subnormal = (I)(magnitude - 1 < kBitsSmallestNormal - 1);  // zeros keep their sign below
    const D wide = __builtin_convertvector((F)(bits & ~(U)subnormal), D);
    const I units = (I)(magnitude & (U)subnormal);
    const I signedUnits = (I)(bits >> 31) ? -units : units;
    const D tiny = __builtin_convertvector(signedUnits, D) * 0x1p-149;
    const L pick = __builtin_convertvector(subnormal, L);
    return (D)(((L)tiny & pick) | ((L)wide & ~pick));
}

// x rounded to the nearest single-precision number, ties to even, subnormals included.
// Below 2^-126 the grid is 2^-149 apart: adding and taking away 1.5 * 2^-97 rounds to
// it, and the sign is put back so that a result rounded to zero keeps its sign.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::D Round(typename Lanes<kLanes>::D x) {
    using F = typename Lanes<kLanes>::F;
    using D = typename Lanes<kLanes>::D;
    using L = typename Lanes<kLanes>::L;
    const L signBit = (L)x & INT64_MIN;
    const D magnitude = (D)((L)x ^ signBit);
    const L tiny = magnitude < 0x1p-126;
    const D grid = (magnitude + 0x1.8p-97) - 0x1.8p-97;
    const D onGrid = (D)((L)grid | signBit);
    const D normal = __builtin_convertvector(__builtin_convertvector((D)((L)x & ~tiny), F), D);
    return (D)(((L)onGrid & tiny) | ((L)normal & ~tiny));
}

// The single-precision bit patterns of values already on the single-precision grid.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::U Narrow(typename Lanes<kLanes>::D x) {
    using F = typename Lanes<kLanes>::F;
    using U = typename Lanes<kLanes>::U;
    using I = typename Lanes<kLanes>::I;
    using D = typename Lanes<kLanes>::D;
    using L = typename Lanes<kLanes>::L;
    const L signBit = (L)x & INT64_MIN;
    const D magnitude = (D)((L)x ^ signBit);
    const L tinyWide = magnitude < 0x1p-126;
    const I tiny = __builtin_convertvector(tinyWide, I);
    const U normal = (U)__builtin_convertvector((D)((L)x & ~tinyWide), F);
    const U units = (U)__builtin_convertvector((D)((L)(magnitude * 0x1p149) & tinyWide), I);
    const U sign = (U)__builtin_convertvector(signBit >> 32, I);
    return ((units | sign) & (U)tiny) | (normal & ~(U)tiny);
}

template <int kLanes>
HUEMIX_ALWAYS_INLINE void ExactLanes(const Stencil& s, float* uo, float* vo, int col, float feed,
                                     float feedPlusKill) {
    using D = typename Lanes<kLanes>::D;
#define HUEMIX_AT(row, offset) Widen<kLanes>(BitsAt<kLanes>((row) + col + (offset)))
#define HUEMIX_R(x) Round<kLanes>(x)
    const D cu = HUEMIX_AT(s.uc, 0), cv = HUEMIX_AT(s.vc, 0);
    // Four times a float is exact in single precision too, subnormal or not.
    const D lu = HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_AT(s.uc, -1) + HUEMIX_AT(s.uc, 1)) + HUEMIX_AT(s.un, 0)) +
                                   HUEMIX_AT(s.us, 0)) -
                          4.0 * cu);
    const D lv = HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_AT(s.vc, -1) + HUEMIX_AT(s.vc, 1)) + HUEMIX_AT(s.vn, 0)) +
                                   HUEMIX_AT(s.vs, 0)) -
                          4.0 * cv);
    const D q = HUEMIX_R(HUEMIX_R(cu * cv) * cv);
    const D nu = HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_R(static_cast<double>(kDiffusionU) * lu) + cu) - q) +
                          HUEMIX_R(static_cast<double>(feed) * HUEMIX_R(1.0 - cu)));
    const D nv = HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_R(static_cast<double>(kDiffusionV) * lv) + cv) + q) -
                          HUEMIX_R(static_cast<double>(feedPlusKill) * cv));
#undef HUEMIX_AT
#undef HUEMIX_R
    Put<kLanes>(uo + col, Narrow<kLanes>(nu));
    Put<kLanes>(vo + col, Narrow<kLanes>(nv));
}

template <int kLanes>
HUEMIX_ALWAYS_INLINE void StepLanes(const Stencil& s, float* uo, float* vo, int col, float feed,
                                    float feedPlusKill) {
    switch (RouteOf<kLanes>(s, col)) {
        case kRouteFast:
            FastLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
            break;
        case kRouteFaded:
            FadedLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
            break;
        case kRouteExact:
            ExactLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
            break;
    }
}
}  // namespace reaction_lanes
#endif
