// A vector sine good to about 1e-15 for arguments 0..kPlasmaSineLimit, written once for
// vectors of any width (GCC vector extensions) and compiled into each code path. It
// only decides pixels whose index a tiny change of the sum could not move; the picture
// itself always follows the C library's sines.
#pragma once
#include <cstdint>

#include "modes/vector_kernel.h"

#if HUEMIX_VECTOR_KERNELS
// Declares the processor's vector builtins, used below.
#include <immintrin.h>

// Vector arguments and results change the calling convention; these functions are
// always inlined into one code path, so no call ever passes one.
#pragma GCC diagnostic ignored "-Wpsabi"

typedef double PlasmaV2 __attribute__((vector_size(16)));
typedef double PlasmaV4 __attribute__((vector_size(32)));
typedef double PlasmaV8 __attribute__((vector_size(64)));

template <class V>
struct PlasmaLanes {
    static constexpr int kCount = sizeof(V) / sizeof(double);
    typedef int64_t Int __attribute__((vector_size(sizeof(V))));
};

// Square roots, correctly rounded like std::sqrt. GCC checks the builtins against the
// code path they are inlined into; eight lanes go as two halves of four, which the
// AVX2 and the AVX-512 path both have. Clang checks them in the template itself, so
// there each lane takes the scalar root: the same correctly rounded result.
#if defined(__clang__)
template <class V>
HUEMIX_ALWAYS_INLINE V VectorSqrt(const V& v) {
    V result;
    for (int i = 0; i < PlasmaLanes<V>::kCount; ++i) result[i] = __builtin_sqrt(v[i]);
    return result;
}
#else
HUEMIX_ALWAYS_INLINE PlasmaV2 VectorSqrt(const PlasmaV2& v) { return __builtin_ia32_sqrtpd(v); }
HUEMIX_ALWAYS_INLINE PlasmaV4 VectorSqrt(const PlasmaV4& v) { return __builtin_ia32_sqrtpd256(v); }
HUEMIX_ALWAYS_INLINE PlasmaV8 VectorSqrt(const PlasmaV8& v) {
    PlasmaV4 half[2];
    __builtin_memcpy(half, &v, sizeof half);
    half[0] = __builtin_ia32_sqrtpd256(half[0]);
    half[1] = __builtin_ia32_sqrtpd256(half[1]);
    PlasmaV8 result;
    __builtin_memcpy(&result, half, sizeof result);
    return result;
}
#endif

// Arguments beyond this are left to the C library: up to it the quadrant count stays
// below 2^17, where the three-part reduction below loses nothing that matters.
constexpr double kPlasmaSineLimit = 65536.0;

// sin(a) for 0 <= a <= kPlasmaSineLimit. The argument is reduced by the nearest
// multiple n of pi/2 (pi/2 in three parts, the first two with 33 significant bits so
// that n times them is exact), and sin or cos of the remainder |r| <= pi/4 is taken by
// the classic minimax polynomials, chosen and signed by n mod 4.
template <class V>
HUEMIX_ALWAYS_INLINE V ApproximateSine(const V& a) {
    using I = typename PlasmaLanes<V>::Int;
    constexpr double kTwoOverPi = 6.36619772367581382433e-01;
    constexpr double kHalfPi1 = 1.57079632673412561417e+00;
    constexpr double kHalfPi2 = 6.07710050630396597660e-11;
    constexpr double kHalfPi3 = 2.02226624879595063154e-21;
    // Vector casts reinterpret the bits. Adding 1.5 x 2^52 rounds to a whole number and leaves it in the low mantissa bits.
    constexpr double kRound = 6755399441055744.0;
    const V t = a * kTwoOverPi + kRound;
    const V n = t - kRound;
    const I quadrant = (I)t & 3;
    const V r = ((a - n * kHalfPi1) - n * kHalfPi2) - n * kHalfPi3;
    const V z = r * r;
    const V sine =
        r + r * z *
                (-1.66666666666666324348e-01 +
                 z * (8.33333333332248946124e-03 +
                      z * (-1.98412698298579493134e-04 +
                           z * (2.75573137070700676789e-06 +
                                z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)))));
    const V cosine =
        (1.0 - 0.5 * z) +
        z * z *
            (4.16666666666666019037e-02 +
             z * (-1.38888888888741095749e-03 +
                  z * (2.48015872894767294178e-05 +
                       z * (-2.75573143513906633035e-07 +
                            z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
    const I odd = (quadrant & 1) != 0;  // all ones where cos is wanted
    const I negative = ((quadrant & 2) != 0) & static_cast<int64_t>(0x8000000000000000ull);
    const I chosen = ((I)sine & ~odd) | ((I)cosine & odd);
    const I result = chosen ^ negative;
    return (V)result;
}
#endif
