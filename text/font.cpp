#include "text/font.h"

const GlyphRecord GlyphTable[kGlyphCount] = {};

void DrawCanvasText(int, int, const char*, uint8_t, int) {}

void DrawFrameText(uint32_t*, int, int, int, int, const char*, uint32_t, int) {}
