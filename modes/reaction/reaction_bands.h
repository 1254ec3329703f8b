// Reaction-diffusion on the drawing threads: the grid in horizontal bands, taken by
// whichever thread is free, several
// time steps per pass, each band's pass computing the rows around it that its steps
// need (a halo that shrinks by a row per step) so that bands never wait for each
// other within a pass. Every cell goes through the same row loop as on one thread, so
// the values are the same bit for bit.
#pragma once
#include <cstddef>
#include <cstdint>

#include "modes/reaction/reaction_rows.h"

// Floats of scratch rows one thread needs for a grid gw cells wide.
size_t ReactionBandFloats(int gw);

// `steps` time steps from (u, v) back into (u, v), the same values as
// ReactionStepsWith(stepRow, ...), on the drawing threads. scratchU and scratchV are
// grids of the same size whose contents are overwritten; bandRows holds
// ReactionBandFloats(gw) floats for each of DrawingThreadCount() threads. summaries, if
// not null, holds ReactionSummaryBytes(gw, gh, DrawingThreadCount()) bytes: stretches
// that a step leaves as they were are then copied instead of computed.
void ReactionStepsInBands(ReactionRowFunction stepRow, float* u, float* v, float* scratchU, float* scratchV,
                          int gw, int gh, int steps, float feed, float feedPlusKill, float* bandRows,
                          uint8_t* summaries = nullptr);

// Rows per band for an interior of that many rows on that many drawing threads.
int BandRows(int interior, int threads);
