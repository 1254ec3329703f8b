// Pieces of the Mandelbrot zoom, shared with its tests.
#pragma once
#include <cstdint>

// Size of the reduced image for a Canvas: half of it each way, at least 320 x 200.
int ZoomBufferWidth(int canvasWidth);
int ZoomBufferHeight(int canvasHeight);

// Iterations per point: 192, or 128 above 4,000,000 Canvas pixels.
int ZoomIterationLimit(int canvasWidth, int canvasHeight);

// Colour index of the point (pr, pi) with at most limit iterations: 0 for the set
// (and for an escape on the last iteration), else 1 + 254 x count / limit.
int ZoomPointIndex(double pr, double pi, int limit);

// Shrinks the view for the next frame and starts a new zoom at the depth limit.
void AdvanceZoom();
