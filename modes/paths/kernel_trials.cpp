#include "modes/paths/kernel_trials.h"

#include <chrono>

#include "app/platform.h"

bool KernelTimingSettled(const double* samples, int count) {
    // A warm-up, then at least one earlier sample to compare the window with.
    if (count < kKernelSettleWindow + 2) return false;
    double before = samples[1];
    for (int i = 2; i < count - kKernelSettleWindow; ++i) {
        if (samples[i] < before) before = samples[i];
    }
    double recent = samples[count - kKernelSettleWindow];
    for (int i = count - kKernelSettleWindow + 1; i < count; ++i) {
        if (samples[i] < recent) recent = samples[i];
    }
    return recent >= before * (1.0 - kKernelSettleShare);
}

double KernelSettledTime(const double* samples, int count) {
    if (count <= 0) return -1.0;
    if (count == 1) return samples[0];
    double shortest = samples[1];
    for (int i = 2; i < count; ++i) {
        if (samples[i] < shortest) shortest = samples[i];
    }
    return shortest;
}

VectorKernel FastestKernel(const double settled[kKernelCount]) {
    int fastest = -1;
    for (int k = 0; k < kKernelCount; ++k) {
        if (settled[k] >= 0.0 && (fastest < 0 || settled[k] < settled[fastest])) fastest = k;
    }
    if (fastest < 0) return kKernelPlain;
    // Paths are numbered from narrow to wide.
    for (int k = 0; k < fastest; ++k) {
        if (settled[k] >= 0.0 && settled[k] <= settled[fastest] * (1.0 + kKernelTieShare)) {
            return static_cast<VectorKernel>(k);
        }
    }
    return static_cast<VectorKernel>(fastest);
}

namespace {
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }
}  // namespace

VectorKernel MeasureFastestKernel(KernelTrial trial) {
    bool candidate[kKernelCount] = {};
    int candidates = 0;
    VectorKernel only = kKernelPlain;
    for (int k = kKernelSse2; k < kKernelCount; ++k) {
        candidate[k] = KernelAvailable(static_cast<VectorKernel>(k));
        if (candidate[k]) {
            ++candidates;
            only = static_cast<VectorKernel>(k);
        }
    }
    if (candidates <= 1 || !trial) return only;
    // Each sample is read on both the clock and the thread's processor time. The
    // latter leaves out the time the thread waited for a processor, which on a busy
    // machine stretches some samples of a path or every one. Should any reading of the
    // processor time be missing, the clock's times are compared instead, so that the
    // times compared are all of one kind. The budget is kept on the clock.
    const double pathBudget = kKernelTrialBudget / candidates;
    double seconds[kKernelCount];
    double used[kKernelCount];
    bool haveUsed = true;
    for (int k = 0; k < kKernelCount; ++k) {
        seconds[k] = -1.0;
        used[k] = -1.0;
        if (!candidate[k]) continue;
        double clockSamples[kKernelMaxSamples];
        double usedSamples[kKernelMaxSamples];
        int count = 0;
        const Clock::time_point pathStart = Clock::now();
        do {
            const int64_t usedBefore = PlatformThreadTime();
            const Clock::time_point start = Clock::now();
            trial(static_cast<VectorKernel>(k));
            clockSamples[count] = SecondsSince(start);
            const int64_t usedAfter = PlatformThreadTime();
            if (usedBefore < 0 || usedAfter < usedBefore) haveUsed = false;
            usedSamples[count] = static_cast<double>(usedAfter - usedBefore);
            ++count;
            const double ran = SecondsSince(pathStart);
            if (ran >= pathBudget) break;
            if (ran >= pathBudget * kKernelMinRunShare &&
                KernelTimingSettled(haveUsed ? usedSamples : clockSamples, count)) {
                break;
            }
        } while (count < kKernelMaxSamples);
        seconds[k] = KernelSettledTime(clockSamples, count);
        used[k] = KernelSettledTime(usedSamples, count);
    }
    return FastestKernel(haveUsed ? used : seconds);
}
