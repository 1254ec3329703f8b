// Buddhabrot counting with several samples side by side in vector lanes. The counts
// are those of the plain loop exactly: every sample takes its own two numbers of the
// stream, every lane does the plain loop's IEEE operations in the same order, and
// since a count is a sum of increments, the order in which samples are done does not
// matter.
#pragma once
#include <cstddef>
#include <cstdint>

#include "modes/paths/vector_kernel.h"

// How the hits of a picture are counted.
enum HitCounting {
    kCountPlain,            // the plain loop, one sample at a time
    kCountTwoLanes,         // 128-bit vectors (sse2)
    kCountFourLanes,        // 256-bit vectors (avx2)
    kCountEightLanes,       // 512-bit vectors (avx512)
    kCountEightLanesAvx2,   // the 512-bit body on the avx2 target, so that it can be tested anywhere
};

// The counting of a code path.
HitCounting CountingFor(VectorKernel kernel);

// True when the lanes can count this picture: each counter must stay below 2^32 and
// each pixel number below 2^31 (far beyond the sizes and sample counts in use).
bool LanesCanCount(int width, int height, int64_t samples);

// Counters past the Canvas's that the lanes raise where they have nothing to count.
constexpr int kSpareCounters = 8;

// The counters and the plane-to-pixel mapping of the lane counting.
struct LaneHits {
    uint32_t* counts;  // width x height + kSpareCounters, zero-filled by the caller
    int width;
    int height;
    double dx;
    double dy;
};

// Counts the hits of the given number of samples, taking their numbers from *state
// and leaving it after the last one. Counts are not capped; the caller caps them.
void CountHitsInLanes(HitCounting counting, const LaneHits& hits, int64_t samples, uint32_t* state);

// Bytes of the lists one thread counts in.
size_t LaneListBytes();

// CountHitsInLanes on the drawing threads (at most DrawingThreadCount() of them): the
// samples in stretches of the stream, each started from its state found by the jump
// ahead and counted by whichever thread claims it. Thread t raises counters of one byte
// each, threadCounts + t x (width x height + kSpareCounters), zero-filled by the caller,
// and adds 256 to hits.counts whenever one of them wraps; the caller adds what the
// bytes hold afterwards. threadLists holds LaneListBytes() for each thread and 64 bytes
// more, of which it takes a start aligned for the widest vectors.
void CountHitsInLanesOnThreads(HitCounting counting, const LaneHits& hits, int64_t samples, uint32_t* state,
                               uint8_t* threadCounts, void* threadLists);

// The hits of some thousands of samples on a plane of a quarter of full HD, on the given
// path: the piece of work the path choice times.
void BuddhabrotTrial(VectorKernel kernel);
