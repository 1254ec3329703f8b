// Whether the hot loops of the slow modes may use the processor's 256-bit vector
// instructions (AVX2). Those loops do the very same IEEE operations in either width,
// so the pictures do not depend on the answer, only the time they take.
#pragma once

// Compiled in on x86-64 with GCC or Clang; elsewhere only the portable loops exist.
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define HUEMIX_WIDE_VECTORS 1
#define HUEMIX_TARGET_AVX2 __attribute__((target("avx2")))
#else
#define HUEMIX_WIDE_VECTORS 0
#define HUEMIX_TARGET_AVX2
#endif

// A loop body shared by a portable and a wide function, compiled into each of them.
#if defined(__GNUC__) || defined(__clang__)
#define HUEMIX_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define HUEMIX_ALWAYS_INLINE inline
#endif

// True when the wide loops are compiled in, the processor and the system support
// them, and they have not been switched off.
bool UseWideVectors();

// Switches the wide loops off (false) or back on where available (true), so that
// tests can check the portable loops on a machine that has the wide ones.
void AllowWideVectors(bool allowed);
