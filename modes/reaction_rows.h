// The row loops of one reaction-diffusion time step, one per code path. Every loop
// gives bit for bit the values of the plain one.
#pragma once
#include <cstdint>

#include "modes/vector_kernel.h"

// What the vector loops know of a row of the state, tile by tile: bit t stands for the
// cells of columns 64 t .. 64 t + 63 (tiles past the 64th are never known). A bit of
// `fast` is set when every U of the tile lies in [2^-20, 2] and every V is zero or in
// [2^-96, 2]; a bit of `faded` when every U lies so and every V in [0, 2^-128); a bit
// of `still` when every cell has the value it had one step before. A clear bit says
// nothing. The loops read the summaries of the three rows a row is computed from, so
// that a tile whose inputs all allow one route takes it with no test per vector, and a
// tile whose inputs all kept their values keeps its own without any arithmetic (the
// step is a function of the inputs' bits); they return the summary of the row they
// wrote.
struct ReactionRowSummary {
    uint64_t fast;
    uint64_t faded;
    uint64_t still;
};
constexpr int kReactionTileShift = 6;  // 64 cells a tile

// The summaries to hand a row loop for a row whose input rows have these (`around`).
// Keeping summaries pays where tiles keep their values or have faded (no arithmetic,
// or integer arithmetic with no test), hardly where they only allow the fast route (the
// test per vector saved costs about what keeping the summary does). So rows whose
// centre row has no such tile go without, except on `refresh` steps, on which every row
// is summarized so that regions that settle are found again.
inline const ReactionRowSummary* ReactionSummariesWorthKeeping(const ReactionRowSummary* around, bool refresh) {
    return refresh || (around[1].faded | around[1].still) != 0 ? around : nullptr;
}

// Every how many steps every row is summarized.
constexpr int kReactionRefreshSteps = 4;

// The summary of a row of U and V, cell by cell (border columns included).
ReactionRowSummary SummarizeReactionRow(const float* u, const float* v, int gw);

// The interior cells (columns 1 to gw - 2) of one row from the rows north, at and south
// of it, for U and V; the output rows never overlap the input rows. `around` holds the
// summaries of the north, centre and south rows; the summary of the row written is
// returned (border columns taken from the centre row). Keeping a summary costs a little
// for every vector, so where nothing is known of the rows read (`around` null) each
// vector takes the route its inputs allow and an empty summary is returned; the plain
// loop always returns an empty one.
using ReactionRowFunction = ReactionRowSummary (*)(const float* un, const float* uc, const float* us,
                                                   const float* vn, const float* vc, const float* vs,
                                                   float* uo, float* vo, int gw, float feed,
                                                   float feedPlusKill, const ReactionRowSummary* around);

// The reference loop: one cell at a time, every operation rounded to single precision
// in the order of the model.
ReactionRowSummary ReactionRowPlain(const float* un, const float* uc, const float* us, const float* vn,
                                    const float* vc, const float* vs, float* uo, float* vo, int gw,
                                    float feed, float feedPlusKill, const ReactionRowSummary* around);

// The loop of a code path: the plain one for kKernelPlain and for paths not compiled in.
ReactionRowFunction ReactionRowFor(VectorKernel kernel);

// The 512-bit loop compiled for 256-bit processors, which run it as pairs of halves, so
// that machines without AVX-512 can test its source; null where AVX2 is not available.
ReactionRowFunction ReactionRowWideOnAvx2();
