// A thread with both ends on the Canvas, walked along its longer (major) axis: every
// pixel moves one step along it and, when the error says so, one along the other axis.
//
// With D the major and A the minor length (D >= A), pixel k of the walk lies
// floor((2Ak + D) / 2D) minor steps from the start, and the walk's error before it is
// D (1 + that) - A (k + 1). So the line can be cut into pieces whose walks start from
// those closed forms and run in lockstep: each piece's error is a chain of its own,
// and the processor overlaps them where one walk would wait on every step.
#include "modes/thread_walk.h"

#include <cstddef>

namespace {
#if defined(__wasm__)
// The browser's compiler turns a choice into a compare, a flag test and a move, with
// spills between; a mask from the error's sign is shorter, and more pieces hide it.
constexpr int kPieces = 4;
inline void Step(uint8_t*& p, int& f, ptrdiff_t major, ptrdiff_t minor, int D, int A) {
    const int stay = (D - 2 * f) >> 31;  // all ones when no minor step is due
    f += (D & ~stay) - A;
    p += major + (minor & ~static_cast<ptrdiff_t>(stay));
}
#else
// A guessed branch costs nothing on the steps it gets right; two pieces are enough.
constexpr int kPieces = 2;
inline void Step(uint8_t*& p, int& f, ptrdiff_t major, ptrdiff_t minor, int D, int A) {
    const bool side = 2 * f <= D;
    f += (side ? D : 0) - A;
    p += major + (side ? minor : 0);
}
#endif
constexpr int kShortestPiece = 4;  // shorter threads are walked in one piece

// Pixels 0 to D; every step lands on a pixel of the line, the last on pixel D.
void WalkMajor(uint8_t* start, ptrdiff_t major, ptrdiff_t minor, int D, int A, uint8_t colour) {
    const int count = D;
    const int share = count / kPieces;
    uint8_t* p[kPieces];
    int f[kPieces];
    int rest = count;
    if (share >= kShortestPiece) {
        for (int j = 0; j < kPieces; ++j) {
            const long long k = static_cast<long long>(j) * share;
            const long long minorSteps = (2 * A * k + D) / (2 * static_cast<long long>(D));
            f[j] = static_cast<int>(D * (1 + minorSteps) - A * (k + 1));
            p[j] = start + k * major + minorSteps * minor;
        }
        for (int n = share; n > 0; --n) {
            for (int j = 0; j < kPieces; ++j) {
                *p[j] = colour;
                Step(p[j], f[j], major, minor, D, A);
            }
        }
        rest = count - kPieces * share;  // the last piece goes on to the end
    } else {
        p[kPieces - 1] = start;
        f[kPieces - 1] = D - A;
    }
    uint8_t* last = p[kPieces - 1];
    int lastError = f[kPieces - 1];
    for (; rest > 0; --rest) {
        *last = colour;
        Step(last, lastError, major, minor, D, A);
    }
    *last = colour;
}
}  // namespace

void WalkThreadOnCanvas(uint8_t* canvas, int w, int x0, int y0, int x1, int y1, uint8_t colour) {
    const int dx = x1 > x0 ? x1 - x0 : x0 - x1;
    const int dy = y1 > y0 ? y1 - y0 : y0 - y1;
    const ptrdiff_t sx = x0 < x1 ? 1 : -1;
    const ptrdiff_t sy = y0 < y1 ? w : -static_cast<ptrdiff_t>(w);
    uint8_t* start = canvas + static_cast<size_t>(y0) * w + x0;
    if (dx >= dy) {
        WalkMajor(start, sx, sy, dx, dy, colour);
    } else {
        WalkMajor(start, sy, sx, dy, dx, colour);
    }
}
