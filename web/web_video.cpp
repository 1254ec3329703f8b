// The page's video of one colour-cycling loop: its palettes, turned by the core from
// the colours on the screen, and its file's name. The frames are made from them in
// the video worker (video_module.cpp).
#include <emscripten.h>

#include <cstring>

#include "app/art_state.h"
#include "app/memory.h"
#include "web/web_shell.h"
#include "palette/palette.h"

namespace {
constexpr int32_t kLoopTicks = 255;  // one turn of the ring at any step of 1, 2, 4 or 8

struct LoopPalettes {
    uint32_t* entries = nullptr;  // kLoopTicks palettes of 256 entries
    int32_t seamless = 0;
};
LoopPalettes loop;

}  // namespace

extern "C" {

// The loop's palettes: the one on the screen, then one per tick up to the last before
// it comes round again, turned as the rotation timer turns them. The screen's own
// palettes are put back: cycling goes on from where it was. Null without memory.
EMSCRIPTEN_KEEPALIVE uint32_t* WebLoopPalettes() {
    if (!loop.entries) loop.entries = static_cast<uint32_t*>(ArtAlloc(sizeof(uint32_t) * 256 * kLoopTicks));
    if (!loop.entries) return nullptr;
    uint32_t palette[256];
    uint32_t base[256];
    std::memcpy(palette, art.palette, sizeof palette);
    std::memcpy(base, art.basePalette, sizeof base);
    for (int32_t t = 0; t < kLoopTicks; ++t) {
        std::memcpy(loop.entries + 256 * t, art.palette, sizeof palette);
        RotatePalette();
    }
    // A hue drift or a fading adjustment compounds every tick: its colours do not come back.
    loop.seamless = std::memcmp(art.palette, palette, sizeof palette) == 0 ? 1 : 0;
    std::memcpy(art.palette, palette, sizeof palette);
    std::memcpy(art.basePalette, base, sizeof base);
    return loop.entries;
}

EMSCRIPTEN_KEEPALIVE int WebLoopTicks() { return kLoopTicks; }
// Whether the tick after the loop's last palette gives its first again.
EMSCRIPTEN_KEEPALIVE int WebLoopSeamless() { return loop.seamless; }

// The snapshot's name for now; the page gives it the video's extension.
EMSCRIPTEN_KEEPALIVE const char* WebSnapshotName() { return SnapshotDownloadName(); }
}
