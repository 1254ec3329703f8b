#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "app/memory.h"
#include "modes/buddhabrot/buddhabrot.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "modes/random_jump.h"
#include "modes/paths/kernel_choice.h"
#include "modes/workers.h"
#include "modes/random_source.h"
#include "tests/test_support.h"

namespace {
// Counters of a 320 x 200 Canvas for CountSampleOrbit.
struct TestCounts {
    std::vector<int32_t> counts = std::vector<int32_t>(320 * 200, 0);
    HitCounts hits{counts.data(), 320, 200, 4.4 / 320, 4.4 / 200, 1};
    long Total() const {
        long total = 0;
        for (int32_t c : counts) total += c;
        return total;
    }
};

// First k (1..limit) with |z(k)|^2 > 4 for the real sample p, or limit + 1.
int EscapeIndex(double p, int limit) {
    double z = 0;
    for (int k = 1; k <= limit; ++k) {
        z = z * z + p;
        if (z * z > 4.0) return k;
    }
    return limit + 1;
}

// A real sample right of the cusp whose first escaping point is z(k); the escape
// index falls as the sample moves right, so bisect for it.
double SampleEscapingAt(int k) {
    double lo = 0.25, hi = 2.5;
    for (int i = 0; i < 80; ++i) {
        const double mid = 0.5 * (lo + hi);
        (EscapeIndex(mid, 300) > k ? lo : hi) = mid;
    }
    EXPECT_EQ(EscapeIndex(hi, 300), k);
    return hi;
}

// The picture from the same stream, written out plainly: one sample at a time.
std::vector<uint8_t> ReferencePicture(uint32_t seed, int samples, int w, int h) {
    std::vector<int32_t> counts(static_cast<size_t>(w) * h, 0);
    int32_t most = 1;
    uint32_t s = seed;
    auto unit = [&s] {
        s = XorShift(s);
        return (s & 0xFFFFFF) / 16777216.0;
    };
    for (int i = 0; i < samples; ++i) {
        const double sr = unit() * 4 - 2;
        const double si = unit() * 4 - 2;
        const double q = (sr - 0.25) * (sr - 0.25) + si * si;
        if (0.25 * si * si > q * (q + (sr - 0.25))) continue;
        if ((sr + 1) * (sr + 1) + si * si < 0.0625) continue;
        std::vector<double> re{0.0}, im{0.0};
        int e = 0;
        for (int k = 1; k <= 200 && e == 0; ++k) {
            const double zr = re.back() * re.back() - im.back() * im.back() + sr;
            const double zi = 2 * re.back() * im.back() + si;
            if (zr * zr + zi * zi > 4.0) e = k;
            re.push_back(zr);
            im.push_back(zi);
        }
        for (int k = 0; k <= e - 2; ++k) {
            const int col = static_cast<int>((re[k] + 2.2) / (4.4 / w));
            const int row = static_cast<int>((im[k] + 2.2) / (4.4 / h));
            int32_t& c = counts[static_cast<size_t>(row) * w + col];
            if (++c > most) most = c;
        }
    }
    std::vector<uint8_t> picture(counts.size(), 0);
    for (size_t i = 0; i < counts.size(); ++i) {
        if (counts[i] == 0) continue;
        const int index = static_cast<int>(std::log(counts[i] + 1.0) * (254.0 / std::log(most + 1.0))) + 1;
        picture[i] = static_cast<uint8_t>(index > 255 ? 255 : index);
    }
    return picture;
}
}  // namespace

TEST(Buddhabrot, SampleCountGrowsWithDetailAndIsCapped) {
    EXPECT_EQ(BuddhabrotSampleCount(ComputeScales(320, 200).detailScale), 2000000);
    EXPECT_EQ(BuddhabrotSampleCount(ComputeScales(1280, 800).detailScale), 8000000);
    EXPECT_EQ(BuddhabrotSampleCount(ComputeScales(1920, 1080).detailScale), 11384199);
    EXPECT_EQ(BuddhabrotSampleCount(ComputeScales(1920, 1200).detailScale), 12000000);
    EXPECT_EQ(BuddhabrotSampleCount(ComputeScales(7680, 4320).detailScale), 12000000);
}

TEST(Buddhabrot, BulbsAreRejectedWithoutIteration) {
    EXPECT_TRUE(InBuddhabrotBulbs(0.0, 0.0));
    EXPECT_TRUE(InBuddhabrotBulbs(-1.0, 0.0));
    EXPECT_TRUE(InBuddhabrotBulbs(-0.5, 0.5));
    EXPECT_TRUE(InBuddhabrotBulbs(-1.2, 0.1));
    EXPECT_FALSE(InBuddhabrotBulbs(0.26, 0.0));
    EXPECT_FALSE(InBuddhabrotBulbs(-1.3, 0.0));  // bounded, but in a smaller bulb
    EXPECT_FALSE(InBuddhabrotBulbs(-0.75, 0.2));
    EXPECT_FALSE(InBuddhabrotBulbs(1.9, 1.9));
}

TEST(Buddhabrot, OrbitCountsLeaveOutTheLastTwoPoints) {
    UseCanvas(320, 200);
    ASSERT_TRUE(EnsureOrbitBuffers());
    {
        TestCounts t;  // 1.5, 3.75: z(2) escapes, only z(0) is counted
        EXPECT_EQ(CountSampleOrbit(1.5, 0.0, t.hits), 1);
        EXPECT_EQ(t.counts[100 * 320 + 160], 1);
        EXPECT_EQ(t.Total(), 1);
    }
    {
        TestCounts t;
        EXPECT_EQ(CountSampleOrbit(1.9, -1.7, t.hits), 0);  // escapes at z(1)
        EXPECT_EQ(CountSampleOrbit(0.0, 0.0, t.hits), 0);
        EXPECT_EQ(CountSampleOrbit(-1.0, 0.0, t.hits), 0);
        EXPECT_EQ(CountSampleOrbit(-1.3, 0.0, t.hits), 0);             // bounded
        EXPECT_EQ(CountSampleOrbit(SampleEscapingAt(201), 0.0, t.hits), 0);  // z(200) still inside
        EXPECT_EQ(t.Total(), 0);
        EXPECT_EQ(t.hits.maximum, 1);
    }
    {
        TestCounts t;
        EXPECT_EQ(CountSampleOrbit(SampleEscapingAt(200), 0.0, t.hits), 199);
        EXPECT_EQ(t.Total(), 199);
        EXPECT_GT(t.hits.maximum, 1);  // a slow orbit lingers near 0.5 + 0i
        long onTheAxis = 0;  // a real orbit stays on the middle row
        for (int x = 0; x < 320; ++x) onTheAxis += t.counts[100 * 320 + x];
        EXPECT_EQ(onTheAxis, 199);
    }
    {
        TestCounts t;  // z(1) = 1.2i, z(2) = -1.44 + 1.2i, z(3) escapes
        EXPECT_EQ(CountSampleOrbit(0.0, 1.2, t.hits), 2);
        EXPECT_EQ(t.counts[100 * 320 + 160], 1);
        EXPECT_EQ(t.counts[static_cast<int>(3.4 / (4.4 / 200)) * 320 + 160], 1);
    }
    ReleaseTestState();
}

TEST(Buddhabrot, PictureMatchesAPlainComputation) {
    UseCanvas(320, 200, 0xB0DD4);
    RenderBuddhabrot(30000);
    EXPECT_EQ(StepsBetween(0xB0DD4, art.randomState, 100000), 60000);
    EXPECT_EQ(CanvasCopy(), ReferencePicture(0xB0DD4, 30000, 320, 200));
    // Other seeds and sizes, 333 x 201 with pixels that are not square; sample counts
    // below and around the length of the increment queue.
    for (auto c : {std::tuple{333, 201, 7u, 40000}, std::tuple{333, 201, 0xFEEDu, 25}, std::tuple{512, 384, 99u, 1},
                   std::tuple{512, 384, 12345u, 20000}}) {
        const auto [w, h, seed, samples] = c;
        UseCanvas(w, h, seed);
        RenderBuddhabrot(samples);
        EXPECT_EQ(StepsBetween(seed, art.randomState, 100000), 2 * samples);
        EXPECT_EQ(CanvasCopy(), ReferencePicture(seed, samples, w, h)) << w << "x" << h << " " << samples;
    }
    ReleaseTestState();
}

// The only full picture of this file: 2,000,000 samples at the smallest size.
TEST(Buddhabrot, FullPictureTakesTwoDrawsPerSampleAndPeaksAtTheOrigin) {
    UseCanvas(320, 200, 31);
    std::memset(art.canvas, 200, 320 * 200);
    DrawBuddhabrot();
    EXPECT_EQ(StepsBetween(31, art.randomState, 5000000), 4000000);
    EXPECT_GE(art.canvas[100 * 320 + 160], 254);
    const std::vector<bool> used = IndicesUsed();
    EXPECT_TRUE(used[0]);  // the canvas was cleared: corners are never visited
    EXPECT_EQ(art.canvas[0], 0);
    int brightest = 0;
    for (size_t i = 0; i < 320 * 200; ++i) brightest = std::max<int>(brightest, art.canvas[i]);
    EXPECT_EQ(brightest, art.canvas[100 * 320 + 160]);
    ReleaseTestState();
}

TEST(Buddhabrot, OrbitBuffersAreKeptForTheRun) {
    UseCanvas(320, 200, 5);
    RenderBuddhabrot(10);
    ASSERT_EQ(art.orbitCapacity, kOrbitLength);
    const double* re = art.orbitRe;
    const double* im = art.orbitIm;
    const long allocations = ArtAllocationCount();
    RenderBuddhabrot(10);
    // Only the counters, and with several threads their bytes and lists.
    EXPECT_EQ(ArtAllocationCount(), allocations + (DrawingThreadCount() > 1 ? 3 : 1));
    EXPECT_EQ(art.orbitRe, re);
    EXPECT_EQ(art.orbitIm, im);
    ReleaseTestState();
}

TEST(Buddhabrot, FailedAllocationLeavesCanvasAndRandomStreamAlone) {
    // 1: the counters, 2 and 3: the two orbit arrays of a first call, or with several
    // threads their byte counters and lists first.
    for (int failing = 1; failing <= (DrawingThreadCount() > 1 ? 5 : 3); ++failing) {
        UseCanvas(320, 200, 8080);
        std::memset(art.canvas, 42, 320 * 200);
        const std::vector<uint8_t> before = CanvasCopy();
        ArtFailAllocation(failing);
        SelectMode(9);
        EXPECT_EQ(CanvasCopy(), before) << failing;
        EXPECT_EQ(art.randomState, 8080u) << failing;
        EXPECT_EQ(art.currentMode, 9) << failing;
        EXPECT_EQ(art.orbitRe, nullptr) << failing;
        EXPECT_EQ(art.orbitIm, nullptr) << failing;
        EXPECT_EQ(art.orbitCapacity, 0) << failing;

        RenderBuddhabrot(100);  // the next call gets its buffers and draws
        EXPECT_EQ(art.orbitCapacity, kOrbitLength) << failing;
        EXPECT_EQ(StepsBetween(8080, art.randomState, 1000), 200) << failing;
    }
    ReleaseTestState();
}

namespace {
// What a picture leaves behind: the Canvas, the random state and the orbit buffers.
struct PictureState {
    std::vector<uint8_t> canvas;
    uint32_t randomState;
    int32_t orbitCapacity;
    std::vector<double> orbitRe;
    std::vector<double> orbitIm;
};

PictureState DrawWith(HitCounting counting, int w, int h, uint32_t seed, int64_t samples) {
    UseCanvas(w, h, seed);
    std::memset(art.canvas, 77, static_cast<size_t>(art.canvasWidth) * art.canvasHeight);
    // Orbit positions that no sample reaches keep what was there before.
    EXPECT_TRUE(EnsureOrbitBuffers());
    for (int k = 0; k < kOrbitLength; ++k) art.orbitRe[k] = art.orbitIm[k] = -9.0 - k;
    RenderBuddhabrotCounting(counting, samples);
    PictureState s{CanvasCopy(), art.randomState, art.orbitCapacity, {}, {}};
    if (art.orbitRe) s.orbitRe.assign(art.orbitRe, art.orbitRe + kOrbitLength);
    if (art.orbitIm) s.orbitIm.assign(art.orbitIm, art.orbitIm + kOrbitLength);
    return s;
}

// Every lane counting this processor can run.
std::vector<HitCounting> LaneCountings() {
    std::vector<HitCounting> countings{kCountTwoLanes};
    if (KernelAvailable(kKernelAvx2)) countings.push_back(kCountFourLanes);
    if (KernelAvailable(kKernelAvx2)) countings.push_back(kCountEightLanesAvx2);
    if (KernelAvailable(kKernelAvx512)) countings.push_back(kCountEightLanes);
    return countings;
}

void ExpectSamePicture(const PictureState& a, const PictureState& b, const char* what) {
    EXPECT_EQ(a.randomState, b.randomState) << what;
    EXPECT_EQ(a.orbitCapacity, b.orbitCapacity) << what;
    EXPECT_EQ(a.orbitRe, b.orbitRe) << what;
    EXPECT_EQ(a.orbitIm, b.orbitIm) << what;
    EXPECT_TRUE(a.canvas == b.canvas) << what;
}
}  // namespace

TEST(BuddhabrotLanes, JumpsAndStepsBackFollowTheStream) {
    for (uint64_t n : {0ull, 1ull, 2ull, 37ull, 1000ull, 65536ull}) {
        uint32_t x = 0xC0FFEE;
        for (uint64_t i = 0; i < n; ++i) x = XorShift(x);
        EXPECT_EQ(ApplyJump(XorShiftJumpOf(n), 0xC0FFEE), x) << n;
    }
    for (uint32_t x : {1u, 0xC0FFEEu, 0x80000000u, 0xFFFFFFFFu, 123456789u}) {
        EXPECT_EQ(XorShiftBack(XorShift(x)), x);
        EXPECT_EQ(XorShift(XorShiftBack(x)), x);
    }
}

// Sizes whose widths are no multiple of a vector, sample counts below the number of
// stretches (only left-overs), around a block and past several gatherings of escapes.
TEST(BuddhabrotLanes, EveryCountingGivesThePlainPictureStateAndOrbits) {
    const std::tuple<int, int, uint32_t, int64_t> cases[] = {
        {320, 200, 1u, 0},          {321, 203, 2u, 1},         {333, 201, 3u, 7},
        {327, 200, 4u, 31},         {320, 211, 5u, 33},        {401, 299, 0xB0DD4u, 2047},
        {339, 207, 0xFEEDu, 4100},  {320, 200, 99u, 33000},    {517, 389, 0xDEADBEEFu, 61001},
        {353, 241, 0x12345u, 90013},
    };
    for (const auto& [w, h, seed, samples] : cases) {
        const PictureState plain = DrawWith(kCountPlain, w, h, seed, samples);
        EXPECT_EQ(StepsBetween(seed, plain.randomState, 200000), 2 * samples);
        for (HitCounting counting : LaneCountings()) {
            const std::string what = std::to_string(counting) + " at " + std::to_string(w) + "x" +
                                     std::to_string(h) + ", " + std::to_string(samples) + " samples";
            ExpectSamePicture(DrawWith(counting, w, h, seed, samples), plain, what.c_str());
        }
    }
    ReleaseTestState();
}

// A full picture: counts far beyond the colour table, the origin above a million.
TEST(BuddhabrotLanes, FullPictureOfEveryCodePathIsThePlainOne) {
    const PictureState plain = DrawWith(kCountPlain, 320, 200, 2024, BuddhabrotSampleCount(1.0));
    for (HitCounting counting : LaneCountings()) {
        ExpectSamePicture(DrawWith(counting, 320, 200, 2024, BuddhabrotSampleCount(1.0)), plain,
                          std::to_string(counting).c_str());
    }
    for (int k = kKernelSse2; k < kKernelCount; ++k) {  // DrawBuddhabrot picks the path's counting
        if (!ForceKernel(static_cast<VectorKernel>(k))) continue;
        UseCanvas(320, 200, 2024);
        DrawBuddhabrot();
        EXPECT_TRUE(CanvasCopy() == plain.canvas) << KernelName(static_cast<VectorKernel>(k));
        EXPECT_EQ(art.randomState, plain.randomState);
    }
    ResetKernel();
    ReleaseTestState();
}

TEST(BuddhabrotLanes, CountingsFollowTheCodePathAndFallBackWhenCountersCouldOverflow) {
    EXPECT_EQ(CountingFor(kKernelPlain), kCountPlain);
    EXPECT_EQ(CountingFor(kKernelSse2), kCountTwoLanes);
    EXPECT_EQ(CountingFor(kKernelAvx2), kCountFourLanes);
    EXPECT_EQ(CountingFor(kKernelAvx512), kCountEightLanes);
    EXPECT_TRUE(LanesCanCount(7680, 4320, 12000000));
    EXPECT_FALSE(LanesCanCount(320, 200, 30000000));  // 199 x 30,000,000 > 2^32
    EXPECT_FALSE(LanesCanCount(65536, 65536, 10));
}
