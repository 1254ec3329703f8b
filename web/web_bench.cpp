// The page's benchmark (?bench=1): the time of a picture of a mode, drawn right here
// on the page's thread, and of composing a frame, so that anyone can measure their own
// browser. The figures are those huemix-bench prints natively.
#include <emscripten.h>

#include "app/art_state.h"
#include "app/frame.h"
#include "modes/modes.h"

extern "C" {
// Milliseconds for reps pictures of this mode, each from this random state. The
// page's clock may count in steps of 0.1 ms, too coarse for one quick picture.
EMSCRIPTEN_KEEPALIVE double WebBenchMode(int mode, uint32_t state, int reps) {
    const double start = emscripten_get_now();
    for (int r = 0; r < reps; ++r) {
        art.randomState = state;
        SelectMode(mode);
    }
    return emscripten_get_now() - start;
}

// ComposeFrame as the program calls it, status strip shown, over the current picture.
EMSCRIPTEN_KEEPALIVE void WebCompose() {
    art.statusStripShown = 1;
    ComposeFrame();
}
}
