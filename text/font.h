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

// The glyph drawn for a character code: lower case folded to upper case, and the blank
// record 0 for any code the table lacks.
const GlyphRecord& FindGlyph(unsigned char code);

// Both operations draw one line: every set font pixel becomes a scale x scale block,
// clear pixels leave the background alone, and the pen advances 6 x scale per
// character. Pixels outside the buffer are skipped; a null or empty text or a scale of
// 0 or less draws nothing.

// Writes text into the Canvas in a colour index.
void DrawCanvasText(int x, int y, const char* text, uint8_t colourIndex, int scale);

// Writes text into a width x height buffer of 32-bit pixels in a fixed colour.
void DrawFrameText(uint32_t* pixels, int width, int height, int x, int y, const char* text,
                   uint32_t colour, int scale);
