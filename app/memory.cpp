#include "app/memory.h"

#include <cstdlib>

namespace {
int failCountdown = 0;
bool failFromThenOn = false;
long allocationCount = 0;
long failedCount = 0;
long liveBlocks = 0;

// True when this allocation is one the test switches ask to fail.
bool FailThisOne() {
    ++allocationCount;
    if (failCountdown <= 0) return false;
    if (failCountdown == 1) {
        if (!failFromThenOn) failCountdown = 0;
        return true;
    }
    --failCountdown;
    return false;
}

// Counts a null result, whether the test switch or the heap refused, and a block
// handed out.
void* Counted(void* block) {
    if (block) {
        ++liveBlocks;
    } else {
        ++failedCount;
    }
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

void ArtFree(void* block) {
    if (!block) return;
    --liveBlocks;
    std::free(block);
}

void ArtFailAllocation(int nth) {
    failCountdown = nth > 0 ? nth : 0;
    failFromThenOn = false;
}

void ArtFailAllocationsFrom(int nth) {
    failCountdown = nth > 0 ? nth : 0;
    failFromThenOn = failCountdown > 0;
}

long ArtAllocationCount() { return allocationCount; }

long ArtFailedAllocationCount() { return failedCount; }

long ArtLiveBlockCount() { return liveBlocks; }
