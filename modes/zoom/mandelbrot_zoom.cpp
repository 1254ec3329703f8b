// Mode 8: the Mandelbrot set around a point of interest, one frame per timer tick,
// each frame a little closer; past the depth limit a new zoom starts at another point.
//
// The files of this folder:
//   mandelbrot_zoom  the mode: the view, the frames, the enlarging (this file);
//   zoom_cells       one frame's reduced image and the colour of one point;
//   zoom_lanes       that image computed 2, 4 or 8 points at a time.
// The lanes give the bytes of the one-point loop: each point takes the same IEEE
// operations in the same order, and a lane that has escaped keeps its count. The
// tests compare every path with the one-point loop.
#include "modes/zoom/mandelbrot_zoom.h"

#include <cstddef>
#include <cstring>

#include "modes/paths/kernel_choice.h"
#include "modes/zoom/zoom_lanes.h"

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "modes/workers.h"

namespace {
constexpr double kShrinkPerFrame = 0.96;
constexpr double kDepthLimit = 1e-13;  // doubles lose the picture not far below this

// The reference: every cell on its own.
void RenderCellsPlain(const ZoomCells& view, int firstRow, int endRow) {
    for (int row = firstRow; row < endRow; ++row) {
        const double pi = (row - view.height * 0.5) * view.step + view.centreY;
        uint8_t* out = view.cells + static_cast<size_t>(row) * view.width;
        for (int col = 0; col < view.width; ++col) {
            const double pr = (col - view.width * 0.5) * view.step + view.centreX;
            out[col] = static_cast<uint8_t>(ZoomPointIndex(pr, pi, view.limit));
        }
    }
}

// Canvas row y from buffer row `source`: column x shows cell (x x bw) / w, found by
// stepping instead of dividing (bw <= w, so the cell moves on by at most one).
void EnlargeRow(uint8_t* row, const uint8_t* source, int w, int bw) {
    if (w == 2 * bw) {
        for (int col = 0; col < bw; ++col) {
            row[2 * col] = source[col];
            row[2 * col + 1] = source[col];
        }
        return;
    }
    int col = 0;
    int64_t rest = 0;  // x x bw - col x w
    for (int x = 0; x < w; ++x) {
        row[x] = source[col];
        rest += bw;
        while (rest >= w) {
            rest -= w;
            ++col;
        }
    }
}

// Nearest-neighbour enlargement of the reduced image over Canvas rows firstRow ..
// endRow - 1. Rows that show the same buffer row are copies of the first one.
void EnlargeOntoCanvas(const uint8_t* buffer, int bw, int bh, int firstRow, int endRow) {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    int previous = -1;
    for (int y = firstRow; y < endRow; ++y) {
        int sy = static_cast<int>(static_cast<int64_t>(y) * bh / h);
        if (sy > bh - 1) sy = bh - 1;
        uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
        if (sy == previous) {
            std::memcpy(row, row - w, static_cast<size_t>(w));
        } else {
            EnlargeRow(row, buffer + static_cast<size_t>(sy) * bw, w, bw);
            previous = sy;
        }
    }
}

// Buffer rows and Canvas rows per piece of work handed to the drawing threads: small
// enough that the pieces balance, large enough that the vector loops' start and end
// cost little.
constexpr int kCellRowsPerPiece = 4;
constexpr int kCanvasRowsPerPiece = 32;

struct ZoomFrame {
    ZoomCells view;
    ZoomCellPath path;
};

void CellRows(void* context, int from, int to, int) {
    const ZoomFrame& frame = *static_cast<const ZoomFrame*>(context);
    RenderZoomCellRows(frame.view, frame.path, from, to);
}

void CanvasRows(void* context, int from, int to, int) {
    const ZoomFrame& frame = *static_cast<const ZoomFrame*>(context);
    EnlargeOntoCanvas(frame.view.cells, frame.view.width, frame.view.height, from, to);
}
}  // namespace

int ZoomBufferWidth(int canvasWidth) { return canvasWidth / 2 < 320 ? 320 : canvasWidth / 2; }

int ZoomBufferHeight(int canvasHeight) { return canvasHeight / 2 < 200 ? 200 : canvasHeight / 2; }

int ZoomIterationLimit(int canvasWidth, int canvasHeight) {
    return static_cast<int64_t>(canvasWidth) * canvasHeight <= 4000000 ? 192 : 128;
}

bool ZoomCellPathAvailable(ZoomCellPath path) {
    switch (path) {
        case kZoomCellsPlain:
            return true;
#if HUEMIX_VECTOR_KERNELS
        case kZoomCellsSse2:
            return KernelAvailable(kKernelSse2);
#else
        case kZoomCellsSse2:
            return false;
#endif
#if HUEMIX_WIDE_KERNELS
        case kZoomCellsAvx2:
        case kZoomCellsAvx512OnAvx2:
            return KernelAvailable(kKernelAvx2);
        case kZoomCellsAvx512:
            return KernelAvailable(kKernelAvx512);
#else
        case kZoomCellsAvx2:
        case kZoomCellsAvx512:
        case kZoomCellsAvx512OnAvx2:
            return false;
#endif
    }
    return false;
}

ZoomCellPath ZoomCellPathOf(VectorKernel kernel) {
    switch (kernel) {
        case kKernelPlain: return kZoomCellsPlain;
        case kKernelSse2: return kZoomCellsSse2;
        case kKernelAvx2: return kZoomCellsAvx2;
        case kKernelAvx512: return kZoomCellsAvx512;
    }
    return kZoomCellsPlain;
}

void RenderZoomCells(const ZoomCells& view, ZoomCellPath path) { RenderZoomCellRows(view, path, 0, view.height); }

void RenderZoomCellRows(const ZoomCells& view, ZoomCellPath path, int firstRow, int endRow) {
    if (!ZoomCellPathAvailable(path) || view.limit < 1 || view.limit > kZoomLanesMaxLimit) {
        path = kZoomCellsPlain;
    }
    switch (path) {
        case kZoomCellsPlain: RenderCellsPlain(view, firstRow, endRow); return;
#if HUEMIX_VECTOR_KERNELS
        case kZoomCellsSse2: RenderZoomCellsSse2(view, firstRow, endRow); return;
#endif
#if HUEMIX_WIDE_KERNELS
        case kZoomCellsAvx2: RenderZoomCellsAvx2(view, firstRow, endRow); return;
        case kZoomCellsAvx512: RenderZoomCellsAvx512(view, firstRow, endRow); return;
        case kZoomCellsAvx512OnAvx2: RenderZoomCellsAvx512OnAvx2(view, firstRow, endRow); return;
#else
        default: RenderCellsPlain(view, firstRow, endRow); return;
#endif
    }
}

void ZoomTrial(VectorKernel kernel) {
    constexpr int kWidth = 320;
    constexpr int kRows = 6;
    static uint8_t cells[kWidth * kRows];
    const double halfHeight = 4.3e-4;  // 1.6 x 0.96^200
    const ZoomCells view{cells, kWidth, kRows, 192, halfHeight / 270.0, ZoomTargets[0].re, ZoomTargets[0].im};
    RenderZoomCellRows(view, ZoomCellPathOf(kernel), 0, kRows);
}

void AdvanceZoom() {
    art.zoomHalfHeight *= kShrinkPerFrame;
    if (art.zoomHalfHeight < kDepthLimit) ChooseZoomTarget();
}

void ChooseZoomTarget() {
    art.zoomHalfHeight = 1.6;
    const ZoomPoint& target = ZoomTargets[NextRandom() & 7];
    art.zoomCentreX = target.re;
    art.zoomCentreY = target.im;
}

void DrawMandelbrotZoom() {
    const int bw = ZoomBufferWidth(art.canvasWidth);
    const int bh = ZoomBufferHeight(art.canvasHeight);
    if (art.bufferWidth != bw || art.bufferHeight != bh) {
        ArtFree(art.zoomBuffer);
        art.zoomBuffer = static_cast<uint8_t*>(ArtAlloc(static_cast<size_t>(bw) * bh));
        // The size is kept even without a buffer, so a failed allocation is not
        // retried on every tick.
        art.bufferWidth = bw;
        art.bufferHeight = bh;
    }
    if (!art.zoomBuffer) return;

    ZoomCells view;
    view.cells = art.zoomBuffer;
    view.width = bw;
    view.height = bh;
    view.limit = ZoomIterationLimit(art.canvasWidth, art.canvasHeight);
    view.step = art.zoomHalfHeight / (bh * 0.5);
    view.centreX = art.zoomCentreX;
    view.centreY = art.zoomCentreY;
    ZoomFrame frame{view, ZoomCellPathOf(KernelFor(kUserZoom, ZoomTrial))};
    RunRows(CellRows, &frame, bh, kCellRowsPerPiece);
    RunRows(CanvasRows, &frame, art.canvasHeight, kCanvasRowsPerPiece);
    AdvanceZoom();
}
