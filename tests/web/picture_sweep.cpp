// One picture drawn as huemix-render draws it, by the core compiled to WebAssembly:
// for the sweep that compares the two builds' pictures over many seeds and sizes
// (scripts/libm_sweep.sh), run under Node.
#include <emscripten.h>

#include <cstdint>

#include "app/art_state.h"
#include "export/offline_job.h"

extern "C" {
// The picture's indices (width x height bytes), or null when its buffers could not be
// had. Valid until the next call.
EMSCRIPTEN_KEEPALIVE const uint8_t* SweepPicture(int width, int height, int mode, uint32_t seed) {
    ReleaseOfflineJob();
    OfflineOptions options;
    options.width = width;
    options.height = height;
    options.seedGiven = 1;
    options.seed = seed;
    options.mode = mode;
    options.threads = 1;
    if (RunOfflineJob(options, EffectiveSeed(options, 0)) != 0) return nullptr;
    return OfflineFrameIndices(options);
}

// Its 256 colours, as 0x00RRGGBB.
EMSCRIPTEN_KEEPALIVE const uint32_t* SweepPalette() { return art.palette; }
}
