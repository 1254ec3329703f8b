// The Mandelbrot zoom's reduced image computed with vectors of 2, 4 or 8 points.
// Every function gives the bytes of the one-point-at-a-time loop (ZoomPointIndex).
#pragma once
#include <cstdint>

#include "modes/paths/vector_kernel.h"
#include "modes/zoom/zoom_cells.h"

// Highest iteration limit the vector loops take (the colour of each count is a table).
constexpr int kZoomLanesMaxLimit = 255;

#if HUEMIX_VECTOR_KERNELS
// Each computes rows firstRow .. endRow - 1 of the view's cells.
void RenderZoomCellsSse2(const ZoomCells& view, int firstRow, int endRow);
#endif
#if HUEMIX_WIDE_KERNELS
void RenderZoomCellsAvx2(const ZoomCells& view, int firstRow, int endRow);
void RenderZoomCellsAvx512(const ZoomCells& view, int firstRow, int endRow);
// The AVX-512 code built for AVX2, each 512-bit vector split in two: lets the 8-point
// loop be checked on processors without AVX-512.
void RenderZoomCellsAvx512OnAvx2(const ZoomCells& view, int firstRow, int endRow);
#endif
