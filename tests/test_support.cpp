#include "tests/test_support.h"

#include <cstring>

#include "app/memory.h"
#include "modes/canvas.h"
#include "modes/random_source.h"
#include "tests/fake_platform.h"

namespace {
std::vector<uint32_t> framePixels;
}  // namespace

void UseCanvas(int32_t w, int32_t h, uint32_t seed) {
    ReleaseTestState();
    ResetFakePlatform();
    ArtFailAllocation(0);
    AllocateCanvas(w, h);
    art.randomState = seed;
}

void UseCanvasWithFrame(int32_t w, int32_t h, uint32_t seed) {
    UseCanvas(w, h, seed);
    framePixels.assign(static_cast<size_t>(art.canvasWidth) * art.canvasHeight, 0);
    art.dibPixels = framePixels.data();
}

void ReleaseTestState() {
    ReleaseCanvas();
    ReleaseModeScratch();
    ResetArtState();
    framePixels.clear();
}

std::vector<uint8_t> CanvasCopy() {
    size_t n = static_cast<size_t>(art.canvasWidth) * art.canvasHeight;
    return std::vector<uint8_t>(art.canvas, art.canvas + n);
}

std::vector<bool> IndicesUsed() {
    std::vector<bool> used(256, false);
    size_t n = static_cast<size_t>(art.canvasWidth) * art.canvasHeight;
    for (size_t i = 0; i < n; ++i) used[art.canvas[i]] = true;
    return used;
}

long StepsBetween(uint32_t from, uint32_t to, long limit) {
    uint32_t x = from;
    for (long steps = 0; steps <= limit; ++steps) {
        if (x == to) return steps;
        x = XorShift(x);
    }
    return -1;
}
