// Every buffer of the program comes from here, so that a failed allocation is a null
// pointer the caller handles, and tests can make any chosen allocation fail.
#pragma once
#include <cstddef>

// malloc: contents not initialised; null on failure.
void* ArtAlloc(size_t bytes);
// calloc: zero-filled; null on failure (also when count x size overflows).
void* ArtAllocZeroed(size_t count, size_t size);
// free; a null pointer is a no-op.
void ArtFree(void* block);

// Test switch: the nth allocation from now on (1 = the next one) returns null, once.
// 0 switches it off.
void ArtFailAllocation(int nth);
// How many allocations have been asked for since the program started; for tests.
long ArtAllocationCount();
// How many of them returned null (the test switch's included). Generators draw
// nothing when their scratch is refused, so a tool that must not hand out a blank
// picture compares this before and after drawing.
long ArtFailedAllocationCount();
