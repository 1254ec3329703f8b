// The help hint: "F1 = HELP" in a darkened box above the strip for one second after
// any input, so a new user learns where the help is.
#include "app/art_state.h"
#include "app/platform.h"
#include "text/font.h"
#include "text/overlays.h"

namespace {
constexpr uint32_t kHintMs = 1000;
}

HintLayout ComputeHintLayout(int32_t width, int32_t height, int32_t textScaleSmall,
                             int32_t textScaleMedium) {
    HintLayout l;
    l.scale = textScaleSmall > 2 ? textScaleSmall : 2;
    const int32_t s = l.scale;
    l.textX = (width - 54 * s) / 2;  // 9 characters of 6 columns
    l.textY = height - 11 * (textScaleMedium + s);
    // 4s to the sides and 2s above and below the 7s-high text; the bottom edge stays
    // 2s above the strip's band whether or not the strip is shown.
    l.boxLeft = l.textX - 4 * s;
    l.boxTop = l.textY - 2 * s;
    l.boxRight = l.textX + 58 * s;
    l.boxBottom = l.textY + 9 * s;
    return l;
}

void DrawHelpHint(uint32_t* pixels) {
    if (!pixels || !art.hintEnabled) return;
    // Unsigned difference: correct across the tick counter's wrap after 49.7 days.
    if (PlatformTickCount() - art.lastInputTick > kHintMs) return;
    const int32_t w = art.canvasWidth;
    const int32_t h = art.canvasHeight;
    const HintLayout l = ComputeHintLayout(w, h, art.textScaleSmall, art.textScaleMedium);
    DarkenRect(pixels, w, h, l.boxLeft, l.boxTop, l.boxRight, l.boxBottom, 30);
    DrawFrameText(pixels, w, h, l.textX, l.textY, "F1 = HELP", kOverlayTextColour, l.scale);
}
