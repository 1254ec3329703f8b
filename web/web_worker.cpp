// What the worker that draws the slow pictures calls: one picture from a random
// state, the zoom's next frame, and what it sends back. Built into both modules; the
// one with WebAssembly threads draws on every drawing thread it has.
#include <emscripten.h>

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "modes/workers.h"

namespace {
// As many as the pool made when the worker started (PTHREAD_POOL_SIZE in
// CMakeLists.txt) plus the worker's own thread; one without threads.
int WorkerThreads() {
#if defined(__EMSCRIPTEN_PTHREADS__)
    const int logical = LogicalProcessorCount();
    return logical < 16 ? logical : 16;
#else
    return 1;
#endif
}
}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE uint8_t* WebWorkerDraw(int width, int height, int mode, uint32_t state) {
    art.drawingThreads = WorkerThreads();
    if (art.canvasWidth != width || art.canvasHeight != height || !art.canvas) {
        ReleaseCanvas();
        if (AllocateCanvas(width, height) != 0) return nullptr;
    }
    const long failedBefore = ArtFailedAllocationCount();
    art.randomState = state;
    SelectMode(mode);
    return ArtFailedAllocationCount() == failedBefore ? art.canvas : nullptr;
}

// ... and the zoom's next frame, when the zoom is the picture there.
EMSCRIPTEN_KEEPALIVE uint8_t* WebWorkerZoomFrame(uint32_t state) {
    art.randomState = state;
    if (!art.canvas || art.currentMode != kZoomModeNumber) return nullptr;
    const long failedBefore = ArtFailedAllocationCount();
    DrawMandelbrotZoom();
    return ArtFailedAllocationCount() == failedBefore ? art.canvas : nullptr;
}

EMSCRIPTEN_KEEPALIVE int WebCanvasWidth() { return art.canvasWidth; }
EMSCRIPTEN_KEEPALIVE int WebCanvasHeight() { return art.canvasHeight; }
EMSCRIPTEN_KEEPALIVE uint32_t WebRandomState() { return art.randomState; }
EMSCRIPTEN_KEEPALIVE int WebCurrentMode() { return art.currentMode; }
// Pieces of work the helper threads have done here so far: above 0 once more than
// one thread has drawn.
EMSCRIPTEN_KEEPALIVE int WebHelperPieces() { return static_cast<int>(HelperPieceCount()); }
}
