// The Voronoi mode's painting step, for the mode itself and its tests.
#pragma once

constexpr int kMaxVoronoiSeeds = 120;  // bounds the work on large screens

// Colours every Canvas pixel by its nearest of the n seeds (the lowest-numbered one
// among equally near seeds) plus the ring offset of its distance. Takes no random
// numbers; n is 1 to kMaxVoronoiSeeds.
void PaintVoronoi(const int* seedX, const int* seedY, const int* seedColour, int n);
