// A vector sine good to better than 1e-13 for arguments 0..kPlasmaSineLimit, written once for
// vectors of any width (GCC vector extensions) and compiled into each code path. It
// only decides pixels whose index a tiny change of the sum could not move; the picture
// itself always follows the C library's sines.
#pragma once
#include <cstdint>

#include "modes/paths/vector_kernel.h"

#if HUEMIX_VECTOR_KERNELS
// Declares the processor's vector builtins, used below.
#include <immintrin.h>
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

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
#if defined(__clang__) && defined(__wasm_simd128__)
// WebAssembly, two lanes only: its own vector square root, as correctly rounded.
HUEMIX_ALWAYS_INLINE PlasmaV2 VectorSqrt(const PlasmaV2& v) { return (PlasmaV2)_mm_sqrt_pd((__m128d)v); }
#elif defined(__clang__)
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

#include "modes/plasma/plasma_sine_body.h"
#endif
