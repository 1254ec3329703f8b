#include "modes/vector_kernel.h"

#include <cstring>

#include "modes/processor.h"

namespace {
const char* const kKernelNames[kKernelCount] = {"plain", "sse2", "avx2", "avx512"};

bool ProcessorSupports(VectorKernel kernel) {
    switch (kernel) {
        case kKernelPlain:
            return true;
#if HUEMIX_VECTOR_KERNELS
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

bool kernelForced = false;
VectorKernel forcedKernel = kKernelPlain;
}  // namespace

bool KernelAvailable(VectorKernel kernel) {
    if (kernel < kKernelPlain || kernel >= kKernelCount) return false;
    static bool known[kKernelCount];
    static bool available[kKernelCount];
    if (!known[kernel]) {
        available[kernel] = ProcessorSupports(kernel);
        known[kernel] = true;
    }
    return available[kernel];
}

VectorKernel BestKernel() {
    static const VectorKernel best = FindBestKernel();
    return best;
}

VectorKernel ActiveKernel() { return kernelForced ? forcedKernel : BestKernel(); }

bool ForceKernel(VectorKernel kernel) {
    if (!KernelAvailable(kernel)) return false;
    kernelForced = true;
    forcedKernel = kernel;
    return true;
}

void ResetKernel() { kernelForced = false; }

VectorKernel DefaultKernelFor(KernelUser user, VectorKernel best, bool intel) {
    if (best != kKernelAvx512) return best;
    // Measured on an Intel Xeon (family 6 model 167): the 512-bit loops win for the zoom,
    // the reaction rows and the Buddhabrot; the plasma runs faster on the 256-bit path
    // (see docs/performance.md).
    const bool wideWins = user == kUserZoom || user == kUserReaction || user == kUserBuddhabrot;
    return intel && wideWins ? kKernelAvx512 : kKernelAvx2;
}

VectorKernel KernelFor(KernelUser user) {
    if (kernelForced) return forcedKernel;
    static VectorKernel chosen[kKernelUserCount];
    static bool known[kKernelUserCount];
    if (user < 0 || user >= kKernelUserCount) return BestKernel();
    if (!known[user]) {
        chosen[user] = DefaultKernelFor(user, BestKernel(), ProcessorMakerOf() == kMakerIntel);
        known[user] = true;
    }
    return chosen[user];
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
