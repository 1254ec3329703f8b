#include "modes/kernel_choice.h"

#include <chrono>

#include "app/platform.h"
#include "modes/buddhabrot_lanes.h"
#include "modes/mandelbrot_zoom.h"
#include "modes/plasma.h"
#include "modes/reaction_diffusion.h"

VectorKernel FastestKernel(const double seconds[kKernelTrialRounds][kKernelCount]) {
    double shortest[kKernelCount];
    int fastest = -1;
    for (int k = 0; k < kKernelCount; ++k) {
        shortest[k] = seconds[0][k];
        for (int round = 1; round < kKernelTrialRounds; ++round) {
            if (seconds[round][k] < shortest[k]) shortest[k] = seconds[round][k];
        }
        if (shortest[k] >= 0.0 && (fastest < 0 || shortest[k] < shortest[fastest])) fastest = k;
    }
    if (fastest < 0) return kKernelPlain;
    // Paths are numbered from narrow to wide.
    for (int k = 0; k < fastest; ++k) {
        if (shortest[k] >= 0.0 && shortest[k] <= shortest[fastest] * (1.0 + kKernelTieShare)) {
            return static_cast<VectorKernel>(k);
        }
    }
    return static_cast<VectorKernel>(fastest);
}

VectorKernel MeasureFastestKernel(KernelTrial trial) {
    using Clock = std::chrono::steady_clock;
    bool candidate[kKernelCount];
    int candidates = 0;
    VectorKernel only = kKernelPlain;
    for (int k = kKernelSse2; k < kKernelCount; ++k) {
        candidate[k] = KernelAvailable(static_cast<VectorKernel>(k));
        if (candidate[k]) {
            ++candidates;
            only = static_cast<VectorKernel>(k);
        }
    }
    candidate[kKernelPlain] = false;
    if (candidates <= 1 || !trial) return only;
    // Each sample is read on both the clock and the thread's processor time. The
    // latter leaves out the time the thread waited for a processor, which on a busy
    // machine stretches some samples of a path or every one. Should any reading of the
    // processor time be missing, the clock's times are compared instead, so that the
    // times compared are all of one kind.
    double seconds[kKernelTrialRounds][kKernelCount];
    double used[kKernelTrialRounds][kKernelCount];
    bool haveUsed = true;
    for (int round = 0; round < kKernelTrialRounds; ++round) {
        for (int k = 0; k < kKernelCount; ++k) {
            seconds[round][k] = -1.0;
            used[round][k] = -1.0;
            if (!candidate[k]) continue;
            const int64_t usedBefore = PlatformThreadTime();
            const Clock::time_point start = Clock::now();
            trial(static_cast<VectorKernel>(k));
            seconds[round][k] = std::chrono::duration<double>(Clock::now() - start).count();
            const int64_t usedAfter = PlatformThreadTime();
            if (usedBefore < 0 || usedAfter < usedBefore) haveUsed = false;
            used[round][k] = static_cast<double>(usedAfter - usedBefore);
        }
    }
    return FastestKernel(haveUsed ? used : seconds);
}

KernelTrial KernelTrialFor(KernelUser user) {
    switch (user) {
        case kUserPlasma: return PlasmaTrial;
        case kUserReaction: return ReactionTrial;
        case kUserZoom: return ZoomTrial;
        case kUserBuddhabrot: return BuddhabrotTrial;
        case kUserSplash:
        case kUserPhyllotaxis:
        case kUserCompose:
        case kKernelUserCount:
            break;
    }
    return nullptr;
}
