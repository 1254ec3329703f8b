// huemix-clock-bench: how fast this processor multiplies at each vector width, to tell
// whether wide code lowers its clock. Some processors run dense 512-bit arithmetic at a
// lower clock than narrower code and keep the lower clock for a while after it, so a
// wide loop can be faster alone and still slow a picture down: what runs beside it or
// after it runs at the lower clock too.
//
// Figures in G multiply instructions per second (see multiply_rate.h):
//   scalar, 256-bit, 512-bit     each after 20 ms of the same
//   512-bit from rest            successive slices of about 50 us, after 2 ms of scalar
//                                work: how long the wide units take to come up to speed
//   256-bit after 512-bit        the same, right after 20 ms of 512-bit multiplies: how
//                                long a lower clock lasts after them
// Usage: huemix-clock-bench
#include <chrono>
#include <cstdio>

#include "bench/clock/multiply_rate.h"
#include "modes/processor.h"
#include "modes/paths/vector_kernel.h"

namespace {
using Clock = std::chrono::steady_clock;

// Scalar work for `seconds`, which lets the wide units rest.
void ScalarFor(double seconds) {
    const Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < end) ScalarMultiplyRate(1000);
}

// The rate after `seconds` of warming up on it.
double Settled(double (*rate)(long), double seconds) {
    const double first = rate(MultiplyRoundsFor(0.001, 1.0));
    rate(MultiplyRoundsFor(seconds, first));
    return rate(MultiplyRoundsFor(0.01, first));
}

// Successive slices of about 50 us of `rate`, which is `settled` once settled.
void PrintSlices(const char* name, double (*rate)(long), double settled) {
    std::printf("%s", name);
    for (int slice = 0; slice < 24; ++slice) std::printf(" %.2f", rate(MultiplyRoundsFor(0.00005, settled)));
    std::printf("\n");
}
}  // namespace

int main() {
    std::printf("# %s, %s; G multiply instructions per second\n", ProcessorVendor(), ProcessorModel());
    if (!HUEMIX_WIDE_KERNELS) {
        std::printf("# measured in x86-64 builds only\n");
        return 0;
    }
    std::printf("scalar %.2f\n", Settled(ScalarMultiplyRate, 0.02));
    if (!KernelAvailable(kKernelAvx2)) {
        std::printf("# no 256-bit path on this processor or build\n");
        return 0;
    }
    ScalarFor(0.002);
    const double rate256 = Settled(Multiply256Rate, 0.02);
    std::printf("256-bit %.2f\n", rate256);
    if (!KernelAvailable(kKernelAvx512)) {
        std::printf("# no 512-bit path on this processor\n");
        return 0;
    }
    const double rate512 = Settled(Multiply512Rate, 0.02);
    std::printf("512-bit %.2f\n", rate512);
    ScalarFor(0.002);
    PrintSlices("512-bit from rest", Multiply512Rate, rate512);
    Multiply512Rate(MultiplyRoundsFor(0.02, rate512));
    PrintSlices("256-bit after 512-bit", Multiply256Rate, rate256);
    return 0;
}
