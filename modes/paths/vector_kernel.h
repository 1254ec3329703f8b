// Which code path the hot loops of the slow modes take. Every path does the very same
// IEEE operations in the same order, so the pictures never depend on the choice, only
// the time they take:
//   plain   the portable reference loops, one value at a time;
//   sse2    128-bit vectors, which every x86-64 processor has;
//   avx2    256-bit vectors;
//   avx512  512-bit vectors.
// Which path each mode takes is settled in kernel_choice.h, from the trials of
// kernel_trials.h; this file only knows which paths exist.
#pragma once

enum VectorKernel : int { kKernelPlain = 0, kKernelSse2 = 1, kKernelAvx2 = 2, kKernelAvx512 = 3 };
constexpr int kKernelCount = 4;

// The vector paths are compiled in on x86-64 with GCC or Clang, all of them; in
// WebAssembly built with 128-bit vectors and the compiler's SSE2 intrinsics
// (-msimd128 -msse2), the sse2 path only (HUEMIX_WIDE_KERNELS 0): no engine has wider
// vectors. Elsewhere only the plain loops exist.
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define HUEMIX_VECTOR_KERNELS 1
#define HUEMIX_WIDE_KERNELS 1
#define HUEMIX_TARGET_AVX2 __attribute__((target("avx2")))
#define HUEMIX_TARGET_AVX512 __attribute__((target("avx512f,avx512bw,avx512dq,avx512vl")))
#elif defined(__wasm_simd128__) && defined(__SSE2__)
#define HUEMIX_VECTOR_KERNELS 1
#define HUEMIX_WIDE_KERNELS 0
#define HUEMIX_TARGET_AVX2
#define HUEMIX_TARGET_AVX512
#else
#define HUEMIX_VECTOR_KERNELS 0
#define HUEMIX_WIDE_KERNELS 0
#define HUEMIX_TARGET_AVX2
#define HUEMIX_TARGET_AVX512
#endif

// A loop body shared by several paths, compiled into each of them.
#if defined(__GNUC__) || defined(__clang__)
#define HUEMIX_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define HUEMIX_ALWAYS_INLINE inline
#endif

// True when the path is compiled in and the processor and the system support it.
bool KernelAvailable(VectorKernel kernel);

// The best available path.
VectorKernel BestKernel();

// "plain", "sse2", "avx2", "avx512"; ParseKernelName gives false for any other text.
const char* KernelName(VectorKernel kernel);
bool ParseKernelName(const char* text, VectorKernel* kernel);
