#include "app/memory.h"

#include <cstdlib>

namespace {
int failCountdown = 0;
long allocationCount = 0;
long failedCount = 0;

// True when this allocation is the one the test switch asked to fail.
bool FailThisOne() {
    ++allocationCount;
    if (failCountdown <= 0) return false;
    return --failCountdown == 0;
}

// Counts a null result, whether the test switch or the heap refused.
void* Counted(void* block) {
    if (!block) ++failedCount;
    return block;
}
}  // namespace

void* ArtAlloc(size_t bytes) {
    if (FailThisOne()) return Counted(nullptr);
    return Counted(std::malloc(bytes == 0 ? 1 : bytes));
}

void* ArtAllocZeroed(size_t count, size_t size) {
    if (FailThisOne()) return Counted(nullptr);
    if (count == 0 || size == 0) return Counted(std::calloc(1, 1));
    return Counted(std::calloc(count, size));
}

void ArtFree(void* block) { std::free(block); }

void ArtFailAllocation(int nth) { failCountdown = nth > 0 ? nth : 0; }

long ArtAllocationCount() { return allocationCount; }

long ArtFailedAllocationCount() { return failedCount; }
