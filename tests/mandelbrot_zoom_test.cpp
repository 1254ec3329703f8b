#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "app/memory.h"
#include "modes/zoom/mandelbrot_zoom.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "modes/paths/kernel_choice.h"
#include "tests/test_support.h"

namespace {
// First k at which |z|^2 > 4 for the point p on the real axis, or limit + 1.
int EscapeCount(double p, int limit) {
    double zr = 0, zi = 0;
    for (int k = 1; k <= limit; ++k) {
        const double nr = zr * zr - zi * zi + p;
        zi = 2 * zr * zi;
        zr = nr;
        if (zr * zr + zi * zi > 4.0) return k;
    }
    return limit + 1;
}

// A point right of the cusp that escapes on exactly the k-th iteration: there the
// escape count falls as the point moves right, so bisect for where it reaches k.
double PointEscapingAt(int k, int limit) {
    double lo = 0.25, hi = 2.5;  // counts: never escapes, escapes at once
    for (int i = 0; i < 80; ++i) {
        const double mid = 0.5 * (lo + hi);
        (EscapeCount(mid, limit) > k ? lo : hi) = mid;
    }
    EXPECT_EQ(EscapeCount(hi, limit), k);
    return hi;
}

// A frame of the plain algorithm: every buffer cell iterated on its own, then the
// buffer enlarged onto a w x h Canvas.
std::vector<uint8_t> PlainFrame(int w, int h, double cx, double cy, double half) {
    const int bw = w / 2 < 320 ? 320 : w / 2, bh = h / 2 < 200 ? 200 : h / 2;
    const int limit = static_cast<int64_t>(w) * h <= 4000000 ? 192 : 128;
    const double d = half / (bh * 0.5);
    std::vector<uint8_t> buffer(static_cast<size_t>(bw) * bh);
    for (int row = 0; row < bh; ++row) {
        for (int col = 0; col < bw; ++col) {
            const double pi = (row - bh * 0.5) * d + cy, pr = (col - bw * 0.5) * d + cx;
            double zr = 0, zi = 0;
            int k = 0;
            while (k < limit) {
                const double nr = zr * zr - zi * zi + pr;
                zi = 2.0 * zr * zi + pi;
                zr = nr;
                ++k;
                if (zr * zr + zi * zi > 4.0) break;
            }
            buffer[static_cast<size_t>(row) * bw + col] = static_cast<uint8_t>(k == limit ? 0 : 1 + 254 * k / limit);
        }
    }
    std::vector<uint8_t> frame(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) frame[static_cast<size_t>(y) * w + x] = buffer[(y * bh / h) * bw + x * bw / w];
    return frame;
}

void SetView(double cx, double cy, double half) {
    art.zoomCentreX = cx;
    art.zoomCentreY = cy;
    art.zoomHalfHeight = half;
}
}  // namespace

TEST(MandelbrotZoom, BufferSizeAndIterationLimitFollowTheCanvas) {
    const int sizes[][5] = {{320, 200, 320, 200, 192},     {640, 400, 320, 200, 192},
                            {500, 300, 320, 200, 192},     {1920, 1080, 960, 540, 192},
                            {2000, 2000, 1000, 1000, 192}, {2001, 2000, 1000, 1000, 128},
                            {3840, 2160, 1920, 1080, 128}};
    for (const auto& s : sizes) {
        EXPECT_EQ(ZoomBufferWidth(s[0]), s[2]) << s[0];
        EXPECT_EQ(ZoomBufferHeight(s[1]), s[3]) << s[1];
        EXPECT_EQ(ZoomIterationLimit(s[0], s[1]), s[4]) << s[0] << "x" << s[1];
    }
    EXPECT_EQ(ZoomIterationLimit(46341, 46341), 128);  // area beyond 32 bits
}

TEST(MandelbrotZoom, IndexOfEscapeCounts) {
    for (int limit : {192, 128}) {
        EXPECT_EQ(ZoomPointIndex(2.5, 0.0, limit), 2);   // escapes at once
        EXPECT_EQ(ZoomPointIndex(-1.5, 1.5, limit), 2);
        EXPECT_EQ(ZoomPointIndex(0.0, 0.0, limit), 0);   // in the set
        EXPECT_EQ(ZoomPointIndex(-1.0, 0.0, limit), 0);
        EXPECT_EQ(ZoomPointIndex(PointEscapingAt(limit - 1, limit), 0.0, limit), 253);
        EXPECT_EQ(ZoomPointIndex(PointEscapingAt(limit, limit), 0.0, limit), 0);  // on the last one
        EXPECT_EQ(ZoomPointIndex(PointEscapingAt(limit / 2, limit), 0.0, limit), 128);
    }
    EXPECT_EQ(ZoomPointIndex(2.0, 0.0, 192), 3);  // |z1|^2 == 4 goes on, z2 escapes
}

TEST(MandelbrotZoom, FrameMatchesItsPointsAndShrinksTheView) {
    UseCanvas(320, 200, 808);
    SetView(-0.75, 0.1, 1.2);
    DrawMandelbrotZoom();
    EXPECT_EQ(art.bufferWidth, 320);
    EXPECT_EQ(art.bufferHeight, 200);
    ASSERT_NE(art.zoomBuffer, nullptr);
    EXPECT_EQ(std::memcmp(art.canvas, art.zoomBuffer, 320 * 200), 0);  // one to one
    EXPECT_EQ(art.zoomHalfHeight, 1.2 * 0.96);
    EXPECT_EQ(art.randomState, 808u);

    const double d = 1.2 / 100.0;
    for (int row = 0; row < 200; row += 13) {
        for (int col = 0; col < 320; col += 17) {
            const int expected = ZoomPointIndex((col - 160.0) * d - 0.75, (row - 100.0) * d + 0.1, 192);
            EXPECT_EQ(art.canvas[row * 320 + col], expected) << col << "," << row;
        }
    }
    const std::vector<bool> used = IndicesUsed();
    EXPECT_TRUE(used[0]);
    EXPECT_FALSE(used[1]);
    for (int i = 254; i < 256; ++i) EXPECT_FALSE(used[i]);

    // Later frames reuse the buffer.
    const long allocations = ArtAllocationCount();
    uint8_t* buffer = art.zoomBuffer;
    DrawMandelbrotZoom();
    EXPECT_EQ(ArtAllocationCount(), allocations);
    EXPECT_EQ(art.zoomBuffer, buffer);
    ReleaseTestState();
}

TEST(MandelbrotZoom, FramesMatchThePlainAlgorithm) {
    // 667 x 403 has a buffer of 333 x 201, whose rows do not divide into the groups of
    // points iterated together; 333 x 201 enlarges the smallest buffer unevenly. Views:
    // the whole set, a boundary at middle depth where neighbouring points escape far
    // apart, the deepest frame of a zoom, and one centred on 2 + 0i, where |z|^2 is
    // exactly 4 and goes on.
    const std::tuple<double, double, double> views[] = {
        {2.0, 0.0, 1.6}, {-0.5, 0.0, 1.6}, {-0.74543, 0.11301, 2e-6}, {-1.4011, 0.0, 1.03e-13}};
    for (int kernel = 0; kernel < kKernelCount; ++kernel) {
        if (!ForceKernel(static_cast<VectorKernel>(kernel))) continue;
        for (auto size : {std::pair{333, 201}, std::pair{667, 403}}) {
            for (const auto& [cx, cy, half] : views) {
                UseCanvas(size.first, size.second, 3);
                SetView(cx, cy, half);
                DrawMandelbrotZoom();
                ASSERT_EQ(CanvasCopy(), PlainFrame(size.first, size.second, cx, cy, half))
                    << size.first << "x" << size.second << " at " << cx << "," << cy << " half " << half << " kernel " << kernel;
            }
        }
    }
    ResetKernel();
    ReleaseTestState();
}

TEST(MandelbrotZoom, EnlargesTheBufferByNearestNeighbour) {
    for (auto size : {std::pair{640, 400}, std::pair{500, 300}}) {
        const int w = size.first, h = size.second;
        UseCanvas(w, h, 1);
        SetView(-0.5, 0.0, 1.5);
        DrawMandelbrotZoom();
        ASSERT_EQ(art.bufferWidth, 320);
        ASSERT_EQ(art.bufferHeight, 200);
        int mismatches = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                mismatches += art.canvas[y * w + x] != art.zoomBuffer[(y * 200 / h) * 320 + x * 320 / w];
            }
        }
        EXPECT_EQ(mismatches, 0) << w << "x" << h;
    }
    ReleaseTestState();
}

TEST(MandelbrotZoom, BufferOfAnotherSizeIsReplaced) {
    UseCanvas(320, 200, 1);
    art.zoomBuffer = static_cast<uint8_t*>(ArtAlloc(12));
    art.bufferWidth = 4;
    art.bufferHeight = 3;
    SetView(0.0, 0.0, 1.6);
    DrawMandelbrotZoom();
    EXPECT_EQ(art.bufferWidth, 320);
    EXPECT_EQ(art.bufferHeight, 200);
    EXPECT_EQ(std::memcmp(art.canvas, art.zoomBuffer, 320 * 200), 0);
    ReleaseTestState();
}

TEST(MandelbrotZoom, FrameAfterTheDepthLimitStartsAgainAtOnePointSix) {
    UseCanvas(320, 200, 4711);
    SelectMode(8);  // frame 1
    EXPECT_EQ(StepsBetween(4711, art.randomState, 10), 1);
    EXPECT_EQ(art.zoomHalfHeight, 1.6 * 0.96);
    for (int frame = 2; frame <= 744; ++frame) AdvanceZoom();  // frames 2..744, undrawn
    EXPECT_EQ(StepsBetween(4711, art.randomState, 10), 1);
    EXPECT_NEAR(art.zoomHalfHeight, 1.03e-13, 0.01e-13);  // frame 745 is drawn here

    const uint32_t before = art.randomState;
    DrawMandelbrotZoom();  // frame 745
    EXPECT_EQ(art.zoomHalfHeight, 1.6);  // frame 746
    EXPECT_EQ(art.randomState, XorShift(before));
    const ZoomPoint& target = ZoomTargets[art.randomState & 7];
    EXPECT_EQ(art.zoomCentreX, target.re);
    EXPECT_EQ(art.zoomCentreY, target.im);
    ReleaseTestState();
}

TEST(MandelbrotZoom, FailedBufferDrawsNothingForTheRestOfTheRun) {
    UseCanvas(640, 400, 99);
    std::memset(art.canvas, 9, 640 * 400);
    const std::vector<uint8_t> before = CanvasCopy();
    SetView(0.27, -0.004, 0.5);
    ArtFailAllocation(1);
    DrawMandelbrotZoom();
    EXPECT_EQ(art.zoomBuffer, nullptr);
    EXPECT_EQ(art.bufferWidth, 320);
    EXPECT_EQ(art.bufferHeight, 200);

    const long allocations = ArtAllocationCount();
    DrawMandelbrotZoom();
    EXPECT_EQ(ArtAllocationCount(), allocations);  // not retried on every frame
    EXPECT_EQ(CanvasCopy(), before);
    EXPECT_EQ(art.zoomCentreX, 0.27);
    EXPECT_EQ(art.zoomCentreY, -0.004);
    EXPECT_EQ(art.zoomHalfHeight, 0.5);
    EXPECT_EQ(art.randomState, 99u);
    ReleaseTestState();
}
