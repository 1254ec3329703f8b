// The cells of a reaction-diffusion row, a vector of them at a time, computed without
// ever handing the processor a subnormal number: many processors take a slow microcode
// assist for every instruction that reads or makes one, which made the pictures whose
// V tails decay through the subnormal range many times slower than the others.
//
// Each vector of cells takes one of four routes, chosen from its inputs' bit patterns:
//   fast    every V input zero or in [2^-96, 2], every U input in [2^-20, 2]: the single-
//           precision operations themselves, none of which can then meet a subnormal
//           (see FastLanes); the product q = u v v is left out where v < 2^-40, since it
//           is then too small to change the sums it enters;
//   faded   every V input in [0, 2^-128): V's arithmetic is exact integer arithmetic on
//           the multiples of 2^-149 those numbers are, and q is a zero;
//   scaled  every V input in [0, 2] otherwise (the edges of faded regions): V's side on
//           copies 2^64 times larger, where no value is subnormal (see ScaledLanes);
//   exact   anything else, such as negative numbers: every operation in double
//           precision, each result rounded to the single-precision grid by hand.
// All four give bit for bit the values of the plain loop in the default environment.
// Each returns the bits in which its new cells differ from the cells before (U and V
// or'ed together), so that a row can tell which stretches the step left as they were.
//
// Included by reaction_rows.cpp, where these helpers are always inlined into the loop
// of one code path, built for that path's instruction set, and by its tests.
#pragma once

#include <cstdint>

#include "modes/vector_kernel.h"

#if HUEMIX_VECTOR_KERNELS
#include <immintrin.h>
#endif

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

enum Route : int { kRouteFast = 0, kRouteFaded = 1, kRouteScaled = 2, kRouteExact = 3 };

// The route of kLanes cells from column col on, from the bits of their inputs alone.
template <int kLanes>
HUEMIX_ALWAYS_INLINE Route RouteOf(const Stencil& s, int col) {
    using U = typename Lanes<kLanes>::U;
    using I = typename Lanes<kLanes>::I;
    // The west and east vectors of the centre row together cover the centre one.
    const U v0 = BitsAt<kLanes>(s.vc + col - 1), v2 = BitsAt<kLanes>(s.vc + col + 1),
            v3 = BitsAt<kLanes>(s.vn + col), v4 = BitsAt<kLanes>(s.vs + col);
    // The bounds are checked as signed numbers (their patterns plus a bias), which every
    // vector width compares directly. Largest V pattern, negatives counted largest:
    const I f0 = (I)(v0 ^ 0x80000000u), f2 = (I)(v2 ^ 0x80000000u), f3 = (I)(v3 ^ 0x80000000u),
            f4 = (I)(v4 ^ 0x80000000u);
    I most = f0 > f2 ? f0 : f2;
    most = most > f3 ? most : f3;
    most = most > f4 ? most : f4;
    // Smallest nonzero V pattern: zero wraps round to the largest.
    const I l0 = (I)(v0 + 0x7FFFFFFFu), l2 = (I)(v2 + 0x7FFFFFFFu), l3 = (I)(v3 + 0x7FFFFFFFu),
            l4 = (I)(v4 + 0x7FFFFFFFu);
    I least = l0 < l2 ? l0 : l2;
    least = least < l3 ? least : l3;
    least = least < l4 ? least : l4;
    // Every U pattern in [2^-20, 2]: outside it, the difference wraps above the range.
    const uint32_t uBias = 0x80000000u - kBitsMinFastU;
    const I u0 = (I)(BitsAt<kLanes>(s.uc + col - 1) + uBias), u2 = (I)(BitsAt<kLanes>(s.uc + col + 1) + uBias),
            u3 = (I)(BitsAt<kLanes>(s.un + col) + uBias), u4 = (I)(BitsAt<kLanes>(s.us + col) + uBias);
    I uMost = u0 > u2 ? u0 : u2;
    uMost = uMost > u3 ? uMost : u3;
    uMost = uMost > u4 ? uMost : u4;
    const I badU = Above<kLanes>(uMost, static_cast<int32_t>((kBitsTwo - kBitsMinFastU) ^ 0x80000000u));
    const I outside = badU | Above<kLanes>(most, static_cast<int32_t>(kBitsTwo ^ 0x80000000u));
    // least < bound: bound - min(least, bound) is nonzero.
    const int32_t leastBound = static_cast<int32_t>(kBitsMinFastV + 0x7FFFFFFFu);
    const I lb = I{} + leastBound;
    const I small = (I)((U)lb - (U)(least < lb ? least : lb));
    if (!AnyLane<kLanes>(outside | small)) return kRouteFast;
    if (AnyLane<kLanes>(outside)) return kRouteExact;
    const I unfaded = Above<kLanes>(most, static_cast<int32_t>((kBitsFadedV - 1) ^ 0x80000000u));
    return AnyLane<kLanes>(unfaded) ? kRouteScaled : kRouteFaded;
}

#if HUEMIX_WIDE_KERNELS
// The same choice in code built for AVX-512, the bounds compared into mask registers,
// one instruction each: about a third of the instructions of the test above.
// Inlined only where built for AVX-512 (the loops that take it are generic templates,
// inlined into such functions), so not marked to be inlined always.
HUEMIX_TARGET_AVX512 inline Route RouteOfMasks(const Stencil& s, int col) {
    // Written out without helpers: a vector passed to or from a function built without
    // AVX-512 would change the calling convention.
    using U = Lanes<16>::U;
    const U v0 = (U)_mm512_loadu_si512(s.vc + col - 1), v2 = (U)_mm512_loadu_si512(s.vc + col + 1),
            v3 = (U)_mm512_loadu_si512(s.vn + col), v4 = (U)_mm512_loadu_si512(s.vs + col);
    // Largest V pattern: negative numbers, sign bit set, count as the largest.
    const U v02 = v0 > v2 ? v0 : v2, v34 = v3 > v4 ? v3 : v4;
    const U vMost = v02 > v34 ? v02 : v34;
    // Smallest nonzero V pattern, less one: a zero wraps round to the largest.
    const U l0 = v0 - 1, l2 = v2 - 1, l3 = v3 - 1, l4 = v4 - 1;
    const U l02 = l0 < l2 ? l0 : l2, l34 = l3 < l4 ? l3 : l4;
    const U vLeast = l02 < l34 ? l02 : l34;
    // U patterns less the lower bound: outside [2^-20, 2] they land above the range.
    const U u0 = (U)_mm512_loadu_si512(s.uc + col - 1) - kBitsMinFastU,
            u2 = (U)_mm512_loadu_si512(s.uc + col + 1) - kBitsMinFastU,
            u3 = (U)_mm512_loadu_si512(s.un + col) - kBitsMinFastU, u4 = (U)_mm512_loadu_si512(s.us + col) - kBitsMinFastU;
    const U u02 = u0 > u2 ? u0 : u2, u34 = u3 > u4 ? u3 : u4;
    const U uBeyond = u02 > u34 ? u02 : u34;
    const __mmask16 outside =
        _mm512_cmpgt_epu32_mask((__m512i)vMost, _mm512_set1_epi32(static_cast<int>(kBitsTwo))) |
        _mm512_cmpgt_epu32_mask((__m512i)uBeyond, _mm512_set1_epi32(static_cast<int>(kBitsTwo - kBitsMinFastU)));
    const __mmask16 small = _mm512_cmplt_epu32_mask((__m512i)vLeast, _mm512_set1_epi32(static_cast<int>(kBitsMinFastV - 1)));
    if (!(outside | small)) return kRouteFast;
    if (outside) return kRouteExact;
    return _mm512_cmpge_epu32_mask((__m512i)vMost, _mm512_set1_epi32(static_cast<int>(kBitsFadedV))) ? kRouteScaled
                                                                                                    : kRouteFaded;
}

// The same choice in code built for AVX2, whose comparisons are signed only: x exceeds
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

HUEMIX_TARGET_AVX2 inline Route RouteOfAvx2(const Stencil& s, int col) {
    const __m256i v0 = BitsAvx2(s.vc + col - 1), v2 = BitsAvx2(s.vc + col + 1), v3 = BitsAvx2(s.vn + col),
                  v4 = BitsAvx2(s.vs + col);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i uLow = _mm256_set1_epi32(static_cast<int>(kBitsMinFastU));
    const __m256i vMost = _mm256_max_epu32(_mm256_max_epu32(v0, v2), _mm256_max_epu32(v3, v4));
    const __m256i vLeast = _mm256_min_epu32(_mm256_min_epu32(_mm256_sub_epi32(v0, one), _mm256_sub_epi32(v2, one)),
                                            _mm256_min_epu32(_mm256_sub_epi32(v3, one), _mm256_sub_epi32(v4, one)));
    const __m256i uBeyond = _mm256_max_epu32(
        _mm256_max_epu32(_mm256_sub_epi32(BitsAvx2(s.uc + col - 1), uLow), _mm256_sub_epi32(BitsAvx2(s.uc + col + 1), uLow)),
        _mm256_max_epu32(_mm256_sub_epi32(BitsAvx2(s.un + col), uLow), _mm256_sub_epi32(BitsAvx2(s.us + col), uLow)));
    const __m256i lowV = _mm256_set1_epi32(static_cast<int>(kBitsMinFastV - 1));
    const __m256i outside = _mm256_or_si256(AboveAvx2(vMost, kBitsTwo), AboveAvx2(uBeyond, kBitsTwo - kBitsMinFastU));
    // Below the bound where the minimum is not the bound.
    const __m256i small = _mm256_xor_si256(_mm256_min_epu32(vLeast, lowV), lowV);
    const __m256i either = _mm256_or_si256(outside, small);
    if (_mm256_testz_si256(either, either)) return kRouteFast;
    if (!_mm256_testz_si256(outside, outside)) return kRouteExact;
    const __m256i unfaded = AboveAvx2(vMost, kBitsFadedV - 1);
    return _mm256_testz_si256(unfaded, unfaded) ? kRouteFaded : kRouteScaled;
}
#endif

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
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::U FastLanes(const Stencil& s, float* uo, float* vo, int col,
                                                         float feed, float feedPlusKill) {
    using F = typename Lanes<kLanes>::F;
    using U = typename Lanes<kLanes>::U;
    const F cu = At<kLanes>(s.uc + col);
    const F cv = At<kLanes>(s.vc + col);
    const F lu = ((At<kLanes>(s.uc + col - 1) + At<kLanes>(s.uc + col + 1)) + At<kLanes>(s.un + col)) +
                 At<kLanes>(s.us + col) - 4.0f * cu;
    const F lv = ((At<kLanes>(s.vc + col - 1) + At<kLanes>(s.vc + col + 1)) + At<kLanes>(s.vn + col)) +
                 At<kLanes>(s.vs + col) - 4.0f * cv;
    const U cvBits = (U)cv;
    const F cvProduct = (F)(cvBits & ~(U)Below<kLanes>(cvBits, kBitsMinProductV));
    const F q = cu * cvProduct * cvProduct;
    const F nu = ((kDiffusionU * lu + cu) - q) + feed * (1.0f - cu);
    const F nv = ((kDiffusionV * lv + cv) + q) - feedPlusKill * cv;
    Put<kLanes>(uo + col, nu);
    Put<kLanes>(vo + col, nv);
    return ((U)nu ^ (U)cu) | ((U)nv ^ cvBits);
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
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::U FadedLanes(const Stencil& s, float* uo, float* vo, int col,
                                                          float feed, float feedPlusKill) {
    using F = typename Lanes<kLanes>::F;
    using U = typename Lanes<kLanes>::U;
    using I = typename Lanes<kLanes>::I;
    using D = typename Lanes<kLanes>::D;
    const F cu = At<kLanes>(s.uc + col);
    const F lu = ((At<kLanes>(s.uc + col - 1) + At<kLanes>(s.uc + col + 1)) + At<kLanes>(s.un + col)) +
                 At<kLanes>(s.us + col) - 4.0f * cu;
    const F nu = (kDiffusionU * lu + cu) + feed * (1.0f - cu);
    Put<kLanes>(uo + col, nu);

    const I kc = (I)BitsAt<kLanes>(s.vc + col);
    const I sum = ((((I)BitsAt<kLanes>(s.vc + col - 1) + (I)BitsAt<kLanes>(s.vc + col + 1)) +
                    (I)BitsAt<kLanes>(s.vn + col)) +
                   (I)BitsAt<kLanes>(s.vs + col)) -
                  4 * kc;
    const D spread = RoundToInteger<kLanes>(__builtin_convertvector(sum, D) * static_cast<double>(kDiffusionV));
    const D decay = RoundToInteger<kLanes>(__builtin_convertvector(kc, D) * static_cast<double>(feedPlusKill));
    const I units = (__builtin_convertvector(spread, I) + kc) - __builtin_convertvector(decay, I);
    // A negative result is a sign and a magnitude in single precision.
    const I negative = units >> 31;
    const I bits = ((units ^ negative) - negative) | (negative & INT32_MIN);
    Put<kLanes>(vo + col, bits);
    return ((U)nu ^ (U)cu) | (U)(bits ^ kc);
}

// ---- the scaled route: V's side on copies 2^64 times larger ----
// For V inputs in [0, 2] with some between 0 and 2^-96. Scaled by 2^64 every V value is
// a normal number, and every sum and difference is the true one scaled: a true result
// below 2^-126 is exact (the inputs are multiples of 2^-149), a larger one rounds alike
// at either scale. Only a product whose true value is below 2^-126 rounds differently,
// to the 2^-149 spacing of the subnormals: those lanes are rounded again from the exact
// product, in double precision, to the same spacing at the larger scale (2^-85). q is
// computed unscaled from V of 2^-40 on, and taken as zero below it as on the fast route
// (for V below 2^-126 it is an exact +0).
constexpr uint32_t kScaleBits = 64u << 23;           // adds 64 to an exponent
constexpr uint32_t kBitsSmallestNormalScaled = 0x20800000u;  // 2^-62: true 2^-126

// V's bits to the scaled value: normal numbers by their exponent, subnormals and zeros
// from their integer multiples of 2^-149.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::F ScaleUp(typename Lanes<kLanes>::U bits) {
    using F = typename Lanes<kLanes>::F;
    using U = typename Lanes<kLanes>::U;
    using I = typename Lanes<kLanes>::I;
    const I subnormal = Below<kLanes>(bits, kBitsSmallestNormal);
    const F fromUnits = __builtin_convertvector((I)(bits & (U)subnormal), F) * 0x1p-85f;
    return (F)(((U)fromUnits & (U)subnormal) | ((bits + kScaleBits) & ~(U)subnormal));
}

// factor * x, x scaled, rounded as the unscaled product would be.
// The lanes of product = factor * x marked in small, rounded again from the exact
// product. Vectors by pointer: the 512-bit path calls it from code built for AVX-512.
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

template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::F ScaledProduct(float factor, typename Lanes<kLanes>::F x) {
    using F = typename Lanes<kLanes>::F;
    using U = typename Lanes<kLanes>::U;
    using I = typename Lanes<kLanes>::I;
    const F product = factor * x;
    const U magnitude = (U)product & 0x7FFFFFFFu;
    const I small = Below<kLanes>(magnitude, kBitsSmallestNormalScaled) & ((I)(0u - magnitude) >> 31);
    if (!AnyLane<kLanes>(small)) return product;
    F rounded;
    RoundSmallProducts<kLanes>(factor, &x, &product, &small, &rounded);
    return rounded;
}

// A scaled value back to the true bits: below 2^-62 (true 2^-126) as a subnormal's
// integer multiple of 2^-149, above by its exponent.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::U ScaleDown(typename Lanes<kLanes>::F x) {
    using F = typename Lanes<kLanes>::F;
    using U = typename Lanes<kLanes>::U;
    using I = typename Lanes<kLanes>::I;
    const U bits = (U)x;
    const U magnitude = bits & 0x7FFFFFFFu;
    const I small = Below<kLanes>(magnitude, kBitsSmallestNormalScaled);
    const F units = (F)((U)x & (U)small) * 0x1p85f;
    const U subnormal = (U)__builtin_convertvector(units, I) & 0x7FFFFFFFu;
    return (((subnormal | (bits & 0x80000000u))) & (U)small) | ((bits - kScaleBits) & ~(U)small);
}

#if HUEMIX_WIDE_KERNELS
// The same three steps in code built for AVX-512: each choice between two lanes' ways
// made with a mask register, and the other way's lanes left out of the arithmetic (a
// masked lane raises no flag). Inlined only where built for AVX-512; vectors go in and
// out through pointers, which every caller's calling convention passes alike.
HUEMIX_TARGET_AVX512 inline void ScaleUpMasks(const float* p, Lanes<16>::F* out) {
    const __m512i b = _mm512_loadu_si512(p);
    const __mmask16 subnormal = _mm512_cmplt_epu32_mask(b, _mm512_set1_epi32(static_cast<int>(kBitsSmallestNormal)));
    const __m512 normal = _mm512_castsi512_ps(_mm512_add_epi32(b, _mm512_set1_epi32(static_cast<int>(kScaleBits))));
    const __m512 units = (__m512)__builtin_convertvector((Lanes<16>::I)b, Lanes<16>::F);
    *out = (Lanes<16>::F)_mm512_mask_mul_ps(normal, subnormal, units, _mm512_set1_ps(0x1p-85f));
}

HUEMIX_TARGET_AVX512 inline void ScaledProductMasks(float factor, const Lanes<16>::F* x, Lanes<16>::F* out) {
    const Lanes<16>::F product = factor * *x;
    // Nonzero and below the scaled smallest normal number: magnitude less one wraps for a zero.
    const __m512i magnitude = _mm512_and_si512((__m512i)product, _mm512_set1_epi32(0x7FFFFFFF));
    const __mmask16 small = _mm512_cmplt_epu32_mask(_mm512_sub_epi32(magnitude, _mm512_set1_epi32(1)),
                                                    _mm512_set1_epi32(static_cast<int>(kBitsSmallestNormalScaled - 1)));
    if (small) {
        const Lanes<16>::I lanes = (Lanes<16>::I)_mm512_movm_epi32(small);
        RoundSmallProducts<16>(factor, x, &product, &lanes, out);
    } else {
        *out = product;
    }
}

HUEMIX_TARGET_AVX512 inline void ScaleDownMasks(const Lanes<16>::F* x, Lanes<16>::U* out) {
    const __m512i b = (__m512i)*x;
    const __mmask16 small = _mm512_cmplt_epu32_mask(_mm512_and_si512(b, _mm512_set1_epi32(0x7FFFFFFF)),
                                                     _mm512_set1_epi32(static_cast<int>(kBitsSmallestNormalScaled)));
    const __m512i normal = _mm512_sub_epi32(b, _mm512_set1_epi32(static_cast<int>(kScaleBits)));
    const Lanes<16>::F scaled = (Lanes<16>::F)_mm512_maskz_mul_ps(small, (__m512)*x, _mm512_set1_ps(0x1p85f));
    const __m512i units =
        _mm512_and_si512((__m512i)__builtin_convertvector(scaled, Lanes<16>::I), _mm512_set1_epi32(0x7FFFFFFF));
    const __m512i subnormal = _mm512_or_si512(units, _mm512_and_si512(b, _mm512_set1_epi32(INT32_MIN)));
    *out = (Lanes<16>::U)_mm512_mask_blend_epi32(small, normal, subnormal);
}
#endif

template <int kLanes, bool kMasks>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::U ScaledLanes(const Stencil& s, float* uo, float* vo, int col,
                                                           float feed, float feedPlusKill) {
    using F = typename Lanes<kLanes>::F;
    using U = typename Lanes<kLanes>::U;
    const F cu = At<kLanes>(s.uc + col);
    const U cvBits = BitsAt<kLanes>(s.vc + col);
    const F cvProduct = (F)(cvBits & ~(U)Below<kLanes>(cvBits, kBitsMinProductV));
    const F q = cu * cvProduct * cvProduct;
    const F lu = ((At<kLanes>(s.uc + col - 1) + At<kLanes>(s.uc + col + 1)) + At<kLanes>(s.un + col)) +
                 At<kLanes>(s.us + col) - 4.0f * cu;
    const F nu = ((kDiffusionU * lu + cu) - q) + feed * (1.0f - cu);
    Put<kLanes>(uo + col, nu);

    U nv;
#if HUEMIX_WIDE_KERNELS
    if constexpr (kMasks) {
        F cv, west, east, north, south, spread, decay;
        ScaleUpMasks(s.vc + col, &cv);
        ScaleUpMasks(s.vc + col - 1, &west);
        ScaleUpMasks(s.vc + col + 1, &east);
        ScaleUpMasks(s.vn + col, &north);
        ScaleUpMasks(s.vs + col, &south);
        const F lv = ((west + east) + north) + south - 4.0f * cv;
        ScaledProductMasks(kDiffusionV, &lv, &spread);
        ScaledProductMasks(feedPlusKill, &cv, &decay);
        const F result = ((spread + cv) + q * 0x1p64f) - decay;
        ScaleDownMasks(&result, &nv);
    } else
#endif
    {
        const F cv = ScaleUp<kLanes>(cvBits);
        const F lv = ((ScaleUp<kLanes>(BitsAt<kLanes>(s.vc + col - 1)) + ScaleUp<kLanes>(BitsAt<kLanes>(s.vc + col + 1))) +
                      ScaleUp<kLanes>(BitsAt<kLanes>(s.vn + col))) +
                     ScaleUp<kLanes>(BitsAt<kLanes>(s.vs + col)) - 4.0f * cv;
        const F grown = (ScaledProduct<kLanes>(kDiffusionV, lv) + cv) + q * 0x1p64f;
        nv = ScaleDown<kLanes>(grown - ScaledProduct<kLanes>(feedPlusKill, cv));
    }
    Put<kLanes>(vo + col, nv);
    return ((U)nu ^ (U)cu) | (nv ^ cvBits);
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
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::U ExactLanes(const Stencil& s, float* uo, float* vo, int col,
                                                          float feed, float feedPlusKill) {
    using U = typename Lanes<kLanes>::U;
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
    const U nuBits = Narrow<kLanes>(nu), nvBits = Narrow<kLanes>(nv);
    Put<kLanes>(uo + col, nuBits);
    Put<kLanes>(vo + col, nvBits);
    return (nuBits ^ BitsAt<kLanes>(s.uc + col)) | (nvBits ^ BitsAt<kLanes>(s.vc + col));
}

// kLanes cells by the given route; returns the bits that moved.
template <int kLanes, bool kMasks = false>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::U StepRouted(Route route, const Stencil& s, float* uo, float* vo, int col,
                                                          float feed, float feedPlusKill) {
    switch (route) {
        case kRouteFast:
            return FastLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
        case kRouteFaded:
            return FadedLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
        case kRouteScaled:
            return ScaledLanes<kLanes, kMasks>(s, uo, vo, col, feed, feedPlusKill);
        case kRouteExact:
            break;
    }
    return ExactLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
}

// kLanes cells by the route their inputs allow; returns the bits that moved.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::U StepLanes(const Stencil& s, float* uo, float* vo, int col,
                                                         float feed, float feedPlusKill) {
    return StepRouted<kLanes>(RouteOf<kLanes>(s, col), s, uo, vo, col, feed, feedPlusKill);
}
}  // namespace reaction_lanes
#endif
