// Pieces of the Buddhabrot, shared with its tests.
#pragma once
#include <cstdint>

#include "modes/buddhabrot/buddhabrot_lanes.h"
#include "modes/buddhabrot/buddhabrot_plane.h"

// Samples of a picture: 2,000,000 x detailScale, at most 12,000,000.
int64_t BuddhabrotSampleCount(double detailScale);

// Makes sure art.orbitRe / art.orbitIm hold kOrbitLength points each; they are kept
// for the whole run. False (and both null) when they cannot be allocated.
bool EnsureOrbitBuffers();

// The counters of one picture and the plane-to-pixel mapping.
struct HitCounts {
    int32_t* counts;  // width x height, row-major like the Canvas
    int width;
    int height;
    double dx;  // plane width of one pixel
    double dy;  // plane height of one pixel
    int32_t maximum;  // largest count so far, at least 1
};

// Iterates the sample s, keeping its orbit in art.orbitRe / art.orbitIm (which must
// hold kOrbitLength points), and if it escapes counts z(0) to z(e - 2) into hits.
// Samples inside the bulbs are skipped. Returns the number of points counted.
int CountSampleOrbit(double sr, double si, HitCounts& hits);

// A whole picture from the given number of samples, counted the given way; every way
// gives the same Canvas, random state and orbit buffers.
void RenderBuddhabrotCounting(HitCounting counting, int64_t samples);

// RenderBuddhabrotCounting with the counting of the active code path; DrawBuddhabrot is
// this with the sample count of the Canvas.
void RenderBuddhabrot(int64_t samples);
