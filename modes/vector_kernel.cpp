#include "modes/vector_kernel.h"

#include <atomic>
#include <cstring>

#include "modes/kernel_choice.h"

namespace {
const char* const kKernelNames[kKernelCount] = {"plain", "sse2", "avx2", "avx512"};

bool ProcessorSupports(VectorKernel kernel) {
    switch (kernel) {
        case kKernelPlain:
            return true;
#if HUEMIX_VECTOR_KERNELS && !HUEMIX_WIDE_KERNELS
        // WebAssembly's vectors: 128 bits wide, there wherever the module loaded.
        case kKernelSse2:
            return true;
        case kKernelAvx2:
        case kKernelAvx512:
            return false;
#elif HUEMIX_VECTOR_KERNELS
        // __builtin_cpu_supports also asks whether the system saves the wide registers.
        case kKernelSse2:
            return true;  // part of x86-64 itself
        case kKernelAvx2:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2");
        case kKernelAvx512:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                   __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
#else
        case kKernelSse2:
        case kKernelAvx2:
        case kKernelAvx512:
            return false;
#endif
    }
    return false;
}

VectorKernel FindBestKernel() {
    for (int k = kKernelCount - 1; k > kKernelPlain; --k) {
        if (ProcessorSupports(static_cast<VectorKernel>(k))) return static_cast<VectorKernel>(k);
    }
    return kKernelPlain;
}

struct AvailablePaths {
    bool available[kKernelCount];
};

AvailablePaths FindAvailablePaths() {
    AvailablePaths paths;
    for (int k = 0; k < kKernelCount; ++k) paths.available[k] = ProcessorSupports(static_cast<VectorKernel>(k));
    return paths;
}

// The drawing threads ask which paths there are while the calling thread may change
// the forced path between pictures, and a user's path is measured once: all of it is
// shared between threads.
std::atomic<int> forcedKernel{-1};  // -1: none forced
std::atomic<int> measuredKernel[kKernelUserCount] = {};
constexpr int kNotMeasured = 0;  // stored as the path + 1
}  // namespace

bool KernelAvailable(VectorKernel kernel) {
    if (kernel < kKernelPlain || kernel >= kKernelCount) return false;
    // Found once for every path; the first thread to ask makes it while the others wait.
    static const AvailablePaths paths = FindAvailablePaths();
    return paths.available[kernel];
}

VectorKernel BestKernel() {
    static const VectorKernel best = FindBestKernel();
    return best;
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

KernelChoice KernelChoiceOf(KernelUser user) {
    if (forcedKernel.load(std::memory_order_acquire) >= 0) return kChoiceForced;
    if (user < 0 || user >= kKernelUserCount || !KernelTrialFor(user)) return kChoiceOnly;
    int wide = 0;
    for (int k = kKernelSse2; k < kKernelCount; ++k) wide += KernelAvailable(static_cast<VectorKernel>(k));
    return wide > 1 ? kChoiceMeasured : kChoiceOnly;
}

VectorKernel KernelFor(KernelUser user) {
    const int forced = forcedKernel.load(std::memory_order_acquire);
    if (forced >= 0) return static_cast<VectorKernel>(forced);
    if (user < 0 || user >= kKernelUserCount || !KernelTrialFor(user)) return BestKernel();
    int known = measuredKernel[user].load(std::memory_order_acquire);
    if (known == kNotMeasured) {
        known = MeasureFastestKernel(KernelTrialFor(user)) + 1;
        measuredKernel[user].store(known, std::memory_order_release);
    }
    return static_cast<VectorKernel>(known - 1);
}

const char* KernelUserName(KernelUser user) {
    static const char* const kNames[kKernelUserCount] = {"splash", "plasma",     "phyllotaxis", "reaction-diffusion",
                                                         "zoom",   "buddhabrot", "compose"};
    return user >= 0 && user < kKernelUserCount ? kNames[user] : "?";
}

const char* KernelChoiceName(KernelChoice choice) {
    switch (choice) {
        case kChoiceOnly: return "only";
        case kChoiceMeasured: return "measured";
        case kChoiceForced: return "forced";
    }
    return "?";
}

const char* KernelName(VectorKernel kernel) {
    if (kernel < kKernelPlain || kernel >= kKernelCount) return "?";
    return kKernelNames[kernel];
}

bool ParseKernelName(const char* text, VectorKernel* kernel) {
    if (text == nullptr) return false;
    for (int k = 0; k < kKernelCount; ++k) {
        if (std::strcmp(text, kKernelNames[k]) == 0) {
            *kernel = static_cast<VectorKernel>(k);
            return true;
        }
    }
    return false;
}
