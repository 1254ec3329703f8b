// Where the help screen leaves the picture bare: the places the page may put its box
// with the link button (shell.js) without covering any of the help's text.
#include <emscripten.h>

#include <cstring>

#include "app/art_state.h"
#include "text/overlays.h"

namespace {
constexpr int kHelpSpaceCount = 4;

int32_t Clamp(int32_t v, int32_t hi) { return v < 0 ? 0 : v > hi ? hi : v; }
}  // namespace

extern "C" {

// Four rectangles of the Canvas with no help text in them, each as x0, y0, x1, y1 in
// Canvas pixels and empty where x1 <= x0 or y1 <= y0: right of the mode names down to
// the bottom edge, below the last mode, the band between the title and the KEYS
// heading, and right of the widest row. A row's letters are 6 * a apart and 7 * a
// tall.
EMSCRIPTEN_KEEPALIVE int32_t* WebHelpSpaces() {
    static int32_t spaces[4 * kHelpSpaceCount];
    const int32_t w = art.canvasWidth, h = art.canvasHeight;
    const HelpLayout l = ComputeHelpLayout(w, h, art.textScaleSmall);
    int32_t longestName = 0;
    for (int i = 0; i < kHelpModeCount; ++i) {
        const int32_t n = static_cast<int32_t>(std::strlen(HelpModeNames[i]));
        if (n > longestName) longestName = n;
    }
    const int32_t found[kHelpSpaceCount][4] = {
        {l.textX + 6 * l.a * longestName, l.modesY, w, h},
        {0, l.modesY + kHelpModeCount * l.line + 7 * l.a, w, h},
        {0, l.top + 7 * l.t, w, l.keysY},
        {l.textX + l.textW, 0, w, h},
    };
    for (int i = 0; i < kHelpSpaceCount; ++i) {
        for (int k = 0; k < 4; ++k) spaces[4 * i + k] = Clamp(found[i][k], k % 2 == 0 ? w : h);
    }
    return spaces;
}
}
