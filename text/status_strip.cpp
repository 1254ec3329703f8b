// The status strip: a darkened band along the bottom edge with one line of state.
#include <cstdio>

#include "app/art_state.h"
#include "modes/modes.h"
#include "palette/presets.h"
#include "text/font.h"
#include "text/overlays.h"
#include "text/site_label.h"

namespace {
// A mode or preset number outside its table shows as "?" rather than reading past it.
const char* NameAt(const char* const* names, int count, int32_t i) {
    return i >= 0 && i < count ? names[i] : "?";
}
}  // namespace

StripLayout ComputeStripLayout(int32_t height, int32_t textScaleMedium) {
    StripLayout l;
    l.scale = textScaleMedium;
    l.top = height - 11 * l.scale;  // 7m of text with 2m above and below it
    l.textX = 4 * l.scale;
    l.textY = l.top + 2 * l.scale;
    return l;
}

void FormatStatusLine(char* buffer, size_t size) {
    if (!buffer || size == 0) return;
    const char* direction = art.paused ? "[PAUSED]" : art.rotationDirection > 0 ? ">>" : "<<";
    std::snprintf(buffer, size, "MODE %d  %s  %s  STEP %d  %dMS  %s%s  %s",
                  static_cast<int>(art.currentMode), NameAt(ModeNames, kModeCount, art.currentMode),
                  NameAt(PresetNames, kPresetCount, art.currentPreset),
                  static_cast<int>(art.rotationStep), static_cast<int>(art.rotationIntervalMs),
                  direction, art.autoCycle ? "  AUTO" : "", kSiteLabel);
}

void DrawStatusStrip(uint32_t* pixels) {
    if (!pixels || !art.statusStripShown) return;
    const int32_t w = art.canvasWidth;
    const int32_t h = art.canvasHeight;
    const StripLayout l = ComputeStripLayout(h, art.textScaleMedium);
    DarkenRect(pixels, w, h, 0, l.top, w, h, 25);
    char line[256];
    FormatStatusLine(line, sizeof line);
    DrawFrameText(pixels, w, h, l.textX, l.textY, line, kOverlayTextColour, l.scale);
}
