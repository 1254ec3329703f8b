// The built-in 5 x 7 bitmap font and the two text operations that share its rules.
#pragma once
#include <cstdint>

constexpr int kGlyphCount = 56;

// One glyph: its character code and seven rows, top first; bit 4 is the leftmost column.
struct GlyphRecord {
    uint8_t code;
    uint8_t rows[7];
};
extern const GlyphRecord GlyphTable[kGlyphCount];

// Writes text into the Canvas in a colour index, each font pixel a scale x scale block.
void DrawCanvasText(int x, int y, const char* text, uint8_t colourIndex, int scale);

// Writes text into a width x height buffer of 32-bit pixels in a fixed colour.
void DrawFrameText(uint32_t* pixels, int width, int height, int x, int y, const char* text,
                   uint32_t colour, int scale);
