#include "modes/paths/kernel_choice.h"

#include <atomic>

namespace {
// The drawing threads ask for their path while the calling thread may change the
// forced path between pictures, and a user's path is measured once: all of it is
// shared between threads.
std::atomic<int> forcedKernel{-1};  // -1: none forced
std::atomic<int> measuredKernel[kKernelUserCount] = {};
constexpr int kNotMeasured = 0;  // stored as the path + 1

bool Measured(KernelUser user, KernelTrial trial) {
    if (user < 0 || user >= kKernelUserCount || !trial) return false;
    int wide = 0;
    for (int k = kKernelSse2; k < kKernelCount; ++k) wide += KernelAvailable(static_cast<VectorKernel>(k));
    return wide > 1;
}
}  // namespace

VectorKernel KernelFor(KernelUser user, KernelTrial trial) {
    const int forced = forcedKernel.load(std::memory_order_acquire);
    if (forced >= 0) return static_cast<VectorKernel>(forced);
    if (!Measured(user, trial)) return BestKernel();
    int known = measuredKernel[user].load(std::memory_order_acquire);
    if (known == kNotMeasured) {
        known = MeasureFastestKernel(trial) + 1;
        measuredKernel[user].store(known, std::memory_order_release);
    }
    return static_cast<VectorKernel>(known - 1);
}

KernelChoice KernelChoiceOf(KernelUser user, KernelTrial trial) {
    if (forcedKernel.load(std::memory_order_acquire) >= 0) return kChoiceForced;
    return Measured(user, trial) ? kChoiceMeasured : kChoiceOnly;
}

const char* KernelChoiceName(KernelChoice choice) {
    switch (choice) {
        case kChoiceOnly: return "only";
        case kChoiceMeasured: return "measured";
        case kChoiceForced: return "forced";
    }
    return "?";
}

const char* KernelUserName(KernelUser user) {
    static const char* const kNames[kKernelUserCount] = {"splash", "plasma",     "phyllotaxis", "reaction-diffusion",
                                                         "zoom",   "buddhabrot", "compose"};
    return user >= 0 && user < kKernelUserCount ? kNames[user] : "?";
}

VectorKernel ActiveKernel() {
    const int forced = forcedKernel.load(std::memory_order_acquire);
    return forced >= 0 ? static_cast<VectorKernel>(forced) : BestKernel();
}

bool ForceKernel(VectorKernel kernel) {
    if (!KernelAvailable(kernel)) return false;
    forcedKernel.store(kernel, std::memory_order_release);
    return true;
}

void ResetKernel() { forcedKernel.store(-1, std::memory_order_release); }
