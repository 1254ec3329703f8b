// Times every drawing mode and the composition of one frame at a chosen Canvas size,
// and prints one line per item in milliseconds. Usage: huemix_bench [WIDTHxHEIGHT].
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/art_state.h"
#include "app/frame.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "palette/presets.h"

namespace {
using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Reads "WIDTHxHEIGHT"; false when the text is not two positive numbers.
bool ParseSize(const char* text, int* width, int* height) {
    char* end = nullptr;
    const long w = std::strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X')) return false;
    const char* rest = end + 1;
    const long h = std::strtol(rest, &end, 10);
    if (end == rest || *end != '\0' || w <= 0 || h <= 0 || w > 16384 || h > 16384) return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    int width = 1920;
    int height = 1080;
    if (argc > 1 && !ParseSize(argv[1], &width, &height)) {
        std::fprintf(stderr, "usage: huemix_bench [WIDTHxHEIGHT]\n");
        return 2;
    }
    if (AllocateCanvas(width, height) != 0) {
        std::fprintf(stderr, "huemix_bench: no memory for a %dx%d canvas\n", width, height);
        return 1;
    }
    std::vector<uint32_t> frame(static_cast<size_t>(art.canvasWidth) * art.canvasHeight);
    art.dibPixels = frame.data();
    art.randomState = 0x5EED1234u;  // a fixed seed, so runs time the same pictures
    NewPalette();

    std::printf("canvas %dx%d\n", art.canvasWidth, art.canvasHeight);
    for (int mode = 1; mode < kModeCount; ++mode) {
        const Clock::time_point start = Clock::now();
        SelectMode(mode);
        std::printf("mode %d %-20s %10.1f ms\n", mode, ModeNames[mode], MillisecondsSince(start));
        if (mode == kZoomModeNumber) {
            // The timer frames, zooming in from the first one.
            const int frames = 5;
            for (int i = 1; i <= frames; ++i) {
                const Clock::time_point frameStart = Clock::now();
                DrawMandelbrotZoom();
                std::printf("mode 8 zoom frame %-9d %10.1f ms\n", i + 1, MillisecondsSince(frameStart));
            }
        }
    }

    const int compositions = 20;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < compositions; ++i) ComposeFrame();
    std::printf("%-27s %10.2f ms\n", "compose frame", MillisecondsSince(start) / compositions);

    art.dibPixels = nullptr;
    ReleaseCanvas();
    return 0;
}
