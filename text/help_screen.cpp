// The help screen: every key and every mode in two right/left-aligned columns on black,
// drawn in colour indices so that it takes the palette's colours and cycles with them.
#include <cstring>

#include "app/art_state.h"
#include "text/font.h"
#include "text/overlays.h"

const char* const HelpKeys[kHelpKeyCount] = {
    "1-9", "ESC", "ENTER", "P",      "R",  "[ ]", "H",   "V",     "B",
    "+ -", "SPACE", "S",   "CTRL-S", "F1", "F11", "F12", "Q / X",
};

const char* const HelpTexts[kHelpKeyCount] = {
    "DRAWING MODE",
    "NEW IMAGE THIS MODE",
    "NEW PALETTE",
    "CYCLE PALETTE PRESET (SHIFT-P REVERSE)",
    "REVERSE PALETTE ROTATION DIRECTION",
    "ROTATION STEP SIZE (1 2 4 8)",
    "HUE SHIFT (SHIFT-H REVERSE)",
    "SATURATION TOGGLE",
    "BRIGHTNESS TOGGLE",
    "ROTATION SPEED FASTER / SLOWER",
    "PAUSE PALETTE ROTATION",
    "STATUS STRIP TOGGLE",
    "AUTO-CYCLE MODES (30S)",
    "TOGGLE THIS HELP",
    "FULLSCREEN TOGGLE",
    "SAVE FRAME AS PNG",
    "QUIT (ALT-F4 ALSO)",
};

const char* const HelpModeKeys[kHelpModeCount] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};

// The help screen has wording of its own for two modes (the strip says LANDSCAPE, SQUARES).
const char* const HelpModeNames[kHelpModeCount] = {
    "PLASMA",          "VORONOI",           "PHYLLOTAXIS",   "STRING ART",      "REACTION-DIFFUSION",
    "FRACTAL LANDSCAPE", "SQUARES SNAKE", "MANDELBROT ZOOM", "BUDDHABROT",
};

namespace {
constexpr const char* kHelpTitle = "KORVANES HUEMIX";

constexpr uint8_t kTitleIndex = 255;
constexpr uint8_t kHeadingIndex = 220;
constexpr uint8_t kKeyIndex = 200;
constexpr uint8_t kTextIndex = 180;

int32_t TextWidth(const char* text, int32_t scale) {
    return 6 * scale * static_cast<int32_t>(std::strlen(text));
}

int32_t WidestOf(const char* const* texts, int count, int32_t scale, int32_t widest) {
    for (int i = 0; i < count; ++i) {
        const int32_t w = TextWidth(texts[i], scale);
        if (w > widest) widest = w;
    }
    return widest;
}

// One row: the key right-aligned against the key column's edge, the description after
// the gap.
void DrawHelpRow(const HelpLayout& layout, int32_t y, const char* key, const char* text) {
    DrawCanvasText(layout.left + layout.keyW - TextWidth(key, layout.a), y, key, kKeyIndex,
                   layout.a);
    DrawCanvasText(layout.textX, y, text, kTextIndex, layout.a);
}
}  // namespace

HelpLayout ComputeHelpLayout(int32_t width, int32_t height, int32_t textScaleSmall) {
    HelpLayout l;
    l.a = textScaleSmall + 1 > 2 ? textScaleSmall + 1 : 2;
    l.t = l.a + 1;
    l.line = 11 * l.a;
    l.gap = 12 * l.a;
    l.keyW = WidestOf(HelpKeys, kHelpKeyCount, l.a, 0);
    // The single digits of the mode list are never wider than the key column.
    l.textW = WidestOf(HelpModeNames, kHelpModeCount, l.a,
                       WidestOf(HelpTexts, kHelpKeyCount, l.a, 0));
    l.left = (width - l.textW - l.gap - l.keyW) / 2;
    l.textX = l.left + l.keyW + l.gap;
    // Centred as the title plus 32 line pitches; kept at least 4 from the top, so short
    // screens lose their bottom rows, never the title.
    l.top = (height - 32 * l.line - 7 * l.t) / 2;
    if (l.top < 4) l.top = 4;
    l.titleX = (width - TextWidth(kHelpTitle, l.t)) / 2;
    l.keysY = l.top + 7 * l.t + 2 * l.line;
    l.modesY = l.keysY + (kHelpKeyCount + 2) * l.line;
    return l;
}

void DrawHelpScreen() {
    if (!art.canvas) return;
    const size_t n = static_cast<size_t>(art.canvasWidth) * static_cast<size_t>(art.canvasHeight);
    std::memset(art.canvas, 0, n);
    const HelpLayout l = ComputeHelpLayout(art.canvasWidth, art.canvasHeight, art.textScaleSmall);
    DrawCanvasText(l.titleX, l.top, kHelpTitle, kTitleIndex, l.t);
    DrawCanvasText(l.left, l.keysY, "KEYS", kHeadingIndex, l.a);
    int32_t y = l.keysY;
    for (int i = 0; i < kHelpKeyCount; ++i) {
        y += l.line;
        DrawHelpRow(l, y, HelpKeys[i], HelpTexts[i]);
    }
    DrawCanvasText(l.left, l.modesY, "MODES", kHeadingIndex, l.a);
    y = l.modesY;
    for (int i = 0; i < kHelpModeCount; ++i) {
        y += l.line;
        DrawHelpRow(l, y, HelpModeKeys[i], HelpModeNames[i]);
    }
}
