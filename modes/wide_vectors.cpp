#include "modes/wide_vectors.h"

namespace {
bool wideVectorsAllowed = true;

bool ProcessorHasAvx2() {
#if HUEMIX_WIDE_VECTORS
    // The check also asks the system whether it saves the 256-bit registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}
}  // namespace

bool UseWideVectors() {
    static const bool available = ProcessorHasAvx2();
    return available && wideVectorsAllowed;
}

void AllowWideVectors(bool allowed) { wideVectorsAllowed = allowed; }
