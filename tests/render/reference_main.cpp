// The renderer tests' reference: the core driven the way the running program drives it
// (start-up, then the adjustment as a key press, then timer 1 ticks, and for an
// animation the two timers of rotation and zoom firing in time order), with the
// Canvas, the Palette and the composed frame dumped raw after every frame. The
// renderer's files must equal these dumps pixel for pixel.
//
//   huemix-render-reference OUT W H SEED PRESET MODE ZOOM HUE SAT BRI TICKS STEP DIR
//                           PAUSED OVERLAY FRAMES DELAY
//
// OUT: "HMXR", then u32 width, height, frames, overlay; per frame the Canvas bytes,
// 256 u32 Palette entries and, with an overlay, the composed frame's u32 pixels; at
// the end the u32 random state. All little-endian.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/art_state.h"
#include "app/frame.h"
#include "app/platform_headless.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "palette/palette.h"
#include "palette/presets.h"

namespace {
void PutU32(std::FILE* f, uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, f);
}

void DumpFrame(std::FILE* f, int overlay) {
    const size_t n = static_cast<size_t>(art.canvasWidth) * art.canvasHeight;
    std::fwrite(art.canvas, 1, n, f);
    for (int i = 0; i < 256; ++i) PutU32(f, art.palette[i]);
    if (overlay) {
        ComposeFrame();
        for (size_t i = 0; i < n; ++i) PutU32(f, art.dibPixels[i]);
    }
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 18) {
        std::fprintf(stderr, "usage: %s OUT W H SEED PRESET MODE ZOOM HUE SAT BRI TICKS STEP DIR PAUSED "
                             "OVERLAY FRAMES DELAY\n", argv[0]);
        return 2;
    }
    const int w = std::atoi(argv[2]);
    const int h = std::atoi(argv[3]);
    const uint32_t seed = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 0));
    const int preset = std::atoi(argv[5]);
    const int mode = std::atoi(argv[6]);
    const int zoomFrames = std::atoi(argv[7]);
    const double hue = std::atof(argv[8]);
    const double saturation = std::atof(argv[9]);
    const double brightness = std::atof(argv[10]);
    const int ticks = std::atoi(argv[11]);
    const int step = std::atoi(argv[12]);
    const int direction = std::atoi(argv[13]);
    const int paused = std::atoi(argv[14]);
    const int overlay = std::atoi(argv[15]);  // 0 none, 1 strip, 2 help
    const int frames = std::atoi(argv[16]);
    const int delay = std::atoi(argv[17]);

    // Start-up.
    if (AllocateCanvas(w, h) != 0) return 1;
    std::vector<uint32_t> framePixels(static_cast<size_t>(art.canvasWidth) * art.canvasHeight);
    art.dibPixels = framePixels.data();
    art.randomState = seed == 0 ? 0xC0FFEEu : seed;
    art.currentPreset = preset;
    NewPalette();
    SelectMode(mode);
    // Timer 5 while the zoom is on.
    for (int i = 0; i < zoomFrames; ++i) {
        if (art.currentMode == 8) DrawMandelbrotZoom();
    }
    // The adjustment keys: parameter changed, then the palette adjusted.
    art.hueShift = hue;
    art.saturationFactor = saturation;
    art.brightnessFactor = brightness;
    if (hue != 0.0 || saturation != 1.0 || brightness != 1.0) AdjustPalette();
    art.rotationStep = step;
    art.rotationDirection = direction;
    art.paused = paused;
    art.rotationIntervalMs = delay;
    for (int i = 0; i < ticks; ++i) RotatePalette();  // timer 1

    // The overlays as a frame without recent input shows them.
    art.statusStripShown = overlay == 1;
    art.helpShown = overlay == 2;
    art.autoCycle = 0;
    art.lastInputTick = 0;
    HeadlessSetTick(0x80000000u);

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    std::fwrite("HMXR", 1, 4, out);
    PutU32(out, static_cast<uint32_t>(art.canvasWidth));
    PutU32(out, static_cast<uint32_t>(art.canvasHeight));
    PutU32(out, static_cast<uint32_t>(frames));
    PutU32(out, static_cast<uint32_t>(overlay));
    DumpFrame(out, overlay);
    // Animation: timer 1 every delay ms, timer 5 every 120 ms; a frame at each tick.
    long long nextZoom = 120;
    for (int frame = 1; frame < frames; ++frame) {
        const long long now = static_cast<long long>(frame) * delay;
        for (; nextZoom <= now; nextZoom += 120) {
            if (art.currentMode == 8) DrawMandelbrotZoom();
        }
        RotatePalette();
        DumpFrame(out, overlay);
    }
    PutU32(out, art.randomState);
    return std::fclose(out) == 0 ? 0 : 1;
}
