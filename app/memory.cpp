#include "app/memory.h"

#include <cstdlib>

namespace {
int failCountdown = 0;
long allocationCount = 0;

// True when this allocation is the one the test switch asked to fail.
bool FailThisOne() {
    ++allocationCount;
    if (failCountdown <= 0) return false;
    return --failCountdown == 0;
}
}  // namespace

void* ArtAlloc(size_t bytes) {
    if (FailThisOne()) return nullptr;
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void* ArtAllocZeroed(size_t count, size_t size) {
    if (FailThisOne()) return nullptr;
    if (count == 0 || size == 0) return std::calloc(1, 1);
    return std::calloc(count, size);
}

void ArtFree(void* block) { std::free(block); }

void ArtFailAllocation(int nth) { failCountdown = nth > 0 ? nth : 0; }

long ArtAllocationCount() { return allocationCount; }
