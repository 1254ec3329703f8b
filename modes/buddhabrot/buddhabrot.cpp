// Mode 9: the density of escaping Mandelbrot orbits. Random points are iterated and
// every pixel their escaping orbits pass through is counted; the counts, on a
// logarithmic scale, become the picture over a still background of index 0.
//
// The files of this folder:
//   buddhabrot             the mode: the plain counting and the picture (this file);
//   buddhabrot_plane       the part of the plane shown and the bulbs skipped;
//   buddhabrot_lanes       counting several samples side by side, on the threads;
//   buddhabrot_lanes_body  the width-generic body of that counting;
//   lane_picking.h         packing the lanes that escaped into a list.
// The lanes give the plain loop's counts exactly: each sample takes its own numbers of
// the random stream and the plain loop's operations, and a count is a sum of ones,
// which no order changes. The tests compare every path with the plain counting.
#include "modes/buddhabrot/buddhabrot.h"

#include "modes/buddhabrot/buddhabrot_lanes.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/modes.h"
#include "modes/random_jump.h"
#include "modes/random_source.h"
#include "modes/paths/kernel_choice.h"
#include "modes/workers.h"

namespace {

// Logarithmic colour of the counts; unvisited pixels stay at index 0.
void PaintCounts(const HitCounts& hits) {
    const size_t n = static_cast<size_t>(hits.width) * hits.height;
    std::memset(art.canvas, 0, n);
    const double scale = 254.0 / std::log(hits.maximum + 1.0);
    for (size_t i = 0; i < n; ++i) {
        if (hits.counts[i] == 0) continue;
        const int index = static_cast<int>(std::log(hits.counts[i] + 1.0) * scale) + 1;
        art.canvas[i] = static_cast<uint8_t>(index > 255 ? 255 : index);
    }
}
}  // namespace

bool EnsureOrbitBuffers() {
    if (art.orbitCapacity >= kOrbitLength) return true;
    ArtFree(art.orbitRe);
    ArtFree(art.orbitIm);
    art.orbitRe = static_cast<double*>(ArtAlloc(kOrbitLength * sizeof(double)));
    art.orbitIm = static_cast<double*>(ArtAlloc(kOrbitLength * sizeof(double)));
    if (!art.orbitRe || !art.orbitIm) {
        ArtFree(art.orbitRe);
        ArtFree(art.orbitIm);
        art.orbitRe = nullptr;
        art.orbitIm = nullptr;
        art.orbitCapacity = 0;
        return false;
    }
    art.orbitCapacity = kOrbitLength;
    return true;
}

int64_t BuddhabrotSampleCount(double detailScale) {
    const double samples = detailScale * 2000000.0;
    return samples >= 12000000.0 ? 12000000 : static_cast<int64_t>(samples);
}

// Stores z(0), z(1), ... of the orbit of s until the first point beyond modulus 2 and
// returns its index e (1..200), or 0 when none of z(1)..z(200) escapes.
static inline int TraceOrbit(double sr, double si, double* re, double* im) {
    double zr = 0.0;
    double zi = 0.0;
    for (int k = 0; k < kOrbitLength; ++k) {
        re[k] = zr;
        im[k] = zi;
        const double nr = zr * zr - zi * zi + sr;
        const double ni = 2.0 * zr * zi + si;
        zr = nr;
        zi = ni;
        if (zr * zr + zi * zi > 4.0) return k + 1;
    }
    return 0;
}

int CountSampleOrbit(double sr, double si, HitCounts& hits) {
    if (InBuddhabrotBulbs(sr, si)) return 0;
    double* re = art.orbitRe;
    double* im = art.orbitIm;
    const int escape = TraceOrbit(sr, si, re, im);
    // The escaping point and the one just before it are left out; z(0) is counted.
    int counted = 0;
    for (int k = 0; k + 2 <= escape; ++k) {
        const double fx = (re[k] + kPlaneHalfSize) / hits.dx;
        const double fy = (im[k] + kPlaneHalfSize) / hits.dy;
        // Truncation toward zero lands inside exactly for -1 < f < size.
        if (!(fx > -1.0 && fx < hits.width && fy > -1.0 && fy < hits.height)) continue;
        int32_t& count = hits.counts[static_cast<size_t>(static_cast<int>(fy)) * hits.width +
                                     static_cast<int>(fx)];
        if (count < INT32_MAX) ++count;
        if (count > hits.maximum) hits.maximum = count;
        ++counted;
    }
    return counted;
}

namespace {
// The literal loop: one sample at a time, straight from the stream.
void CountPlainly(HitCounts& hits, int64_t samples) {
    for (int64_t i = 0; i < samples; ++i) {
        const double sr = RandomUnit() * 4.0 - 2.0;
        const double si = RandomUnit() * 4.0 - 2.0;
        CountSampleOrbit(sr, si, hits);
    }
}

// PaintCounts for the lane counting, whose counters are not capped: the colour of
// each count value up to a bound comes from a table filled with the very same
// expression, so a count value costs one logarithm however many pixels have it.
constexpr uint32_t kColourTableLength = 4096;

uint8_t CountColour(int32_t count, double scale) {
    const int index = static_cast<int>(std::log(count + 1.0) * scale) + 1;
    return static_cast<uint8_t>(index > 255 ? 255 : index);
}

// The colours of an uncapped count picture, rows at a time on the drawing threads.
struct UncappedPicture {
    uint32_t* counts;  // width x height, and after them each thread's byte counters
    const uint8_t* threadCounts;
    int threads;
    size_t countsPerThread;
    int width;
    std::atomic<uint32_t> most;
    double scale;
    uint32_t known;  // count values below this have their colour in the table
    uint8_t colour[kColourTableLength];
};

// Adds each thread's byte counters into the counts of rows from .. to - 1 and takes
// their largest count.
void AddThreadCounts(void* context, int from, int to, int) {
    UncappedPicture& picture = *static_cast<UncappedPicture*>(context);
    const size_t begin = static_cast<size_t>(from) * picture.width;
    const size_t end = static_cast<size_t>(to) * picture.width;
    uint32_t most = 0;
    for (int t = 0; t < picture.threads; ++t) {
        const uint8_t* bytes = picture.threadCounts + static_cast<size_t>(t) * picture.countsPerThread;
        for (size_t i = begin; i < end; ++i) picture.counts[i] += bytes[i];
    }
    for (size_t i = begin; i < end; ++i) most = picture.counts[i] > most ? picture.counts[i] : most;
    uint32_t seen = picture.most.load(std::memory_order_relaxed);
    while (most > seen && !picture.most.compare_exchange_weak(seen, most, std::memory_order_relaxed)) {
    }
}

void PaintUncappedRows(void* context, int from, int to, int) {
    const UncappedPicture& picture = *static_cast<const UncappedPicture*>(context);
    const size_t end = static_cast<size_t>(to) * picture.width;
    for (size_t i = static_cast<size_t>(from) * picture.width; i < end; ++i) {
        const uint32_t c = picture.counts[i];
        if (c < picture.known) {
            art.canvas[i] = picture.colour[c];
        } else {
            art.canvas[i] = CountColour(c > INT32_MAX ? INT32_MAX : static_cast<int32_t>(c), picture.scale);
        }
    }
}

constexpr int kPaintRowsPerPiece = 16;

// Colours the counts; with several threads' byte counters, adds those in first.
void PaintUncappedCounts(UncappedPicture& picture, int height) {
    if (picture.threads > 0) {
        RunRows(AddThreadCounts, &picture, height, kPaintRowsPerPiece);
    } else {
        const size_t n = static_cast<size_t>(picture.width) * height;
        uint32_t most = 0;
        for (size_t i = 0; i < n; ++i) most = picture.counts[i] > most ? picture.counts[i] : most;
        picture.most.store(most, std::memory_order_relaxed);
    }
    const uint32_t most = picture.most.load(std::memory_order_relaxed) > 1 ? picture.most.load(std::memory_order_relaxed) : 1;
    const int32_t maximum = most > INT32_MAX ? INT32_MAX : static_cast<int32_t>(most);
    picture.scale = 254.0 / std::log(maximum + 1.0);
    picture.known = most < kColourTableLength ? most + 1 : kColourTableLength;
    picture.colour[0] = 0;
    for (uint32_t c = 1; c < picture.known; ++c) picture.colour[c] = CountColour(static_cast<int32_t>(c), picture.scale);
    RunRows(PaintUncappedRows, &picture, height, kPaintRowsPerPiece);
}

// The orbit buffers as the plain loop leaves them: each position holds the point of
// the last sample whose orbit reached it. The stream is walked back from its end,
// sample by sample, until every position is known (an orbit that never escapes, about
// one sample in a hundred, fills them all).
void RestoreLastOrbits(uint32_t end, int64_t samples) {
    double re[kOrbitLength];
    double im[kOrbitLength];
    int known = 0;
    uint32_t x = end;
    for (int64_t i = samples - 1; i >= 0 && known < kOrbitLength; --i) {
        const double si = (x & 0xFFFFFFu) * (1.0 / 16777216.0) * 4.0 - 2.0;
        x = XorShiftBack(x);
        const double sr = (x & 0xFFFFFFu) * (1.0 / 16777216.0) * 4.0 - 2.0;
        x = XorShiftBack(x);
        if (InBuddhabrotBulbs(sr, si)) continue;
        const int escape = TraceOrbit(sr, si, re, im);
        const int reached = escape == 0 ? kOrbitLength : escape;
        for (; known < reached; ++known) {
            art.orbitRe[known] = re[known];
            art.orbitIm[known] = im[known];
        }
    }
}
}  // namespace

void RenderBuddhabrotCounting(HitCounting counting, int64_t samples) {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    const bool lanes = counting != kCountPlain && LanesCanCount(w, h, samples);
    const size_t countsPerThread = static_cast<size_t>(w) * h + kSpareCounters;
    void* counts = ArtAllocZeroed(static_cast<size_t>(w) * h + (lanes ? kSpareCounters : 0), sizeof(int32_t));
    if (!counts) return;
    // Several threads count in bytes of their own, a quarter of the memory of the
    // counters themselves, and spill into those every 256 counts.
    const int threads = lanes ? DrawingThreadCount() : 1;
    uint8_t* threadCounts = nullptr;
    void* threadLists = nullptr;
    if (threads > 1) {
        threadCounts = static_cast<uint8_t*>(ArtAllocZeroed(threads * countsPerThread, 1));
        threadLists = ArtAlloc(threads * LaneListBytes() + 64);
    }
    if ((threads > 1 && (!threadCounts || !threadLists)) || !EnsureOrbitBuffers()) {
        ArtFree(threadLists);
        ArtFree(threadCounts);
        ArtFree(counts);
        return;
    }
    const double dx = 4.4 / w;
    const double dy = 4.4 / h;
    if (lanes) {
        const LaneHits hits{static_cast<uint32_t*>(counts), w, h, dx, dy};
        uint32_t state = art.randomState;
        if (threads > 1) {
            CountHitsInLanesOnThreads(counting, hits, samples, &state, threadCounts, threadLists);
        } else {
            CountHitsInLanes(counting, hits, samples, &state);
        }
        art.randomState = state;
        RestoreLastOrbits(state, samples);
        UncappedPicture picture{hits.counts, threadCounts, threads > 1 ? threads : 0, countsPerThread, w, {0}, 0.0, 0, {}};
        PaintUncappedCounts(picture, h);
    } else {
        HitCounts hits{static_cast<int32_t*>(counts), w, h, dx, dy, 1};
        CountPlainly(hits, samples);
        PaintCounts(hits);
    }
    ArtFree(threadLists);
    ArtFree(threadCounts);
    ArtFree(counts);
}

void RenderBuddhabrot(int64_t samples) { RenderBuddhabrotCounting(CountingFor(KernelFor(kUserBuddhabrot, BuddhabrotTrial)), samples); }

void DrawBuddhabrot() { RenderBuddhabrot(BuddhabrotSampleCount(art.detailScale)); }
