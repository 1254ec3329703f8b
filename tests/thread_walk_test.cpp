#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "modes/thread_walk.h"

namespace {
// Draws the line and takes the classic walk's pixels off it again: every one must be
// there, and nothing may be left.
bool SameAsClassicWalk(std::vector<uint8_t>& canvas, int w, int x0, int y0, int x1, int y1) {
    WalkThreadOnCanvas(canvas.data(), w, x0, y0, x1, y1, 7);
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0), sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy, x = x0, y = y0;
    bool same = true;
    for (;;) {
        uint8_t& pixel = canvas[static_cast<size_t>(y) * w + x];
        same = same && pixel == 7;
        pixel = 0;
        if (x == x1 && y == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x += sx;
        if (e2 <= dx) err += dx, y += sy;
    }
    const int top = std::min(y0, y1), bottom = std::max(y0, y1) + 1;
    return same && std::all_of(canvas.begin() + static_cast<ptrdiff_t>(top) * w,
                               canvas.begin() + static_cast<ptrdiff_t>(bottom) * w, [](uint8_t v) { return v == 0; });
}
}  // namespace

TEST(ThreadWalk, EveryLineFromTheCentreOfASmallCanvas) {
    // Every direction and every length up to 48, short threads walked whole and longer
    // ones in pieces, lines that end on the first and last rows and columns among them.
    const int w = 97, h = 61;
    std::vector<uint8_t> canvas(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            ASSERT_TRUE(SameAsClassicWalk(canvas, w, 48, 30, x, y)) << "to " << x << ", " << y;
            ASSERT_TRUE(SameAsClassicWalk(canvas, w, x, y, 48, 30)) << "from " << x << ", " << y;
        }
    }
}

TEST(ThreadWalk, LongLinesAcrossALargeCanvas) {
    // Corner to every third pixel of the edges, and a single pixel: lengths up to 1,200.
    const int w = 1201, h = 801;
    std::vector<uint8_t> canvas(static_cast<size_t>(w) * h, 0);
    ASSERT_TRUE(SameAsClassicWalk(canvas, w, 600, 400, 600, 400));
    for (int k = 0; k < w; k += 3) {
        ASSERT_TRUE(SameAsClassicWalk(canvas, w, 0, 0, k, h - 1)) << k;
        ASSERT_TRUE(SameAsClassicWalk(canvas, w, w - 1, h - 1, k, 0)) << k;
    }
    for (int k = 0; k < h; k += 3) {
        ASSERT_TRUE(SameAsClassicWalk(canvas, w, 0, h - 1, w - 1, k)) << k;
        ASSERT_TRUE(SameAsClassicWalk(canvas, w, w - 1, 0, 0, k)) << k;
    }
}
