#include "bench/clock/multiply_rate.h"

#include <chrono>

#include "modes/paths/vector_kernel.h"

#if HUEMIX_WIDE_KERNELS
namespace {
using Clock = std::chrono::steady_clock;
}  // namespace

// Each product kept in a register of that kind and hidden from the compiler, so that
// every multiply is done, in order. A macro, not a template: each width needs the
// function built for its instruction set around the code itself.
#define HUEMIX_MULTIPLY_RATE(V, kind, one, factor)                                                  \
    V a0 = one, a1 = a0, a2 = a0, a3 = a0, a4 = a0, a5 = a0, a6 = a0, a7 = a0, a8 = a0, a9 = a0;    \
    const V m = factor;                                                                             \
    const Clock::time_point start = Clock::now();                                                   \
    for (long i = 0; i < rounds; ++i) {                                                             \
        a0 = a0 * m, a1 = a1 * m, a2 = a2 * m, a3 = a3 * m, a4 = a4 * m;                            \
        a5 = a5 * m, a6 = a6 * m, a7 = a7 * m, a8 = a8 * m, a9 = a9 * m;                            \
        __asm__ volatile("" : "+" kind(a0), "+" kind(a1), "+" kind(a2), "+" kind(a3), "+" kind(a4)); \
        __asm__ volatile("" : "+" kind(a5), "+" kind(a6), "+" kind(a7), "+" kind(a8), "+" kind(a9)); \
    }                                                                                               \
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();             \
    return seconds > 0.0 ? 10.0 * static_cast<double>(rounds) / seconds * 1e-9 : 0.0

double ScalarMultiplyRate(long rounds) { HUEMIX_MULTIPLY_RATE(float, "x", 1.0f, 0.9999999f); }

typedef float Float8 __attribute__((vector_size(32)));
typedef float Float16 __attribute__((vector_size(64)));

HUEMIX_TARGET_AVX2 double Multiply256Rate(long rounds) {
    HUEMIX_MULTIPLY_RATE(Float8, "x", Float8{} + 1.0f, Float8{} + 0.9999999f);
}
HUEMIX_TARGET_AVX512 double Multiply512Rate(long rounds) {
    HUEMIX_MULTIPLY_RATE(Float16, "v", Float16{} + 1.0f, Float16{} + 0.9999999f);
}
#undef HUEMIX_MULTIPLY_RATE
#else
// The registers kept hidden are x86-64's: elsewhere nothing is measured.
double ScalarMultiplyRate(long) { return 0.0; }
double Multiply256Rate(long) { return 0.0; }
double Multiply512Rate(long) { return 0.0; }
#endif

long MultiplyRoundsFor(double seconds, double rate) { return static_cast<long>(seconds * rate * 1e9 / 10.0) + 1; }
