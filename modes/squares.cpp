// Mode 7: four snakes, each a small square stamped at every step as it wanders one
// pixel at a time, turns at random every 16 steps and bounces off the edges, taking
// the next colour index at every bounce.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "modes/squares.h"

namespace {
constexpr int kSnakeCount = 4;
constexpr double kStepsPerDetail = 4000.0;
constexpr double kSmallestSidePerRoot = 2.0;
constexpr int kMinSmallestSide = 2;
constexpr double kSideRangePerRoot = 6.0;
constexpr int kMinSideRange = 4;
constexpr int kTurnEvery = 16;

// -1, 0 or +1 from one draw.
int RandomStep() { return static_cast<int>(NextRandom() % 3u) - 1; }
}  // namespace

void DrawSnake(int steps, int smallestSide, int sideRange) {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    int x = RandomBelow(w);
    int y = RandomBelow(h);
    int dx = RandomStep();
    int dy = RandomStep();
    if (dx == 0 && dy == 0) dx = 1;
    // Eight bits on purpose: past 255 the snake draws in background colour until its
    // next bounce.
    uint8_t colour = static_cast<uint8_t>(RandomColour());
    const int side = smallestSide + RandomBelow(sideRange);
    const int maxX = w - side;
    const int maxY = h - side;

    for (int i = 0; i < steps; ++i) {
        // Only the first stamp can reach past the right or bottom edge; FillRect clips.
        FillRect(x, y, x + side - 1, y + side - 1, colour);

        x += dx;
        y += dy;
        // Left and top bounce only below 0; right and bottom already on reaching the
        // limit, so sliding along those edges raises the colour at every step.
        if (x < 0) {
            x = 0;
            dx = -dx;
            ++colour;
        }
        if (x >= maxX) {
            x = maxX;
            dx = -dx;
            ++colour;
        }
        if (y < 0) {
            y = 0;
            dy = -dy;
            ++colour;
        }
        if (y >= maxY) {
            y = maxY;
            dy = -dy;
            ++colour;
        }

        if (i % kTurnEvery == 0) {
            const int a = RandomStep();
            const int b = RandomStep();
            // b only decides whether the direction changes; a third draw gives dy.
            if (a != 0 || b != 0) {
                dx = a;
                dy = RandomStep();
            }
            if (dx == 0 && dy == 0) dx = 1;
        }
    }
}

void DrawSquares() {
    std::memset(art.canvas, 0, static_cast<size_t>(art.canvasWidth) * art.canvasHeight);
    const double root = std::sqrt(art.detailScale);
    const int steps = static_cast<int>(art.detailScale * kStepsPerDetail);
    int smallestSide = static_cast<int>(kSmallestSidePerRoot * root);
    if (smallestSide < kMinSmallestSide) smallestSide = kMinSmallestSide;
    int sideRange = static_cast<int>(kSideRangePerRoot * root);
    if (sideRange < kMinSideRange) sideRange = kMinSideRange;
    for (int s = 0; s < kSnakeCount; ++s) DrawSnake(steps, smallestSide, sideRange);
}
