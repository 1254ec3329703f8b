// The fractal landscape's parts, for the mode itself and its tests.
#pragma once

constexpr int kRidgeIntervals = 1024;

// Ridge heights 0..1 across the picture, rebuilt on every picture; its previous
// contents are never read.
extern double ridgeProfile[kRidgeIntervals + 1];

// Midpoint displacement from both ends at 0.5; takes 1023 numbers, level by level,
// left to right within a level.
void BuildRidgeProfile();

// Clears the Canvas and draws sky, land and stripes from the current ridgeProfile.
// Takes no random numbers.
void PaintLandscape();
