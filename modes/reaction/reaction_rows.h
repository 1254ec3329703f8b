// The row loops of one reaction-diffusion time step, one per code path. Every loop
// gives bit for bit the values of the plain one.
#pragma once
#include <cstddef>
#include <cstdint>

#include "modes/paths/vector_kernel.h"

// A row's interior in stretches of this many cells from column 1 on (the last one
// shorter), each with a summary byte in the state it belongs to.
constexpr int kReactionStretchCells = 128;
// Summary bit: every cell of the stretch has the value it had one step before.
constexpr uint8_t kReactionKept = 1;

// Stretches of a row gw cells wide (at least one).
constexpr int ReactionStretches(int gw) {
    return ((gw > 2 ? gw - 2 : 1) + kReactionStretchCells - 1) / kReactionStretchCells;
}

// The summaries of the three input rows, and where the output row's go. A stretch whose
// inputs were all kept, its own and the cells beside it, would compute the values it
// already has, so the loops copy it instead; elsewhere they compute it and record
// whether it moved: for every stretch with checkAll, else only for those whose centre
// was kept (the others are recorded as moved, which is never wrong).
struct ReactionKeep {
    const uint8_t* north;
    const uint8_t* centre;
    const uint8_t* south;
    uint8_t* out;
    bool checkAll;
};

// The summaries of a computation of many steps, in one block: two grids' worth (a state
// and the one it is stepped into) and, for each thread, the rows of the rings a pass
// keeps between its steps (at most kReactionRingRows).
constexpr int kReactionRingRows = 21;
constexpr size_t ReactionSummaryBytes(int gw, int gh, int threads) {
    return static_cast<size_t>(ReactionStretches(gw)) * (2 * static_cast<size_t>(gh) + kReactionRingRows * threads);
}
// Both grids' summaries as at the start: border rows kept (they never change), the
// others not known.
void ResetReactionSummaries(uint8_t* summaries, int gw, int gh);
// Grid `which` (0 or 1) of the block, row after row.
uint8_t* ReactionGridSummaries(uint8_t* summaries, int gw, int gh, int which);
// The ring rows' summaries of a thread.
uint8_t* ReactionRingSummaries(uint8_t* summaries, int gw, int gh, int thread);

// The rows of the rings a pass keeps between its steps are laid out apart from the
// grid's: a whole number of cache lines each, column 1 at the start of a line, so that
// the row loops' stores and most of their loads each touch one line, not two (about a
// fifth faster). ReactionRingStride is their distance in floats; ReactionRingStart the
// first row's start within space at `at`, at most 15 floats on.
constexpr size_t ReactionRingStride(int gw) { return (static_cast<size_t>(gw) + 15) & ~size_t{15}; }
float* ReactionRingStart(float* at);

// The interior cells (columns 1 to gw - 2) of one row from the rows north, at and south
// of it, for U and V; the output rows never overlap the input rows. keep may be null:
// every stretch is computed then. Only the loops of the 512-bit source copy resting
// stretches; the others compute every one and record none as kept.
using ReactionRowFunction = void (*)(const float* un, const float* uc, const float* us,
                                     const float* vn, const float* vc, const float* vs,
                                     float* uo, float* vo, int gw, float feed,
                                     float feedPlusKill, const ReactionKeep* keep);

// How the loops hold V. The vector loops hold it 2^64 times larger than its value, so
// that every V the model makes, down to the smallest subnormal, is a normal number (see
// reaction_lanes.h); the plain loop holds it as it is. A computation of many steps
// scales V once at its start and back at its end (ReactionEnterScaled), bit for bit
// either way. A true V of 2^64 or more could not be held scaled; the model's own values
// stay below 2, and grids that start with any V beyond 2^32 in size, or not finite, are
// stepped by the plain loop.
bool ReactionRowScalesV(ReactionRowFunction stepRow);
// V to and from the scaled form in place, by their bits: no floating-point operation
// meets a subnormal. For V within 2^32 in size (ReactionEnterScaled checks).
void ReactionScaleV(float* v, size_t cells);
void ReactionUnscaleV(float* v, size_t cells);
// The loop to step grids of that many cells with: stepRow, with V scaled in place where
// stepRow holds it so; the plain loop where V cannot be (above). ReactionLeaveScaled,
// given the loop that returned, puts V back as it is.
ReactionRowFunction ReactionEnterScaled(ReactionRowFunction stepRow, float* v, size_t cells);
void ReactionLeaveScaled(ReactionRowFunction used, float* v, size_t cells);

// The reference loop: one cell at a time, every operation rounded to single precision
// in the order of the model. It computes every stretch and records none as kept.
void ReactionRowPlain(const float* un, const float* uc, const float* us, const float* vn,
                      const float* vc, const float* vs, float* uo, float* vo, int gw, float feed,
                      float feedPlusKill, const ReactionKeep* keep);

// The loop of a code path: the plain one for kKernelPlain and for paths not compiled in.
ReactionRowFunction ReactionRowFor(VectorKernel kernel);

// The 512-bit loop compiled for 256-bit processors, which run it as pairs of halves, so
// that machines without AVX-512 can test its source; null where AVX2 is not available.
ReactionRowFunction ReactionRowWideOnAvx2();
