// Frame composition: the Canvas mapped through the Palette into the 32-bit frame
// pixels, with the overlays on top; and the arithmetic of fitting the frame into a
// window of another size.
#pragma once
#include <cstdint>

// Builds the frame in art.dibPixels; does nothing while there are no frame pixels.
void ComposeFrame();

// ComposeFrame, then ask for the window to be painted again.
void Refresh();

// Where the picture goes in a client area of cw x ch, aspect kept: x0, y0, dw, dh.
// unscaled is 1 when the client area has the Canvas size (one plain copy, no bars).
struct FrameFit {
    int32_t x0;
    int32_t y0;
    int32_t dw;
    int32_t dh;
    int32_t unscaled;
};
FrameFit FitFrame(int32_t cw, int32_t ch, int32_t canvasWidth, int32_t canvasHeight);
