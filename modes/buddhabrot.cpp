// Mode 9: the density of escaping Mandelbrot orbits. Random points are iterated and
// every pixel their escaping orbits pass through is counted; the counts, on a
// logarithmic scale, become the picture over a still background of index 0.
#include "modes/buddhabrot.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/modes.h"
#include "modes/random_source.h"

namespace {
constexpr double kPlaneHalfSize = 2.2;  // the Canvas shows -2.2..2.2 on both axes

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

bool InBuddhabrotBulbs(double sr, double si) {
    const double t = sr - 0.25;
    const double q = t * t + si * si;
    if (0.25 * si * si > q * (q + t)) return true;
    return (sr + 1.0) * (sr + 1.0) + si * si < 0.0625;
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
// Increments wait in a short queue before they are made: the counter array is far
// larger than the cache and orbits land all over it, so each counter is fetched ahead
// when its point is queued and raised a few dozen points later. The final counts and
// their maximum do not depend on the order of the increments.
constexpr unsigned kQueueLength = 32;  // a power of two
constexpr size_t kNoPixel = SIZE_MAX;

struct CountQueue {
    size_t pixel[kQueueLength];
    unsigned slot;
};

inline void RaiseCount(HitCounts& hits, int32_t& maximum, size_t pixel) {
    int32_t& count = hits.counts[pixel];
    if (count < INT32_MAX) ++count;
    if (count > maximum) maximum = count;
}

inline void QueueCount(HitCounts& hits, int32_t& maximum, CountQueue& queue, size_t pixel) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(hits.counts + pixel, 1);
#endif
    const size_t due = queue.pixel[queue.slot];
    queue.pixel[queue.slot] = pixel;
    queue.slot = (queue.slot + 1) & (kQueueLength - 1);
    if (due != kNoPixel) RaiseCount(hits, maximum, due);
}

// CountSampleOrbit with its increments queued; the arithmetic is the same.
inline void QueueSampleOrbit(double sr, double si, HitCounts& hits, int32_t& maximum,
                             CountQueue& queue) {
    if (InBuddhabrotBulbs(sr, si)) return;
    double* re = art.orbitRe;
    double* im = art.orbitIm;
    const int escape = TraceOrbit(sr, si, re, im);
    for (int k = 0; k + 2 <= escape; ++k) {
        const double fx = (re[k] + kPlaneHalfSize) / hits.dx;
        const double fy = (im[k] + kPlaneHalfSize) / hits.dy;
        if (!(fx > -1.0 && fx < hits.width && fy > -1.0 && fy < hits.height)) continue;
        QueueCount(hits, maximum, queue,
                   static_cast<size_t>(static_cast<int>(fy)) * hits.width + static_cast<int>(fx));
    }
}
}  // namespace

void RenderBuddhabrot(int64_t samples) {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    HitCounts hits;
    hits.counts = static_cast<int32_t*>(ArtAllocZeroed(static_cast<size_t>(w) * h, sizeof(int32_t)));
    if (!hits.counts) return;
    if (!EnsureOrbitBuffers()) {
        ArtFree(hits.counts);
        return;
    }
    hits.width = w;
    hits.height = h;
    hits.dx = 4.4 / w;
    hits.dy = 4.4 / h;

    int32_t maximum = 1;  // a local: the counters cannot overwrite it
    CountQueue queue;
    for (size_t& pixel : queue.pixel) pixel = kNoPixel;
    queue.slot = 0;
    uint32_t state = art.randomState;  // the same stream as RandomUnit, kept in a register
    for (int64_t i = 0; i < samples; ++i) {
        // Two draws per sample, whether it is iterated or not.
        state = XorShift(state);
        const double sr = (state & 0xFFFFFFu) * (1.0 / 16777216.0) * 4.0 - 2.0;
        state = XorShift(state);
        const double si = (state & 0xFFFFFFu) * (1.0 / 16777216.0) * 4.0 - 2.0;
        QueueSampleOrbit(sr, si, hits, maximum, queue);
    }
    art.randomState = state;
    for (size_t pixel : queue.pixel) {
        if (pixel != kNoPixel) RaiseCount(hits, maximum, pixel);
    }
    hits.maximum = maximum;

    PaintCounts(hits);
    ArtFree(hits.counts);
}

void DrawBuddhabrot() { RenderBuddhabrot(BuddhabrotSampleCount(art.detailScale)); }
