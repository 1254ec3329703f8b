#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "text/font.h"

namespace {
// A frame of w x h pixels, 0 where nothing was drawn.
struct Frame {
    int w, h;
    std::vector<uint32_t> px;
    Frame(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height) {}
    void Text(int x, int y, const char* text, int scale, uint32_t colour = 1) {
        DrawFrameText(px.data(), w, h, x, y, text, colour, scale);
    }
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
    bool Blank() const {
        for (uint32_t p : px) if (p != 0) return false;
        return true;
    }
};
}  // namespace

TEST(GlyphTable, HoldsPunctuationDigitsAndLettersInTableOrder) {
    const char* punctuation = " !\"#'()+,-./";
    for (int i = 0; i < 12; ++i) EXPECT_EQ(GlyphTable[i].code, punctuation[i]);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(GlyphTable[12 + i].code, '0' + i);
    const char* more = ":;<=>?[]";
    for (int i = 0; i < 8; ++i) EXPECT_EQ(GlyphTable[22 + i].code, more[i]);
    for (int i = 0; i < 26; ++i) EXPECT_EQ(GlyphTable[30 + i].code, 'A' + i);
    for (const GlyphRecord& g : GlyphTable)
        for (uint8_t row : g.rows) EXPECT_EQ(row & 0xE0, 0) << g.code;
}

TEST(Font, EveryGlyphOneToOneAtScaleOneAndInBlocksAtScaleThree) {
    for (const GlyphRecord& g : GlyphTable) {
        const char text[2] = {static_cast<char>(g.code), 0};
        for (int s : {1, 3}) {
            Frame f(6 * s, 7 * s);
            f.Text(0, 0, text, s);
            for (int y = 0; y < 7 * s; ++y)
                for (int x = 0; x < 6 * s; ++x) {
                    const int col = x / s;
                    const bool ink = col < 5 && (g.rows[y / s] >> (4 - col) & 1);
                    ASSERT_EQ(f.At(x, y), ink ? 1u : 0u) << g.code << " scale " << s;
                }
        }
    }
    Frame a(6, 7);
    a.Text(0, 0, "A", 1);  // row byte 0E: columns 1, 2 and 3
    EXPECT_EQ(a.At(0, 0), 0u);
    EXPECT_EQ(a.At(1, 0) & a.At(2, 0) & a.At(3, 0), 1u);
    EXPECT_EQ(a.At(4, 0), 0u);
}

TEST(Font, LowerCaseDrawsItsUpperCaseLetter) {
    Frame lower(6 * 26, 7), upper(6 * 26, 7);
    lower.Text(0, 0, "abcdefghijklmnopqrstuvwxyz", 1);
    upper.Text(0, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1);
    EXPECT_EQ(lower.px, upper.px);
}

TEST(Font, AdvanceInkAndUnknownCodes) {
    // "F1 = HELP" at scale 2: ink 106 columns by 14 rows, next character at 108.
    Frame f(130, 20);
    f.Text(0, 0, "F1 = HELP", 2);
    int maxX = -1, maxY = -1;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 130; ++x)
            if (f.At(x, y)) maxX = std::max(maxX, x), maxY = std::max(maxY, y);
    EXPECT_EQ(maxX, 105);
    EXPECT_EQ(maxY, 13);
    Frame joined(130, 20);
    joined.Text(0, 0, "F1 = HELPE", 2);
    f.Text(108, 0, "E", 2);
    EXPECT_EQ(joined.px, f.px);

    // Codes without a glyph are blank cells: the characters after them keep their places.
    Frame unknown(60, 7), plain(60, 7);
    unknown.Text(0, 0, "A%*_\\{}\n\x7F\x80\xFFZ", 1);
    plain.Text(0, 0, "A", 1);
    plain.Text(66, 0, "Z", 1);  // off this frame: only A shows
    EXPECT_EQ(unknown.px, plain.px);
    Frame percent(60, 7);
    percent.Text(0, 0, "%%%%%", 1);
    EXPECT_TRUE(percent.Blank());
}

TEST(Font, ClippedDrawingIsACropOfTheWholeDrawing) {
    // Drawing at (x, y) into a small frame must equal cutting that window out of a
    // large drawing, for text running off every edge.
    const char* text = "HUEMIX 42";
    for (int s = 1; s <= 3; ++s) {
        const int margin = 60 * s;
        Frame big(40 + 2 * margin, 12 + 2 * margin);
        big.Text(margin, margin, text, s);
        for (int y = -8 * s; y <= 12; y += 3)
            for (int x = -56 * s; x <= 40; x += 5) {
                Frame small(40, 12);
                small.Text(x, y, text, s);
                for (int py = 0; py < 12; ++py)
                    for (int px = 0; px < 40; ++px)
                        ASSERT_EQ(small.At(px, py), big.At(margin - x + px, margin - y + py))
                            << x << "," << y << " scale " << s;
            }
    }
    // At x = -12, scale 2, exactly the first cell is lost and the second starts at 0.
    Frame shifted(60, 14), second(60, 14);
    shifted.Text(-12, 0, "WB", 2);
    second.Text(0, 0, "B", 2);
    EXPECT_EQ(shifted.px, second.px);
}

TEST(Font, DegenerateCallsDrawNothingAndExtremesStayInside) {
    Frame f(16, 16);
    f.Text(0, 0, "HELLO", 0);
    f.Text(0, 0, "HELLO", -3);
    f.Text(0, 0, "", 2);
    f.Text(0, 0, nullptr, 2);
    f.Text(INT_MAX, 0, "HELLO", 2);
    f.Text(INT_MIN, INT_MIN, "HELLO", 2);
    f.Text(0, INT_MAX, "HELLO", INT_MAX);
    EXPECT_TRUE(f.Blank());
    DrawFrameText(nullptr, 16, 16, 0, 0, "H", 1, 1);
    // H's top-left font pixel at a huge scale covers the whole frame, without walking
    // the pixels outside it.
    f.Text(0, 0, "H", INT_MAX);
    for (uint32_t p : f.px) EXPECT_EQ(p, 1u);
}

TEST(Font, CanvasTextWritesItsIndexAndRedrawingChangesNothing) {
    UseCanvas(320, 200);
    std::memset(art.canvas, 7, 320 * 200);
    DrawCanvasText(10, 20, "HI", 200, 2);
    std::vector<uint8_t> once = CanvasCopy();
    DrawCanvasText(10, 20, "HI", 200, 2);
    EXPECT_EQ(CanvasCopy(), once);
    EXPECT_EQ(art.canvas[20 * 320 + 10], 200);  // H row 0, column 0
    EXPECT_EQ(art.canvas[20 * 320 + 12], 7);    // H row 0, column 1 is clear
    int written = 0;
    for (uint8_t b : once) written += b == 200;
    EXPECT_EQ(written, 4 * (17 + 11));  // ink pixels of H and I, 4 each at scale 2
    ReleaseTestState();
    DrawCanvasText(0, 0, "HI", 200, 2);  // no Canvas: nothing to draw into
}
