// The page's benchmark (?bench=1): the time of one picture of a mode, drawn right here
// on the page's thread, and of composing a frame, so that anyone can measure their own
// browser. The figures are those huemix-bench prints natively.
#include <emscripten.h>

#include "app/art_state.h"
#include "app/frame.h"
#include "modes/modes.h"

extern "C" {
// Milliseconds for one picture of this mode from this random state.
EMSCRIPTEN_KEEPALIVE double WebBenchMode(int mode, uint32_t state) {
    art.randomState = state;
    const double start = emscripten_get_now();
    SelectMode(mode);
    return emscripten_get_now() - start;
}

// ComposeFrame as the program calls it, status strip shown, over the current picture.
EMSCRIPTEN_KEEPALIVE void WebCompose() {
    art.statusStripShown = 1;
    ComposeFrame();
}
}
