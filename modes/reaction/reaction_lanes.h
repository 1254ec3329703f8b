// The cells of a reaction-diffusion row, a vector of them at a time, computed without
// ever handing the processor a subnormal number: many processors take a slow microcode
// assist for every instruction that reads or makes one, which made the pictures whose
// V tails decay through the subnormal range many times slower than the others.
//
// The vector loops hold V 2^64 times larger than its value (see ReactionScaleV). Every
// V the model makes, down to the smallest subnormal 2^-149, is then a normal number, and
// a sum or difference of such values is the true one scaled, bit for bit: a true result
// below 2^-126 is exact (the inputs are multiples of 2^-149), a larger one rounds alike
// at either scale. Only a product whose true value is below 2^-126 rounds differently,
// to the 2^-149 spacing of the subnormals. So each vector of cells takes one of two
// routes, chosen from its inputs' bit patterns:
//   scaled  every V input in [0, 2] and every U input in [2^-20, 2]: the single-
//           precision operations themselves, V's on the scaled values, with the two
//           products of V by a constant rounded again in the lanes where their true
//           value is below 2^-126 (far out in a pattern's tails; see ScaledLanes);
//   exact   anything else, such as negative numbers: every operation in double
//           precision, each result rounded to the single-precision grid by hand.
// Both give bit for bit the values of the plain loop in the default environment.
// Each reports the bits in which its new cells differ from the cells before (U and V
// or'ed together), so that a row can tell which stretches the step left as they were.
//
// Included by reaction_rows.cpp, where these helpers are always inlined into the loop
// of one code path, built for that path's instruction set, and by its tests.
#pragma once

#include <cstdint>

#include "modes/paths/vector_kernel.h"

#if HUEMIX_VECTOR_KERNELS
#include <immintrin.h>
#endif

// The bits of V held scaled against its true value's, which the conversions in and out
// (reaction_rows.cpp) share with the loops.
namespace reaction_lanes {
constexpr uint32_t kBitsSmallestNormal = 0x00800000u;
constexpr uint32_t kScaleBits = 64u << 23;                   // adds 64 to an exponent
constexpr uint32_t kBitsSmallestNormalScaled = 0x20800000u;  // true 2^-126
}  // namespace reaction_lanes

#if HUEMIX_VECTOR_KERNELS
// Vector values passed and returned change the calling convention; the helpers below
// are always inlined into one code path, so no call ever passes one.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace reaction_lanes {
constexpr float kDiffusionU = 0.16f;
constexpr float kDiffusionV = 0.08f;

// Bit patterns of the bounds of the routes (positive numbers order as their bits).
constexpr uint32_t kBitsTwo = 0x40000000u;                   // 2.0f
constexpr uint32_t kBitsMinFastU = 0x35800000u;              // 2^-20
// The same for scaled V, 2^64 times larger (and kBitsSmallestNormalScaled above).
constexpr uint32_t kBitsMostV = kBitsTwo + kScaleBits;       // true 2
constexpr uint32_t kBitsMinProductV = 0x4B800000u;           // true 2^-40: q is computed from here on

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

// Whether any lane is nonzero: the halves are or'ed together down to 128 bits and
// tested at once, where a loop over the lanes would move each lane out of the vector
// unit.
// With kMasks (code built for AVX-512 only), one test into a mask register instead.
#if HUEMIX_WIDE_KERNELS
HUEMIX_TARGET_AVX512 inline bool AnyLaneMasks(const Lanes<16>::I* lanes) {
    const __m512i x = (__m512i)*lanes;
    return _mm512_test_epi32_mask(x, x) != 0;
}
#endif

template <int kLanes, bool kMasks = false>
HUEMIX_ALWAYS_INLINE bool AnyLane(typename Lanes<kLanes>::I lanes) {
#if HUEMIX_WIDE_KERNELS
    if constexpr (kMasks) return AnyLaneMasks(&lanes);
#endif
    if constexpr (kLanes == 16) {
        const Lanes<8>::I low = __builtin_shufflevector(lanes, lanes, 0, 1, 2, 3, 4, 5, 6, 7);
        const Lanes<8>::I high = __builtin_shufflevector(lanes, lanes, 8, 9, 10, 11, 12, 13, 14, 15);
        return AnyLane<8>(low | high);
    } else if constexpr (kLanes == 8) {
        const Lanes<4>::I low = __builtin_shufflevector(lanes, lanes, 0, 1, 2, 3);
        const Lanes<4>::I high = __builtin_shufflevector(lanes, lanes, 4, 5, 6, 7);
        return AnyLane<4>(low | high);
    } else {
        static_assert(kLanes == 4);
        __m128i m;
        __builtin_memcpy(&m, &lanes, sizeof m);
        return _mm_movemask_epi8(_mm_cmpeq_epi32(m, _mm_setzero_si128())) != 0xFFFF;
    }
}

// The tests below are written with max, min, subtraction and shifts only: GCC takes a
// comparison that makes a vector of all-ones lanes apart lane by lane in these loops.

// All ones in the lanes where x < bound, for x and bound below 2^31.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::I Below(typename Lanes<kLanes>::U x, uint32_t bound) {
    return (typename Lanes<kLanes>::I)(x - bound) >> 31;
}

// Nonzero in the lanes where x > bound (signed).
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::I Above(typename Lanes<kLanes>::I x, int32_t bound) {
    using I = typename Lanes<kLanes>::I;
    using U = typename Lanes<kLanes>::U;
    const I b = I{} + bound;
    return (I)((U)(x > b ? x : b) - (U)b);
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

// Whether kLanes cells from column col on may take the scaled route, from the bits of
// their inputs alone.
template <int kLanes>
HUEMIX_ALWAYS_INLINE bool InScaledRange(const Stencil& s, int col) {
    using I = typename Lanes<kLanes>::I;
    // The west and east vectors of the centre row together cover the centre one.
    // Checked as signed numbers (the patterns plus a bias), which every vector width
    // compares directly. Largest V pattern, negatives counted largest:
    const I f0 = (I)(BitsAt<kLanes>(s.vc + col - 1) ^ 0x80000000u), f2 = (I)(BitsAt<kLanes>(s.vc + col + 1) ^ 0x80000000u),
            f3 = (I)(BitsAt<kLanes>(s.vn + col) ^ 0x80000000u), f4 = (I)(BitsAt<kLanes>(s.vs + col) ^ 0x80000000u);
    I most = f0 > f2 ? f0 : f2;
    most = most > f3 ? most : f3;
    most = most > f4 ? most : f4;
    // Every U pattern in [2^-20, 2]: outside it, the difference wraps above the range.
    const uint32_t uBias = 0x80000000u - kBitsMinFastU;
    const I u0 = (I)(BitsAt<kLanes>(s.uc + col - 1) + uBias), u2 = (I)(BitsAt<kLanes>(s.uc + col + 1) + uBias),
            u3 = (I)(BitsAt<kLanes>(s.un + col) + uBias), u4 = (I)(BitsAt<kLanes>(s.us + col) + uBias);
    I uMost = u0 > u2 ? u0 : u2;
    uMost = uMost > u3 ? uMost : u3;
    uMost = uMost > u4 ? uMost : u4;
    const I outside = Above<kLanes>(uMost, static_cast<int32_t>((kBitsTwo - kBitsMinFastU) ^ 0x80000000u)) |
                      Above<kLanes>(most, static_cast<int32_t>(kBitsMostV ^ 0x80000000u));
    return !AnyLane<kLanes>(outside);
}

#if HUEMIX_WIDE_KERNELS
// The same test in code built for AVX-512, the bounds compared into mask registers.
// Inlined only where built for AVX-512 (the loops that take it are generic templates,
// inlined into such functions), so not marked to be inlined always.
HUEMIX_TARGET_AVX512 inline bool InScaledRangeMasks(const Stencil& s, int col) {
    // Written out without helpers: a vector passed to or from a function built without
    // AVX-512 would change the calling convention.
    using U = Lanes<16>::U;
    const U v0 = (U)_mm512_loadu_si512(s.vc + col - 1), v2 = (U)_mm512_loadu_si512(s.vc + col + 1),
            v3 = (U)_mm512_loadu_si512(s.vn + col), v4 = (U)_mm512_loadu_si512(s.vs + col);
    // Largest V pattern: negative numbers, sign bit set, count as the largest.
    const U v02 = v0 > v2 ? v0 : v2, v34 = v3 > v4 ? v3 : v4;
    const U vMost = v02 > v34 ? v02 : v34;
    // U patterns less the lower bound: outside [2^-20, 2] they land above the range.
    const U u0 = (U)_mm512_loadu_si512(s.uc + col - 1) - kBitsMinFastU,
            u2 = (U)_mm512_loadu_si512(s.uc + col + 1) - kBitsMinFastU,
            u3 = (U)_mm512_loadu_si512(s.un + col) - kBitsMinFastU, u4 = (U)_mm512_loadu_si512(s.us + col) - kBitsMinFastU;
    const U u02 = u0 > u2 ? u0 : u2, u34 = u3 > u4 ? u3 : u4;
    const U uBeyond = u02 > u34 ? u02 : u34;
    return !(_mm512_cmpgt_epu32_mask((__m512i)vMost, _mm512_set1_epi32(static_cast<int>(kBitsMostV))) |
             _mm512_cmpgt_epu32_mask((__m512i)uBeyond, _mm512_set1_epi32(static_cast<int>(kBitsTwo - kBitsMinFastU))));
}

// The same test in code built for AVX2, whose comparisons are signed only: x exceeds
// bound where the unsigned max of the two is not the bound, and one test of a whole
// register says whether any lane does. Inlined only where built for AVX2.
HUEMIX_TARGET_AVX2 inline __m256i BitsAvx2(const float* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Nonzero in the lanes where x > bound, unsigned: there the maximum is not the bound.
HUEMIX_TARGET_AVX2 inline __m256i AboveAvx2(__m256i x, uint32_t bound) {
    const __m256i b = _mm256_set1_epi32(static_cast<int>(bound));
    return _mm256_xor_si256(_mm256_max_epu32(x, b), b);
}

HUEMIX_TARGET_AVX2 inline bool InScaledRangeAvx2(const Stencil& s, int col) {
    const __m256i uLow = _mm256_set1_epi32(static_cast<int>(kBitsMinFastU));
    const __m256i vMost = _mm256_max_epu32(_mm256_max_epu32(BitsAvx2(s.vc + col - 1), BitsAvx2(s.vc + col + 1)),
                                           _mm256_max_epu32(BitsAvx2(s.vn + col), BitsAvx2(s.vs + col)));
    const __m256i uBeyond = _mm256_max_epu32(
        _mm256_max_epu32(_mm256_sub_epi32(BitsAvx2(s.uc + col - 1), uLow), _mm256_sub_epi32(BitsAvx2(s.uc + col + 1), uLow)),
        _mm256_max_epu32(_mm256_sub_epi32(BitsAvx2(s.un + col), uLow), _mm256_sub_epi32(BitsAvx2(s.us + col), uLow)));
    const __m256i outside = _mm256_or_si256(AboveAvx2(vMost, kBitsMostV), AboveAvx2(uBeyond, kBitsTwo - kBitsMinFastU));
    return _mm256_testz_si256(outside, outside);
}
#endif

// All ones in the lanes of a scaled product whose true value is below 2^-126 but not
// zero.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::I SmallProduct(typename Lanes<kLanes>::F product) {
    using U = typename Lanes<kLanes>::U;
    using I = typename Lanes<kLanes>::I;
    const U magnitude = (U)product & 0x7FFFFFFFu;
    return Below<kLanes>(magnitude, kBitsSmallestNormalScaled) & ((I)(0u - magnitude) >> 31);
}

#if HUEMIX_WIDE_KERNELS
// Whether any lane of spread or decay (decay never negative) is small, as SmallProduct
// says, in code built for AVX2: the magnitudes less one (a zero wraps round to the
// largest) below the bound where their unsigned minimum with it is not the bound.
// Vectors by pointer, as below.
HUEMIX_TARGET_AVX2 inline bool AnySmallProductAvx2(const Lanes<8>::F* spread, const Lanes<8>::F* decay) {
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i bound = _mm256_set1_epi32(static_cast<int>(kBitsSmallestNormalScaled - 1));
    const __m256i spreadLess = _mm256_sub_epi32(_mm256_and_si256((__m256i)*spread, _mm256_set1_epi32(0x7FFFFFFF)), one);
    const __m256i least = _mm256_min_epu32(_mm256_min_epu32(spreadLess, _mm256_sub_epi32((__m256i)*decay, one)), bound);
    const __m256i below = _mm256_xor_si256(least, bound);
    return !_mm256_testz_si256(below, below);
}
#endif


// The lanes of product = factor * x (x scaled) marked in small, rounded again from the
// exact product, in double precision, to the spacing of the subnormals scaled (2^-85).
// Vectors by pointer: the 512-bit path calls it from code built for AVX-512.
template <int kLanes>
HUEMIX_ALWAYS_INLINE void RoundSmallProducts(float factor, const typename Lanes<kLanes>::F* x,
                                             const typename Lanes<kLanes>::F* product,
                                             const typename Lanes<kLanes>::I* small, typename Lanes<kLanes>::F* out) {
    using F = typename Lanes<kLanes>::F;
    using U = typename Lanes<kLanes>::U;
    using D = typename Lanes<kLanes>::D;
    using L = typename Lanes<kLanes>::L;
    const D exact = __builtin_convertvector(*x, D) * static_cast<double>(factor);
    const D grid = (exact + 0x1.8p-33) - 0x1.8p-33;  // multiples of 2^-85, ties to even
    const L signBit = (L)exact & INT64_MIN;
    const F rounded = __builtin_convertvector((D)((L)grid | signBit), F);
    *out = (F)(((U)rounded & (U)*small) | ((U)*product & ~(U)*small));
}

// The scaled route, for inputs InScaledRange allows. With every U input in [2^-20, 2],
// U's side meets no subnormal: its inputs are multiples of 2^-43, and so are their
// sums and the Laplacian, which is zero or at least 2^-43. V's side, scaled, is made of
// zeros and multiples of 2^-85 (true 2^-149), all normal numbers; the products by the
// constants 0.08 and F + k are at least 2^-89. q is computed from true V of 2^-40 on,
// unscaled for U (at least 2^-100) and scaled for V, the same rounding; below 2^-40,
// |q| < 2 v^2 is under a quarter of a unit in the last place of the sum it joins (at
// least half of V, since the Laplacian is at least -4 V, or a third of U), so adding or
// subtracting it leaves that sum as it is: q is taken as zero there, never computed.
// Returns whether some product needed rounding again: with kRound it was, without it
// the vector is left unwritten. moved gathers the bits that moved.
// kMasks and kOwnAvx2 choose tests of code built for AVX-512 or for AVX2.
template <int kLanes, bool kRound, bool kMasks = false, bool kOwnAvx2 = false>
HUEMIX_ALWAYS_INLINE bool ScaledLanes(const Stencil& s, float* uo, float* vo, int col, float feed, float feedPlusKill,
                                      typename Lanes<kLanes>::U* moved) {
    using F = typename Lanes<kLanes>::F;
    using U = typename Lanes<kLanes>::U;
    using I = typename Lanes<kLanes>::I;
    const F cu = At<kLanes>(s.uc + col);
    const F cv = At<kLanes>(s.vc + col);
    const F lv = ((At<kLanes>(s.vc + col - 1) + At<kLanes>(s.vc + col + 1)) + At<kLanes>(s.vn + col)) +
                 At<kLanes>(s.vs + col) - 4.0f * cv;
    F spread = kDiffusionV * lv;
    F decay = feedPlusKill * cv;
    bool small;
#if HUEMIX_WIDE_KERNELS
    if constexpr (kOwnAvx2) {
        small = AnySmallProductAvx2(&spread, &decay);
    } else
#endif
    {
        small = AnyLane<kLanes, kMasks>(SmallProduct<kLanes>(spread) | SmallProduct<kLanes>(decay));
    }
    if (small) {
        if constexpr (!kRound) return true;
        const I smallSpread = SmallProduct<kLanes>(spread), smallDecay = SmallProduct<kLanes>(decay);
        RoundSmallProducts<kLanes>(kDiffusionV, &lv, &spread, &smallSpread, &spread);
        RoundSmallProducts<kLanes>(feedPlusKill, &cv, &decay, &smallDecay, &decay);
    }
    const F lu = ((At<kLanes>(s.uc + col - 1) + At<kLanes>(s.uc + col + 1)) + At<kLanes>(s.un + col)) +
                 At<kLanes>(s.us + col) - 4.0f * cu;
    const U cvBits = (U)cv;
    const F cvProduct = (F)(cvBits & ~(U)Below<kLanes>(cvBits, kBitsMinProductV));
    const F uv = cu * (cvProduct * 0x1p-64f);
    const F q = uv * (cvProduct * 0x1p-64f);
    const F nu = ((kDiffusionU * lu + cu) - q) + feed * (1.0f - cu);
    const F nv = ((spread + cv) + uv * cvProduct) - decay;
    Put<kLanes>(uo + col, nu);
    Put<kLanes>(vo + col, nv);
    *moved |= ((U)nu ^ (U)cu) | ((U)nv ^ cvBits);
    return small;
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

// Scaled V's true value: a scaled V is never subnormal, so a conversion and an exact
// product by 2^-64.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::D WidenScaled(typename Lanes<kLanes>::U bits) {
    return __builtin_convertvector((typename Lanes<kLanes>::F)bits, typename Lanes<kLanes>::D) * 0x1p-64;
}

// The scaled bits of x rounded to the single-precision grid: that value, 2^64 times
// larger, is exact in single precision and never subnormal.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::U NarrowScaled(typename Lanes<kLanes>::D x) {
    using F = typename Lanes<kLanes>::F;
    return (typename Lanes<kLanes>::U)__builtin_convertvector(Round<kLanes>(x) * 0x1p64, F);
}

// V in and out scaled, U as it is; returns the bits that moved.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::U ExactLanes(const Stencil& s, float* uo, float* vo, int col,
                                                          float feed, float feedPlusKill) {
    using U = typename Lanes<kLanes>::U;
    using D = typename Lanes<kLanes>::D;
#define HUEMIX_AT(row, offset) Widen<kLanes>(BitsAt<kLanes>((row) + col + (offset)))
#define HUEMIX_V(row, offset) WidenScaled<kLanes>(BitsAt<kLanes>((row) + col + (offset)))
#define HUEMIX_R(x) Round<kLanes>(x)
    const D cu = HUEMIX_AT(s.uc, 0), cv = HUEMIX_V(s.vc, 0);
    // Four times a float is exact in single precision too, subnormal or not.
    const D lu = HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_AT(s.uc, -1) + HUEMIX_AT(s.uc, 1)) + HUEMIX_AT(s.un, 0)) +
                                   HUEMIX_AT(s.us, 0)) -
                          4.0 * cu);
    const D lv = HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_V(s.vc, -1) + HUEMIX_V(s.vc, 1)) + HUEMIX_V(s.vn, 0)) +
                                   HUEMIX_V(s.vs, 0)) -
                          4.0 * cv);
    const D q = HUEMIX_R(HUEMIX_R(cu * cv) * cv);
    const D nu = HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_R(static_cast<double>(kDiffusionU) * lu) + cu) - q) +
                          HUEMIX_R(static_cast<double>(feed) * HUEMIX_R(1.0 - cu)));
    const D nv = HUEMIX_R(HUEMIX_R(HUEMIX_R(HUEMIX_R(static_cast<double>(kDiffusionV) * lv) + cv) + q) -
                          HUEMIX_R(static_cast<double>(feedPlusKill) * cv));
#undef HUEMIX_AT
#undef HUEMIX_V
#undef HUEMIX_R
    const U nuBits = Narrow<kLanes>(nu), nvBits = NarrowScaled<kLanes>(nv);
    Put<kLanes>(uo + col, nuBits);
    Put<kLanes>(vo + col, nvBits);
    return (nuBits ^ BitsAt<kLanes>(s.uc + col)) | (nvBits ^ BitsAt<kLanes>(s.vc + col));
}

}  // namespace reaction_lanes
#endif
