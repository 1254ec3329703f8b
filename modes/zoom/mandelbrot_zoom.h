// Pieces of the Mandelbrot zoom, shared with its tests.
#pragma once
#include <cstdint>

#include "modes/paths/vector_kernel.h"
#include "modes/zoom/zoom_cells.h"

// Size of the reduced image for a Canvas: half of it each way, at least 320 x 200.
int ZoomBufferWidth(int canvasWidth);
int ZoomBufferHeight(int canvasHeight);

// Iterations per point: 192, or 128 above 4,000,000 Canvas pixels.
int ZoomIterationLimit(int canvasWidth, int canvasHeight);

// Shrinks the view for the next frame and starts a new zoom at the depth limit.
void AdvanceZoom();

// Ways of computing the cells, all giving the same bytes: the plain one point at a
// time, then vectors of 2, 4 and 8 points, and the 8-point code built for AVX2 (each
// 512-bit vector in two halves), so that it can be checked without AVX-512.
enum ZoomCellPath {
    kZoomCellsPlain,
    kZoomCellsSse2,
    kZoomCellsAvx2,
    kZoomCellsAvx512,
    kZoomCellsAvx512OnAvx2,
};
constexpr int kZoomCellPathCount = 5;

// True when the path is compiled in and this processor runs it.
bool ZoomCellPathAvailable(ZoomCellPath path);

// The path of a code-path choice.
ZoomCellPath ZoomCellPathOf(VectorKernel kernel);

// Computes every cell by the path (the plain one when it is not available).
void RenderZoomCells(const ZoomCells& view, ZoomCellPath path);

// The same for rows firstRow .. endRow - 1 only: each cell's bytes do not depend on
// which rows are computed together.
void RenderZoomCellRows(const ZoomCells& view, ZoomCellPath path, int firstRow, int endRow);

// A strip of a frame some 200 frames into a zoom toward the first target, where points
// of every escape count lie side by side as in most frames, on the given path: the
// piece of work the path choice times.
void ZoomTrial(VectorKernel kernel);
