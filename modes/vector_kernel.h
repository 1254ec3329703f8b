// Which code path the hot loops of the slow modes take. Every path does the very same
// IEEE operations in the same order, so the pictures never depend on the choice, only
// the time they take:
//   plain   the portable reference loops, one value at a time;
//   sse2    128-bit vectors, which every x86-64 processor has;
//   avx2    256-bit vectors;
//   avx512  512-bit vectors.
// Each mode takes the path measured fastest for it on the processor it runs on (the
// widest is not always the fastest); tests and the benchmark can force any available
// one.
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

// The path the loops take now: the best one unless another was forced.
VectorKernel ActiveKernel();

// The users of the vector paths, each of which gets its own path.
enum KernelUser : int {
    kUserSplash = 0,
    kUserPlasma,
    kUserPhyllotaxis,
    kUserReaction,
    kUserZoom,
    kUserBuddhabrot,
    kUserCompose,
    kKernelUserCount
};

// The path a user takes: the forced one if a path was forced, else the one measured
// fastest for it on this processor, the first time it is asked (kernel_choice.h), and
// the best available for users with a single vector path.
VectorKernel KernelFor(KernelUser user);

// "splash", "plasma", "phyllotaxis", "reaction-diffusion", "zoom", "buddhabrot", "compose".
const char* KernelUserName(KernelUser user);

// How a user's path is settled.
enum KernelChoice : int { kChoiceOnly = 0, kChoiceMeasured = 1, kChoiceForced = 2 };
KernelChoice KernelChoiceOf(KernelUser user);
// "only", "measured", "forced".
const char* KernelChoiceName(KernelChoice choice);

// Forces an available path (false, and nothing changes, when it is not available).
bool ForceKernel(VectorKernel kernel);

// Back to the best available path.
void ResetKernel();

// "plain", "sse2", "avx2", "avx512"; ParseKernelName gives false for any other text.
const char* KernelName(VectorKernel kernel);
bool ParseKernelName(const char* text, VectorKernel* kernel);
