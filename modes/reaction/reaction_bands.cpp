#include "modes/reaction/reaction_bands.h"

#include <cstring>

#include "modes/workers.h"

namespace {
// Steps per pass. A band of B rows computes B x levels rows of new cells and
// levels x (levels - 1) more for its halo, so fewer levels waste less; more levels
// keep the grids longer in the cache. Four measured best on 2 cores at 600 x 360.
constexpr int kBandLevels = 4;
// Bands per thread: more let a thread that the system keeps waiting hold up less of a
// pass, since the others take over its bands; fewer waste less on the halos, which a
// band of B rows pays about 3 (levels - 1) / (2 B) of its work for. One measured best
// on a quiet machine (four cost 5 to 14 % at 2 threads), and no worse than four with
// one core busy elsewhere, where the figures of either varied more than they differed.
constexpr int kBandsPerThread = 1;
// Bands below this many rows would spend more on their halos than they save.
constexpr int kFewestBandRows = 24;

int Max(int a, int b) { return a > b ? a : b; }
int Min(int a, int b) { return a < b ? a : b; }

struct BandPass {
    ReactionRowFunction stepRow;
    const float* u;  // the state before the pass; borders as in every state
    const float* v;
    float* outU;  // the state after it
    float* outV;
    float* bandRows;
    // Stretch summaries (all null: none kept): of the state before the pass and after
    // it, and the block the threads' ring summaries are in.
    const uint8_t* kept;
    uint8_t* outKept;
    uint8_t* summaries;
    int gw;
    int gh;
    int levels;
    float feed;
    float feedPlusKill;
};

// The pass over interior rows first .. end - 1, the others read but not written. Step
// `level` (1 .. levels) computes rows first - (levels - level) .. end - 1 + (levels -
// level) within the interior, one row behind the step before it, which keeps the three
// rows it needs of each step in a ring of three rows (this thread's); the last step
// writes into (outU, outV).
void PassBand(const BandPass& pass, int first, int end, float* ringU, float* ringV, uint8_t* ringKept) {
    static_assert((kBandLevels - 1) * 3 <= kReactionRingRows);
    const int gw = pass.gw;
    const int gh = pass.gh;
    const int levels = pass.levels;
    const size_t stretches = ReactionStretches(gw);
    auto ringIndex = [](int level, int row) { return static_cast<size_t>((level - 1) * 3 + row % 3); };
    const size_t ringStride = ReactionRingStride(gw);
    auto ringRow = [&](float* ring, int level, int row) { return ring + ringIndex(level, row) * ringStride; };
    // Row `row` of the state after `level` of the pass's steps, and its summaries; the
    // border rows never change.
    auto onGrid = [gh](int level, int row) { return level == 0 || row == 0 || row == gh - 1; };
    auto stateRow = [&](const float* grid, float* ring, int level, int row) -> const float* {
        return onGrid(level, row) ? grid + static_cast<size_t>(row) * gw : ringRow(ring, level, row);
    };
    auto keptRow = [&](int level, int row) -> const uint8_t* {
        return onGrid(level, row) ? pass.kept + row * stretches : ringKept + ringIndex(level, row) * stretches;
    };
    for (int i = first - (levels - 1); i <= end - 1 + (levels - 1); ++i) {
        for (int level = 1; level <= levels; ++level) {
            const int row = i - level + 1;
            const int halo = levels - level;
            if (row < Max(1, first - halo) || row > Min(gh - 2, end - 1 + halo)) continue;
            float* outU = pass.outU + static_cast<size_t>(row) * gw;
            float* outV = pass.outV + static_cast<size_t>(row) * gw;
            uint8_t* outKept = pass.outKept ? pass.outKept + row * stretches : nullptr;
            if (level < levels) {
                outKept = ringKept ? ringKept + ringIndex(level, row) * stretches : nullptr;
                outU = ringRow(ringU, level, row);
                outV = ringRow(ringV, level, row);
                const float* borderU = pass.u + static_cast<size_t>(row) * gw;
                const float* borderV = pass.v + static_cast<size_t>(row) * gw;
                outU[0] = borderU[0];
                outU[gw - 1] = borderU[gw - 1];
                outV[0] = borderV[0];
                outV[gw - 1] = borderV[gw - 1];
            }
            const ReactionKeep keep{pass.kept ? keptRow(level - 1, row - 1) : nullptr,
                                    pass.kept ? keptRow(level - 1, row) : nullptr,
                                    pass.kept ? keptRow(level - 1, row + 1) : nullptr, outKept, level == 1};
            pass.stepRow(stateRow(pass.u, ringU, level - 1, row - 1), stateRow(pass.u, ringU, level - 1, row),
                         stateRow(pass.u, ringU, level - 1, row + 1), stateRow(pass.v, ringV, level - 1, row - 1),
                         stateRow(pass.v, ringV, level - 1, row), stateRow(pass.v, ringV, level - 1, row + 1),
                         outU, outV, gw, pass.feed, pass.feedPlusKill, pass.kept ? &keep : nullptr);
        }
    }
}

void PassBands(void* context, int from, int to, int thread) {
    const BandPass& pass = *static_cast<const BandPass*>(context);
    float* rows = pass.bandRows + static_cast<size_t>(thread) * ReactionBandFloats(pass.gw);
    float* ringU = ReactionRingStart(rows);
    float* ringV = ReactionRingStart(rows + ReactionBandFloats(pass.gw) / 2);
    uint8_t* ringKept = pass.summaries ? ReactionRingSummaries(pass.summaries, pass.gw, pass.gh, thread) : nullptr;
    PassBand(pass, from + 1, to + 1, ringU, ringV, ringKept);
}
}  // namespace

size_t ReactionBandFloats(int gw) {
    // Two rings, each with room to start its rows on a cache line.
    return 2 * (static_cast<size_t>((kBandLevels - 1) * 3) * ReactionRingStride(gw) + 15);
}

void ReactionStepsInBands(ReactionRowFunction stepRow, float* u, float* v, float* scratchU, float* scratchV,
                          int gw, int gh, int steps, float feed, float feedPlusKill, float* bandRows,
                          uint8_t* summaries) {
    if (gw < 3 || gh < 3 || steps <= 0) return;  // no interior cells
    const size_t bytes = static_cast<size_t>(gw) * gh * sizeof(float);
    stepRow = ReactionEnterScaled(stepRow, v, static_cast<size_t>(gw) * gh);
    // The scratch grids take the borders, which no step changes.
    std::memcpy(scratchU, u, bytes);
    std::memcpy(scratchV, v, bytes);
    const int interior = gh - 2;
    const int grain = BandRows(interior, DrawingThreadCount());
    BandPass pass{stepRow, u, v, scratchU, scratchV, bandRows, nullptr, nullptr, summaries, gw, gh, 0, feed,
                  feedPlusKill};
    if (summaries) {
        ResetReactionSummaries(summaries, gw, gh);
        pass.kept = ReactionGridSummaries(summaries, gw, gh, 0);
        pass.outKept = ReactionGridSummaries(summaries, gw, gh, 1);
    }
    for (int done = 0; done < steps; done += pass.levels) {
        pass.levels = Min(kBandLevels, steps - done);
        RunRows(PassBands, &pass, interior, grain);
        // The new state is read by the next pass; the old one receives the pass after.
        float* const oldU = const_cast<float*>(pass.u);
        float* const oldV = const_cast<float*>(pass.v);
        pass.u = pass.outU;
        pass.v = pass.outV;
        pass.outU = oldU;
        pass.outV = oldV;
        uint8_t* const oldKept = const_cast<uint8_t*>(pass.kept);
        pass.kept = pass.outKept;
        pass.outKept = oldKept;
    }
    if (pass.u != u) {
        std::memcpy(u, pass.u, bytes);
        std::memcpy(v, pass.v, bytes);
    }
    ReactionLeaveScaled(stepRow, v, static_cast<size_t>(gw) * gh);
}

int BandRows(int interior, int threads) {
    if (threads <= 1) return interior;
    const int bands = threads * kBandsPerThread;
    const int rows = (interior + bands - 1) / bands;
    return rows > kFewestBandRows ? rows : (kFewestBandRows < interior ? kFewestBandRows : interior);
}
