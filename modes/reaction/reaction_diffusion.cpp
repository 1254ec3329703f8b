// Mode 5: a Gray-Scott pattern grown from random discs on a grid of a third of the
// Canvas resolution, then stretched over the whole Canvas.
//
// The files of this folder:
//   reaction_diffusion  the mode: seeding, the time steps, the picture (this file);
//   reaction_bands      the time steps on the drawing threads, the grid in bands;
//   reaction_rows       one row loop of a time step per code path;
//   reaction_lanes.h    those loops' vector body, free of subnormal numbers.
// Every path and every number of threads gives the plain loop's bits: each cell is
// computed by the same IEEE operations in the same order, the vector loops keep V
// scaled by an exact power of two, and bands only split the work, never a sum. The
// tests compare every path and thread count with the plain, single-threaded loop.
#include "modes/reaction/reaction_diffusion.h"

#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "modes/reaction/reaction_bands.h"
#include "modes/reaction/reaction_rows.h"
#include "modes/paths/kernel_choice.h"
#include "modes/workers.h"

const ReactionParam ReactionParams[6] = {
    {0.0367, 0.0649}, {0.029, 0.057}, {0.025, 0.06},
    {0.014, 0.054},   {0.039, 0.058}, {0.046, 0.063},
};

namespace {
int Clamp(int value, int lo, int hi) { return value < lo ? lo : (value > hi ? hi : value); }

// Steps fused into one pass over the grid. A step done grid by grid is held back by
// moving the grids through memory; in a pass the intermediate rows stay in the cache.
constexpr int kFusedSteps = 8;

// `levels` (at least 2) steps in one pass down the grid, from (u, v) back into (u, v).
// Step j computes row i - j + 1 while step 1 computes row i, so every row it needs of
// step j - 1 is ready; the rows of steps 1 to levels - 1 live in rings of three rows
// each in (ringU, ringV), and the last step writes straight into (u, v), over a row
// that step 1 has read for the last time. The border rows and columns never change,
// so they are read from (u, v) and copied into the ring rows. Each row's stretch
// summaries go alongside it, in gridKept and ringKept (both null: none kept).
void FusedPass(float* u, float* v, float* ringU, float* ringV, uint8_t* gridKept, uint8_t* ringKept, int gw,
               int gh, int levels, float feed, float feedPlusKill, ReactionRowFunction stepRow) {
    static_assert((kFusedSteps - 1) * 3 <= kReactionRingRows);
    const size_t stretches = ReactionStretches(gw);
    auto ringIndex = [](int level, int row) { return static_cast<size_t>((level - 1) * 3 + row % 3); };
    // Row `row` of the state after `level` of this pass's steps, and its summaries.
    auto onGrid = [gh](int level, int row) { return level == 0 || row == 0 || row == gh - 1; };
    // The rings are laid out on cache lines where the scratch grids have room for that.
    size_t ringStride = ReactionRingStride(gw);
    if (static_cast<size_t>(levels - 1) * 3 * ringStride + 15 <= static_cast<size_t>(gw) * gh) {
        ringU = ReactionRingStart(ringU);
        ringV = ReactionRingStart(ringV);
    } else {
        ringStride = gw;
    }
    auto stateRow = [&](float* grid, float* ring, int level, int row) {
        return onGrid(level, row) ? grid + static_cast<size_t>(row) * gw : ring + ringIndex(level, row) * ringStride;
    };
    auto keptRow = [&](int level, int row) {
        return onGrid(level, row) ? gridKept + row * stretches : ringKept + ringIndex(level, row) * stretches;
    };
    for (int i = 1; i < gh - 1 + levels - 1; ++i) {
        for (int level = 1; level <= levels; ++level) {
            const int row = i - level + 1;
            if (row < 1 || row > gh - 2) continue;
            float* outU = u + static_cast<size_t>(row) * gw;
            float* outV = v + static_cast<size_t>(row) * gw;
            if (level < levels) {
                outU = stateRow(u, ringU, level, row);
                outV = stateRow(v, ringV, level, row);
                const float* borderU = u + static_cast<size_t>(row) * gw;
                const float* borderV = v + static_cast<size_t>(row) * gw;
                outU[0] = borderU[0];
                outU[gw - 1] = borderU[gw - 1];
                outV[0] = borderV[0];
                outV[gw - 1] = borderV[gw - 1];
            }
            const ReactionKeep keep{keptRow(level - 1, row - 1), keptRow(level - 1, row), keptRow(level - 1, row + 1),
                                    level < levels ? keptRow(level, row) : gridKept + row * stretches,
                                    level == 1};
            stepRow(stateRow(u, ringU, level - 1, row - 1), stateRow(u, ringU, level - 1, row),
                    stateRow(u, ringU, level - 1, row + 1), stateRow(v, ringV, level - 1, row - 1),
                    stateRow(v, ringV, level - 1, row), stateRow(v, ringV, level - 1, row + 1),
                    outU, outV, gw, feed, feedPlusKill, gridKept ? &keep : nullptr);
        }
    }
}

// `steps` time steps with V held as stepRow holds it.
void StepsAsHeld(ReactionRowFunction stepRow, float* u, float* v, float* scratchU, float* scratchV, int gw, int gh,
                 int steps, float feed, float feedPlusKill, uint8_t* summaries);

// Nearest-neighbour stretch of the final V grid over the whole Canvas.
void MapToCanvas(const float* v, int gw, int gh) {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    for (int y = 0; y < h; ++y) {
        const int gy = Clamp(static_cast<int>(static_cast<int64_t>(y) * gh / h), 0, gh - 1);
        const float* src = v + static_cast<size_t>(gy) * gw;
        uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            const int gx = Clamp(static_cast<int>(static_cast<int64_t>(x) * gw / w), 0, gw - 1);
            row[x] = static_cast<uint8_t>(ReactionIndex(src[gx]));
        }
    }
}
}  // namespace

int ReactionGridWidth(int canvasWidth) { return Clamp(canvasWidth / 3, 200, 600); }

int ReactionGridHeight(int canvasHeight) { return Clamp(canvasHeight / 3, 150, 400); }

void SeedReactionDisc(float* u, float* v, int gw, int gh, int cx, int cy, int r) {
    for (int dy = -r; dy <= r; ++dy) {
        const int row = cy + dy;
        if (row < 0 || row >= gh) continue;
        for (int dx = -r; dx <= r; ++dx) {
            const int col = cx + dx;
            if (col < 0 || col >= gw || dx * dx + dy * dy > r * r) continue;
            const size_t i = static_cast<size_t>(row) * gw + col;
            u[i] = 0.5f;
            v[i] = 1.0f;
        }
    }
}

void ReactionStep(const float* u, const float* v, float* nu, float* nv, int gw, int gh,
                  float feed, float feedPlusKill) {
    for (int row = 1; row < gh - 1; ++row) {
        const size_t base = static_cast<size_t>(row) * gw;
        ReactionRowPlain(u + base - gw, u + base, u + base + gw, v + base - gw, v + base,
                         v + base + gw, nu + base, nv + base, gw, feed, feedPlusKill, nullptr);
    }
}

void ReactionSteps(float* u, float* v, float* scratchU, float* scratchV, int gw, int gh,
                   int steps, float feed, float feedPlusKill, uint8_t* summaries) {
    ReactionStepsWith(ReactionRowFor(KernelFor(kUserReaction, ReactionTrial)), u, v, scratchU, scratchV, gw, gh, steps,
                      feed, feedPlusKill, summaries);
}

void ReactionStepsWith(ReactionRowFunction stepRow, float* u, float* v, float* scratchU,
                       float* scratchV, int gw, int gh, int steps, float feed,
                       float feedPlusKill, uint8_t* summaries) {
    if (gw < 3 || gh < 3) return;  // no interior cells
    const size_t cells = static_cast<size_t>(gw) * gh;
    stepRow = ReactionEnterScaled(stepRow, v, cells);
    StepsAsHeld(stepRow, u, v, scratchU, scratchV, gw, gh, steps, feed, feedPlusKill, summaries);
    ReactionLeaveScaled(stepRow, v, cells);
}

namespace {
void StepsAsHeld(ReactionRowFunction stepRow, float* u, float* v, float* scratchU, float* scratchV, int gw, int gh,
                 int steps, float feed, float feedPlusKill, uint8_t* summaries) {
    uint8_t* gridKept = nullptr;
    uint8_t* ringKept = nullptr;
    if (summaries) {
        ResetReactionSummaries(summaries, gw, gh);
        gridKept = ReactionGridSummaries(summaries, gw, gh, 0);
        ringKept = ReactionRingSummaries(summaries, gw, gh, 0);
    }
    // The rings of a pass take three scratch rows per step but the last.
    const int most = gh / 3 + 1 < kFusedSteps ? gh / 3 + 1 : kFusedSteps;
    while (steps >= 2) {
        const int levels = steps < most ? steps : most;
        FusedPass(u, v, scratchU, scratchV, gridKept, ringKept, gw, gh, levels, feed, feedPlusKill, stepRow);
        steps -= levels;
    }
    if (steps == 1) {
        for (int row = 1; row < gh - 1; ++row) {
            const size_t base = static_cast<size_t>(row) * gw;
            stepRow(u + base - gw, u + base, u + base + gw, v + base - gw, v + base, v + base + gw,
                    scratchU + base, scratchV + base, gw, feed, feedPlusKill, nullptr);
        }
        for (int row = 1; row < gh - 1; ++row) {
            const size_t base = static_cast<size_t>(row) * gw + 1;
            std::memcpy(u + base, scratchU + base, (gw - 2) * sizeof(float));
            std::memcpy(v + base, scratchV + base, (gw - 2) * sizeof(float));
        }
    }
}

}  // namespace

void ReactionTrial(VectorKernel kernel) {
    constexpr int kWidth = 600;
    constexpr int kRows = 10;
    constexpr int kCells = kWidth * kRows;
    static float grids[4][kCells];
    static uint8_t summaries[ReactionSummaryBytes(kWidth, kRows, 1)];
    float* u = grids[0];
    float* v = grids[1];
    for (int i = 0; i < kCells; ++i) {
        const int col = i % kWidth;
        u[i] = 0.5f + 0.001f * static_cast<float>(i % 17);
        // Faded cells: whole multiples of the smallest subnormal, made from their bits.
        const uint32_t units = 1000u + static_cast<uint32_t>(i % 13);
        v[i] = 0.25f + 0.002f * static_cast<float>(i % 11);
        if (col >= kWidth / 2) std::memcpy(&v[i], &units, sizeof units);
    }
    ReactionStepsWith(ReactionRowFor(kernel), u, v, grids[2], grids[3], kWidth, kRows, 4,
                      static_cast<float>(ReactionParams[1].feed),
                      static_cast<float>(ReactionParams[1].feed) + static_cast<float>(ReactionParams[1].kill),
                      summaries);
}

int ReactionIndex(float v) {
    // Zeros, subnormals and negatives all give index 1; told apart by their bits, so
    // that the many subnormals of a faded pattern never reach the floating-point unit.
    int32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    if (bits < 0x00800000) return 1;
    if (!(v > 0.0f)) v = 0.0f;  // NaN should the model ever blow up
    if (v > 1.0f) v = 1.0f;
    const int index = 1 + static_cast<int>(254.0f * v);
    return index > 255 ? 255 : index;
}

void DrawReactionDiffusion() {
    const int gw = ReactionGridWidth(art.canvasWidth);
    const int gh = ReactionGridHeight(art.canvasHeight);
    const size_t cells = static_cast<size_t>(gw) * gh;
    float* grids[4];
    bool complete = true;
    for (float*& grid : grids) {
        grid = static_cast<float*>(ArtAllocZeroed(cells, sizeof(float)));
        complete = complete && grid;
    }
    // Several drawing threads step the grid in bands, each with rows of its own.
    const int threads = DrawingThreadCount();
    float* bandRows = nullptr;
    if (threads > 1) {
        bandRows = static_cast<float*>(ArtAlloc(threads * ReactionBandFloats(gw) * sizeof(float)));
        complete = complete && bandRows;
    }
    uint8_t* summaries = static_cast<uint8_t*>(ArtAlloc(ReactionSummaryBytes(gw, gh, threads)));
    complete = complete && summaries;
    if (!complete) {
        for (float* grid : grids) ArtFree(grid);
        ArtFree(bandRows);
        ArtFree(summaries);
        return;
    }
    float* u = grids[0];
    float* v = grids[1];
    float* nu = grids[2];
    float* nv = grids[3];

    for (size_t i = 0; i < cells; ++i) u[i] = 1.0f;  // V stays zero-filled
    const int count = static_cast<int>(NextRandom() % 12u) + 8;
    for (int disc = 0; disc < count; ++disc) {
        const int cx = RandomBelow(gw);
        const int cy = RandomBelow(gh);
        const int r = static_cast<int>(NextRandom() % 12u) + 4;
        SeedReactionDisc(u, v, gw, gh, cx, cy, r);
    }
    const ReactionParam& params = ReactionParams[NextRandom() % 6u];
    const float feed = static_cast<float>(params.feed);
    const float feedPlusKill = feed + static_cast<float>(params.kill);

    if (bandRows) {
        ReactionStepsInBands(ReactionRowFor(KernelFor(kUserReaction, ReactionTrial)), u, v, nu, nv, gw, gh, kReactionSteps,
                             feed, feedPlusKill, bandRows, summaries);
    } else {
        ReactionSteps(u, v, nu, nv, gw, gh, kReactionSteps, feed, feedPlusKill, summaries);
    }
    MapToCanvas(v, gw, gh);
    for (float* grid : grids) ArtFree(grid);
    ArtFree(bandRows);
    ArtFree(summaries);
}
