#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "modes/zoom/mandelbrot_zoom.h"
#include "modes/modes.h"
#include "modes/paths/kernel_choice.h"
#include "tests/test_support.h"

namespace {
std::vector<uint8_t> Cells(int w, int h, int limit, double half, double cx, double cy, ZoomCellPath path) {
    std::vector<uint8_t> cells(static_cast<size_t>(w) * h, 0xAA);
    const ZoomCells view{cells.data(), w, h, limit, half / (h * 0.5), cx, cy};
    RenderZoomCells(view, path);
    return cells;
}

// Half-height of frame n of a zoom, multiplied down as the frames do it.
double HalfHeightOfFrame(int n) {
    double half = 1.6;
    for (int i = 1; i < n; ++i) half *= 0.96;
    return half;
}

struct View {
    double cx, cy, half;
};

struct ZoomSnapshot {
    std::vector<uint8_t> canvas;
    uint32_t randomState;
    double cx, cy, half;
};
}  // namespace

TEST(ZoomCellPaths, PathsAreAvailableWhereTheProcessorRunsThem) {
    EXPECT_TRUE(ZoomCellPathAvailable(kZoomCellsPlain));
    EXPECT_EQ(ZoomCellPathAvailable(kZoomCellsSse2), KernelAvailable(kKernelSse2));
    EXPECT_EQ(ZoomCellPathAvailable(kZoomCellsAvx2), KernelAvailable(kKernelAvx2));
    EXPECT_EQ(ZoomCellPathAvailable(kZoomCellsAvx512), KernelAvailable(kKernelAvx512));
    EXPECT_EQ(ZoomCellPathAvailable(kZoomCellsAvx512OnAvx2), KernelAvailable(kKernelAvx2));
    EXPECT_EQ(ZoomCellPathOf(kKernelPlain), kZoomCellsPlain);
    EXPECT_EQ(ZoomCellPathOf(kKernelSse2), kZoomCellsSse2);
    EXPECT_EQ(ZoomCellPathOf(kKernelAvx2), kZoomCellsAvx2);
    EXPECT_EQ(ZoomCellPathOf(kKernelAvx512), kZoomCellsAvx512);
}

TEST(ZoomCellPaths, EveryPathGivesThePlainCells) {
    // Frames along the zooms towards targets 0 and 2 (the deep ones included), and views
    // that stress the counting: points farther than 2 from the origin that may come back
    // inside after escaping, |z|^2 exactly 4 at 2 + 0i, a view wholly inside the set, one
    // wholly outside, and the cusp, where neighbours escape far apart.
    std::vector<View> views = {{2.0, 0.0, 1.6},   {-0.75, 0.0, 2.5}, {-0.1, 0.0, 0.1},
                               {10.0, 10.0, 1.0}, {0.25, 0.0, 1e-3}, {-0.74543, 0.11301, 2e-6}};
    for (int target : {0, 2}) {
        for (int frame : {1, 2, 40, 200, 400, 600, 745}) {
            views.push_back({ZoomTargets[target].re, ZoomTargets[target].im, HalfHeightOfFrame(frame)});
        }
    }
    // 333 x 201 is the buffer of a 667 x 403 Canvas; the small ones have rows that end
    // inside a vector, and fewer cells than the paths iterate at once.
    const std::pair<int, int> sizes[] = {{333, 201}, {37, 3}, {13, 1}, {1, 1}};
    for (const View& v : views) {
        for (auto [w, h] : sizes) {
            for (int limit : {192, 128}) {
                if (w * h > 1000 && limit != 192) continue;  // keeps the suite quick
                const std::vector<uint8_t> plain = Cells(w, h, limit, v.half, v.cx, v.cy, kZoomCellsPlain);
                for (int path = kZoomCellsSse2; path < kZoomCellPathCount; ++path) {
                    if (!ZoomCellPathAvailable(static_cast<ZoomCellPath>(path))) continue;
                    ASSERT_EQ(Cells(w, h, limit, v.half, v.cx, v.cy, static_cast<ZoomCellPath>(path)), plain)
                        << "path " << path << ", " << w << "x" << h << ", limit " << limit << ", view "
                        << v.cx << "," << v.cy << " half " << v.half;
                }
            }
        }
    }
}

TEST(ZoomCellPaths, AnyLimitGivesThePlainCells) {
    // Limits that are no multiple of the iterations run between looks at a group, the
    // highest the vector paths take, and one above it (left to the plain loop).
    for (int limit : {1, 2, 7, 13, 128, 191, 255, 256, 300}) {
        for (const View& v : {View{-0.75, 0.0, 1.6}, View{-0.7435, 0.1314, 2e-4}}) {
            const std::vector<uint8_t> plain = Cells(77, 45, limit, v.half, v.cx, v.cy, kZoomCellsPlain);
            for (int path = kZoomCellsSse2; path < kZoomCellPathCount; ++path) {
                if (!ZoomCellPathAvailable(static_cast<ZoomCellPath>(path))) continue;
                ASSERT_EQ(Cells(77, 45, limit, v.half, v.cx, v.cy, static_cast<ZoomCellPath>(path)), plain)
                    << "path " << path << ", limit " << limit << ", half " << v.half;
            }
        }
    }
}

TEST(MandelbrotZoom, EveryKernelDrawsTheSameZoom) {
    // One zoom drawn with each code path: the first frames, frames at middle depth, and
    // the deepest ones through the start of the next zoom, whose target comes from the
    // random source. 667 x 403 has a 333 x 201 buffer enlarged by a factor that is not
    // whole.
    const int drawn[] = {1, 2, 3, 150, 151, 400, 401, 700, 743, 744, 745, 746, 747};
    std::vector<ZoomSnapshot> reference;
    for (int kernel = 0; kernel < kKernelCount; ++kernel) {
        if (!ForceKernel(static_cast<VectorKernel>(kernel))) continue;
        UseCanvas(667, 403, 20261208);
        SelectMode(8);
        int frame = 1;
        size_t shot = 0;
        for (int next : drawn) {
            while (frame < next - 1) {
                AdvanceZoom();
                ++frame;
            }
            if (next > 1) {
                DrawMandelbrotZoom();
                ++frame;
            }
            ZoomSnapshot now{CanvasCopy(), art.randomState, art.zoomCentreX, art.zoomCentreY, art.zoomHalfHeight};
            if (kernel == kKernelPlain) {
                reference.push_back(now);
            } else {
                const ZoomSnapshot& plain = reference[shot];
                ASSERT_EQ(now.canvas, plain.canvas) << "frame " << next << ", kernel " << KernelName(static_cast<VectorKernel>(kernel));
                EXPECT_EQ(now.randomState, plain.randomState) << next;
                EXPECT_EQ(now.cx, plain.cx) << next;
                EXPECT_EQ(now.cy, plain.cy) << next;
                EXPECT_EQ(now.half, plain.half) << next;
            }
            ++shot;
        }
        EXPECT_EQ(art.zoomHalfHeight, 1.6 * 0.96 * 0.96);  // frame 747 is the second of the next zoom
    }
    ResetKernel();
    ReleaseTestState();
}
