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
// 0 switches it off, and also the lasting switch below.
void ArtFailAllocation(int nth);
// Test switch, as if the heap ran dry: the nth allocation from now on and every later
// one return null, until ArtFailAllocation(0) or ArtFailAllocationsFrom(0).
void ArtFailAllocationsFrom(int nth);
// How many allocations have been asked for since the program started; for tests.
long ArtAllocationCount();
// How many of them returned null (the test switch's included). Generators draw
// nothing when their scratch is refused, so a tool that must not hand out a blank
// picture compares this before and after drawing.
long ArtFailedAllocationCount();
// How many blocks have been handed out and not freed yet; a test compares it before
// and after an operation to find a leak without a leak checker.
long ArtLiveBlockCount();
