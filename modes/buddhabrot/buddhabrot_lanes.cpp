// The lane counting of the Buddhabrot. One width-generic body, compiled for 2, 4 and 8
// doubles per vector. Per block of samples:
//   1. draw the samples from 4 x lanes stretches of the stream at once (each stretch a
//      jump ahead of the previous one), drop those in the bulbs and those escaping at
//      z(1) or z(2) (which count at most the origin), and keep the rest as candidates;
//   2. iterate the candidates in stages of a few steps, only to find where they
//      escape; samples still inside after a stage go on to the next one; the first
//      stage lists the pixels of its own escapes (z(1), z(2)) at once;
//   3. once enough later escapes have gathered, sort them by escape index and trace
//      them again, now knowing how far, listing the pixels of z(1) .. z(e - 2);
//   4. raise the listed counters, fetching each a few dozen entries ahead.
// z(0) = 0 of every sample with e >= 2 lands on one pixel: it is counted once, at the end.
#include "modes/buddhabrot/buddhabrot_lanes.h"

#include <atomic>
#include <cstddef>
#include <cstring>

#include "modes/buddhabrot/buddhabrot_plane.h"
#include "modes/buddhabrot/lane_picking.h"
#include "modes/random_jump.h"
#include "modes/random_source.h"
#include "modes/workers.h"

namespace {
constexpr int kBlockSamples = 2048;
constexpr int kListCapacity = kBlockSamples + 64;  // room for the stray samples and padding
constexpr int kPrefetchAhead = 64;
constexpr int kPixelCapacity = 16384;
constexpr int kMostPointsPerSample = kOrbitLength - 1;
constexpr int kEscapeCapacity = 4 * kListCapacity;

// The lists of one block, reused; too large for the stack of every system. One set for
// the counting on one thread; each drawing thread has its own when they count together.
struct LaneLists {
    alignas(64) double sr[kListCapacity];  // candidates, then the samples still inside
    alignas(64) double si[kListCapacity];
    alignas(64) double zr[kListCapacity];
    alignas(64) double zi[kListCapacity];
    alignas(64) double escapeSr[kEscapeCapacity];  // samples escaping at z(e), e >= 3
    alignas(64) double escapeSi[kEscapeCapacity];
    alignas(64) double escapeAt[kEscapeCapacity];  // e, as a double
    alignas(64) double sortedSr[kEscapeCapacity + 64];  // the same, by escape index
    alignas(64) double sortedSi[kEscapeCapacity + 64];
    alignas(64) double sortedAt[kEscapeCapacity + 64];
    alignas(64) uint32_t pixel[kPixelCapacity + kPrefetchAhead];
};
LaneLists oneThreadLists;

// Where a picture's counting stands.
struct LaneRun {
    LaneHits hits;
    int64_t originHits;  // samples escaping at e >= 2: each counts z(0)
    int candidates;
    int escapes;
    int pixels;
    LaneLists* lists;
    // Null: the counts are raised in hits.counts. Else this thread's counters of one
    // byte each, which add 256 to hits.counts (the only access to it while threads
    // count, and atomic) each time they wrap.
    uint8_t* bytes;
};

// Escape stages: candidates are iterated from step kStageEnds[i - 1] + 1 to kStageEnds[i].
constexpr int kStageEnds[] = {4, 8, 16, 32, 64, 128, kOrbitLength};

void RaiseCounts(LaneRun& run) {
    LaneLists& lists = *run.lists;
    uint32_t* counts = run.hits.counts;
    const uint32_t* pixel = lists.pixel;
    const int n = run.pixels;
    for (int i = n; i < n + kPrefetchAhead; ++i) lists.pixel[i] = 0;
    if (uint8_t* bytes = run.bytes) {
        for (int i = 0; i < n; ++i) {
#if defined(__GNUC__) || defined(__clang__)
            __builtin_prefetch(bytes + pixel[i + kPrefetchAhead], 1);
#endif
            if (++bytes[pixel[i]] == 0) {
                std::atomic_ref<uint32_t>(counts[pixel[i]]).fetch_add(256, std::memory_order_relaxed);
            }
        }
        run.pixels = 0;
        return;
    }
    for (int i = 0; i < n; ++i) {
#if defined(__GNUC__) || defined(__clang__)
        __builtin_prefetch(counts + pixel[i + kPrefetchAhead], 1);
#endif
        ++counts[pixel[i]];
    }
    run.pixels = 0;
}

// Each copy of the body in a namespace of its own, so that a call finds only the
// helpers of its own copy.
namespace narrow {
#include "modes/buddhabrot/buddhabrot_lanes_body.h"
}  // namespace narrow
using narrow::CountHits;

// One counting: the arguments of CountHits.
struct CountingJob {
    const LaneHits* hits;
    int64_t samples;
    uint32_t* state;
    const XorShiftJump* stretchJump;
    LaneLists* lists;
    uint8_t* bytes;
};

#if HUEMIX_WIDE_KERNELS
HUEMIX_TARGET_AVX2 void CountHitsFourLanes(const CountingJob& job) {
    CountHits<4>(*job.hits, job.samples, job.state, job.stretchJump, job.lists, job.bytes);
}
HUEMIX_TARGET_AVX2 void CountHitsEightLanesAvx2(const CountingJob& job) {
    CountHits<8>(*job.hits, job.samples, job.state, job.stretchJump, job.lists, job.bytes);
}
#endif
}  // namespace

#if HUEMIX_WIDE_KERNELS && !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512dq,avx512vl")
namespace {
namespace wide512 {
#include "modes/buddhabrot/buddhabrot_lanes_body.h"
}  // namespace wide512
}  // namespace
#pragma GCC pop_options
#define HUEMIX_COUNT_HITS_512 wide512::CountHits<8>
#else
#define HUEMIX_COUNT_HITS_512 CountHits<8>
#endif

namespace {
#if HUEMIX_WIDE_KERNELS
HUEMIX_TARGET_AVX512 void CountHitsEightLanes(const CountingJob& job) {
    HUEMIX_COUNT_HITS_512(*job.hits, job.samples, job.state, job.stretchJump, job.lists, job.bytes);
}
#endif
void CountHitsTwoLanes(const CountingJob& job) {
    CountHits<2>(*job.hits, job.samples, job.state, job.stretchJump, job.lists, job.bytes);
}

int LanesOf(HitCounting counting) {
#if HUEMIX_WIDE_KERNELS
    switch (counting) {
        case kCountFourLanes: return 4;
        case kCountEightLanes:
        case kCountEightLanesAvx2: return 8;
        case kCountPlain:
        case kCountTwoLanes: break;
    }
#else
    (void)counting;
#endif
    return 2;
}

void Count(HitCounting counting, const CountingJob& job) {
    switch (counting) {
#if HUEMIX_WIDE_KERNELS
        case kCountFourLanes:
            CountHitsFourLanes(job);
            return;
        case kCountEightLanes:
            CountHitsEightLanes(job);
            return;
        case kCountEightLanesAvx2:
            CountHitsEightLanesAvx2(job);
            return;
#else
        case kCountFourLanes:
        case kCountEightLanes:
        case kCountEightLanesAvx2:
#endif
        case kCountPlain:
        case kCountTwoLanes:
            CountHitsTwoLanes(job);
            return;
    }
}

// Samples per stretch of the stream that one thread counts at a time: enough that
// the vector lanes run full, few enough that the threads share the work evenly.
constexpr int64_t kThreadStretchSamples = 1 << 16;
constexpr int kMostThreadStretches = 4096;

struct ThreadedCounting {
    HitCounting counting;
    const LaneHits* hits;
    int64_t samples;
    int64_t perStretch;
    const uint32_t* starts;  // state before each stretch
    XorShiftJump fullJump;   // over one lane stretch of a full stretch
    uint8_t* threadCounts;
    size_t countsPerThread;
    unsigned char* threadLists;
    uint32_t endState;  // after the last stretch
};

void CountStretches(void* context, int from, int to, int thread) {
    ThreadedCounting& job = *static_cast<ThreadedCounting*>(context);
    LaneLists* lists = reinterpret_cast<LaneLists*>(job.threadLists + static_cast<size_t>(thread) * sizeof(LaneLists));
    uint8_t* bytes = job.threadCounts + static_cast<size_t>(thread) * job.countsPerThread;
    for (int stretch = from; stretch < to; ++stretch) {
        const int64_t first = stretch * job.perStretch;
        const int64_t samples = job.samples - first < job.perStretch ? job.samples - first : job.perStretch;
        uint32_t state = job.starts[stretch];
        const bool full = samples == job.perStretch;
        Count(job.counting, CountingJob{job.hits, samples, &state, full ? &job.fullJump : nullptr, lists, bytes});
        if (first + samples == job.samples) job.endState = state;
    }
}
}  // namespace

HitCounting CountingFor(VectorKernel kernel) {
    switch (kernel) {
        case kKernelPlain:
            return kCountPlain;
        case kKernelSse2:
            return kCountTwoLanes;
        case kKernelAvx2:
            return kCountFourLanes;
        case kKernelAvx512:
            return kCountEightLanes;
    }
    return kCountPlain;
}

bool LanesCanCount(int width, int height, int64_t samples) {
    if (width <= 0 || height <= 0 || samples < 0) return false;
    if (static_cast<int64_t>(width) * height > INT32_MAX) return false;
    // z(0) and at most 198 more points per sample.
    return samples <= static_cast<int64_t>(UINT32_MAX / (kMostPointsPerSample + 1));
}

void CountHitsInLanes(HitCounting counting, const LaneHits& hits, int64_t samples, uint32_t* state) {
    Count(counting, CountingJob{&hits, samples, state, nullptr, &oneThreadLists, nullptr});
}

size_t LaneListBytes() { return sizeof(LaneLists); }

void CountHitsInLanesOnThreads(HitCounting counting, const LaneHits& hits, int64_t samples, uint32_t* state,
                               uint8_t* threadCounts, void* threadLists) {
    ThreadedCounting job;
    job.counting = counting;
    job.hits = &hits;
    job.samples = samples;
    job.perStretch = kThreadStretchSamples;
    if ((samples - 1) / job.perStretch + 1 > kMostThreadStretches) job.perStretch = (samples - 1) / kMostThreadStretches + 1;
    const int stretches = samples > 0 ? static_cast<int>((samples - 1) / job.perStretch + 1) : 0;
    uint32_t starts[kMostThreadStretches];
    const XorShiftJump stretchJump = XorShiftJumpOf(2 * static_cast<uint64_t>(job.perStretch));
    uint32_t x = *state;
    for (int i = 0; i < stretches; ++i) {
        starts[i] = x;
        x = ApplyJump(stretchJump, x);
    }
    job.starts = starts;
    job.fullJump = XorShiftJumpOf(2 * static_cast<uint64_t>(job.perStretch / (4 * LanesOf(counting))));
    job.threadCounts = threadCounts;
    job.countsPerThread = static_cast<size_t>(hits.width) * hits.height + kSpareCounters;
    const uintptr_t at = reinterpret_cast<uintptr_t>(threadLists);
    job.threadLists = static_cast<unsigned char*>(threadLists) + (alignof(LaneLists) - at % alignof(LaneLists)) % alignof(LaneLists);
    job.endState = *state;
    RunRows(CountStretches, &job, stretches, 1);
    *state = job.endState;
}

void BuddhabrotTrial(VectorKernel kernel) {
    // A plane large enough that its counters, like a picture's, do not all sit in the
    // nearest cache.
    constexpr int kWidth = 480;
    constexpr int kHeight = 270;
    // Enough samples that their orbits, not the lists' setting up, take most of the
    // time: at 512 the 256- and 512-bit paths timed alike on an AMD EPYC (family 25,
    // model 17) whose pictures the 512-bit one draws 1.15 times as fast.
    constexpr int64_t kSamples = 8192;
    // Counts add up over the trials, far below what a counter holds.
    static uint32_t counts[kWidth * kHeight + kSpareCounters];
    const LaneHits hits{counts, kWidth, kHeight, 4.4 / kWidth, 4.4 / kHeight};
    uint32_t state = 0x5EED1234u;
    CountHitsInLanes(CountingFor(kernel), hits, kSamples, &state);
}
