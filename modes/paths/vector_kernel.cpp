#include "modes/paths/vector_kernel.h"

#include <cstring>

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
