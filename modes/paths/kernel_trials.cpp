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

namespace {
// One pass of a path: its trial again and again until its timing has settled, its part
// of the pass is spent or the next sample would overrun it. Gives the pass's times on
// the clock and in processor time (negative when some processor time was not read).
void TimePath(KernelTrial trial, VectorKernel kernel, double budget, double* seconds, double* used) {
    double clockSamples[kKernelMaxSamples];
    double usedSamples[kKernelMaxSamples];
    bool haveUsed = true;
    int count = 0;
    const Clock::time_point start = Clock::now();
    while (count < kKernelMaxSamples) {
        const int64_t usedBefore = PlatformThreadTime();
        const Clock::time_point sampleStart = Clock::now();
        trial(kernel);
        clockSamples[count] = SecondsSince(sampleStart);
        const int64_t usedAfter = PlatformThreadTime();
        if (usedBefore < 0 || usedAfter < usedBefore) haveUsed = false;
        usedSamples[count] = static_cast<double>(usedAfter - usedBefore);
        ++count;
        const double ran = SecondsSince(start);
        if (ran + clockSamples[count - 1] > budget) break;
        if (ran >= budget * kKernelMinRunShare &&
            KernelTimingSettled(haveUsed ? usedSamples : clockSamples, count)) {
            break;
        }
    }
    *seconds = KernelSettledTime(clockSamples, count);
    *used = haveUsed ? KernelSettledTime(usedSamples, count) : -1.0;
}
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
    const double pathBudget = kKernelTrialBudget / (kKernelTrialPasses * candidates);
    double seconds[kKernelCount];
    double used[kKernelCount];
    bool haveUsed = true;
    for (int k = 0; k < kKernelCount; ++k) seconds[k] = used[k] = -1.0;
    for (int pass = 0; pass < kKernelTrialPasses; ++pass) {
        for (int k = 0; k < kKernelCount; ++k) {
            if (!candidate[k]) continue;
            double passSeconds = 0.0;
            double passUsed = 0.0;
            TimePath(trial, static_cast<VectorKernel>(k), pathBudget, &passSeconds, &passUsed);
            if (passUsed < 0.0) haveUsed = false;
            if (seconds[k] < 0.0 || passSeconds < seconds[k]) seconds[k] = passSeconds;
            if (used[k] < 0.0 || passUsed < used[k]) used[k] = passUsed;
        }
    }
    return FastestKernel(haveUsed ? used : seconds);
}
