// The threaded modes give exactly the one-thread outcome, for any number of threads:
// the Canvas, the random state and the state a mode keeps between pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/art_state.h"
#include "modes/buddhabrot/buddhabrot.h"
#include "modes/modes.h"
#include "modes/reaction/reaction_bands.h"
#include "modes/reaction/reaction_diffusion.h"
#include "modes/mode_trials.h"
#include "modes/workers.h"
#include "tests/test_support.h"

namespace {
constexpr int kThreadCounts[] = {2, 3, 4, 7, 16};

struct Outcome {
    std::vector<uint8_t> canvas;
    uint32_t randomState;
    double zoomView[3];
    std::vector<uint8_t> zoomBuffer;
    std::vector<double> orbits;

    bool operator==(const Outcome& other) const {
        return canvas == other.canvas && randomState == other.randomState &&
               std::memcmp(zoomView, other.zoomView, sizeof zoomView) == 0 && zoomBuffer == other.zoomBuffer &&
               orbits == other.orbits;
    }
};

Outcome Take() {
    Outcome outcome;
    outcome.canvas = CanvasCopy();
    outcome.randomState = art.randomState;
    outcome.zoomView[0] = art.zoomCentreX;
    outcome.zoomView[1] = art.zoomCentreY;
    outcome.zoomView[2] = art.zoomHalfHeight;
    if (art.zoomBuffer) {
        outcome.zoomBuffer.assign(art.zoomBuffer, art.zoomBuffer + static_cast<size_t>(art.bufferWidth) * art.bufferHeight);
    }
    if (art.orbitRe) {
        outcome.orbits.assign(art.orbitRe, art.orbitRe + art.orbitCapacity);
        outcome.orbits.insert(outcome.orbits.end(), art.orbitIm, art.orbitIm + art.orbitCapacity);
    }
    return outcome;
}

// A fresh Canvas holding an earlier picture, as in the program, drawn on `threads`.
template <class Draw>
Outcome DrawOn(int threads, int w, int h, uint32_t seed, Draw draw) {
    UseCanvas(w, h, seed);
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) art.canvas[i] = static_cast<uint8_t>(i * 7);
    art.drawingThreads = threads;
    draw();
    Outcome outcome = Take();
    ReleaseTestState();
    return outcome;
}

// Every code path at the smallest and an odd size, the best path at a larger size.
template <class Draw>
void ExpectSameOnAnyThreads(const char* name, Draw draw, const std::vector<uint32_t>& seeds) {
    const int sizes[][2] = {{320, 200}, {333, 217}, {1001, 603}};
    for (int k = kKernelPlain; k < kKernelCount; ++k) {
        const VectorKernel kernel = static_cast<VectorKernel>(k);
        if (!KernelAvailable(kernel)) continue;
        for (const auto& size : sizes) {
            if (size[0] > 400 && kernel != BestKernel()) continue;
            for (uint32_t seed : seeds) {
                ForceKernel(kernel);
                const Outcome one = DrawOn(1, size[0], size[1], seed, draw);
                for (int threads : kThreadCounts) {
                    ForceKernel(kernel);
                    EXPECT_TRUE(DrawOn(threads, size[0], size[1], seed, draw) == one)
                        << name << " on " << KernelName(kernel) << " at " << size[0] << "x" << size[1] << ", seed "
                        << seed << ", " << threads << " threads";
                }
            }
        }
    }
    ResetKernel();
}
}  // namespace

TEST(ThreadedModes, PlasmaAsOnOneThread) { ExpectSameOnAnyThreads("plasma", DrawPlasma, {1, 0xBADCAFE}); }

TEST(ThreadedModes, VoronoiAsOnOneThread) { ExpectSameOnAnyThreads("voronoi", DrawVoronoi, {9, 0x5EED}); }

TEST(ThreadedModes, ZoomFramesAsOnOneThread) {
    // A fresh zoom and frames deeper in, each drawn from the previous one.
    auto zoom = [] {
        SelectMode(8);
        for (int frame = 0; frame < 3; ++frame) DrawMandelbrotZoom();
        art.zoomHalfHeight = 2e-10;
        DrawMandelbrotZoom();
    };
    ExpectSameOnAnyThreads("zoom", zoom, {5, 0x1234567});
}

TEST(ThreadedModes, BuddhabrotAsOnOneThread) {
    // Fewer samples than a picture at most sizes, so that every path and thread count
    // stays quick; the full picture at the smallest size.
    ExpectSameOnAnyThreads("buddhabrot", [] { RenderBuddhabrot(300000); }, {3, 0xFEEDBEEF});
    ExpectSameOnAnyThreads("buddhabrot", [] { if (art.canvasWidth == 320) DrawBuddhabrot(); }, {11});
}

TEST(ThreadedModes, ReactionBandsStepAsOneThread) {
    // Grids from the smallest to a few rows per band, odd widths for the vector tails,
    // and step counts that end on a part of a pass.
    const int grids[][2] = {{3, 3}, {4, 5}, {37, 9}, {61, 40}, {203, 151}, {300, 31}};
    const ReactionRowFunction row = ReactionRowFor(KernelOfUser(kUserReaction));
    for (const auto& grid : grids) {
        const int gw = grid[0];
        const int gh = grid[1];
        const size_t cells = static_cast<size_t>(gw) * gh;
        std::vector<float> u(cells, 1.0f), v(cells, 0.0f);
        for (int cy = 0; cy < gh; cy += 7) SeedReactionDisc(u.data(), v.data(), gw, gh, (cy * 13) % gw, cy, 3);
        for (int steps : {1, 2, 5, 11}) {
            std::vector<float> u1 = u, v1 = v, su(cells), sv(cells);
            ReactionStepsWith(row, u1.data(), v1.data(), su.data(), sv.data(), gw, gh, steps, 0.029f, 0.086f);
            for (int threads : kThreadCounts) {
                art.drawingThreads = threads;
                std::vector<float> ut = u, vt = v, tu(cells), tv(cells);
                std::vector<float> bandRows(ReactionBandFloats(gw) * DrawingThreadCount());
                // With the stretch summaries: the grid far from the discs rests, and is copied.
                std::vector<uint8_t> summaries(ReactionSummaryBytes(gw, gh, DrawingThreadCount()));
                ReactionStepsInBands(row, ut.data(), vt.data(), tu.data(), tv.data(), gw, gh, steps, 0.029f, 0.086f,
                                     bandRows.data(), summaries.data());
                EXPECT_EQ(std::memcmp(ut.data(), u1.data(), cells * sizeof(float)), 0)
                    << gw << "x" << gh << ", " << steps << " steps, " << threads << " threads";
                EXPECT_EQ(std::memcmp(vt.data(), v1.data(), cells * sizeof(float)), 0)
                    << gw << "x" << gh << ", " << steps << " steps, " << threads << " threads";
            }
        }
    }
    ResetArtState();
}

TEST(ThreadedModes, ReactionDiffusionAsOnOneThread) {
    const Outcome one = DrawOn(1, 320, 200, 21, DrawReactionDiffusion);
    for (int threads : kThreadCounts) {
        EXPECT_TRUE(DrawOn(threads, 320, 200, 21, DrawReactionDiffusion) == one) << threads << " threads";
    }
}
