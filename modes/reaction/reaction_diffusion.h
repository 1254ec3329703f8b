// Pieces of the Gray-Scott reaction-diffusion mode, shared with its tests.
#pragma once
#include <cstdint>

#include "modes/reaction/reaction_rows.h"

// One feed and kill rate pair of the model.
struct ReactionParam {
    double feed;
    double kill;
};
extern const ReactionParam ReactionParams[6];

constexpr int kReactionSteps = 4500;

// Grid columns for a Canvas width: a third of it, kept within 200..600.
int ReactionGridWidth(int canvasWidth);
// Grid rows for a Canvas height: a third of it, kept within 150..400.
int ReactionGridHeight(int canvasHeight);

// Sets U = 0.5, V = 1.0 in every grid cell within radius r of (cx, cy), rim included;
// cells outside the grid are dropped.
void SeedReactionDisc(float* u, float* v, int gw, int gh, int cx, int cy, int r);

// One time step of the interior cells from (u, v) into (nu, nv); the border cells of
// nu and nv are not written.
void ReactionStep(const float* u, const float* v, float* nu, float* nv, int gw, int gh,
                  float feed, float feedPlusKill);

// `steps` time steps from (u, v) back into (u, v): the same values as that many
// ReactionStep calls with the grids swapped after each. scratchU and scratchV are grids
// of the same size whose contents are overwritten. With summaries
// (ReactionSummaryBytes(gw, gh, 1) bytes, overwritten), stretches that a step leaves as
// they were are copied instead of computed; without, every cell is computed.
void ReactionSteps(float* u, float* v, float* scratchU, float* scratchV, int gw, int gh,
                   int steps, float feed, float feedPlusKill, uint8_t* summaries = nullptr);

// ReactionSteps with a given row loop instead of the active code path's.
void ReactionStepsWith(ReactionRowFunction stepRow, float* u, float* v, float* scratchU,
                       float* scratchV, int gw, int gh, int steps, float feed,
                       float feedPlusKill, uint8_t* summaries = nullptr);

// Colour index 1..255 of a V concentration (clamped to 0..1 first).
int ReactionIndex(float v);

// A few steps of a strip as wide as a full-HD picture's grid, half of it in a growing
// pattern and half faded, on the given path: the piece of work the path choice times.
void ReactionTrial(VectorKernel kernel);
