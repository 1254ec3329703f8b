// The string art's threads: straight lines of one colour between two pixels, both
// ends included.
#pragma once
#include <cstdint>

// The line's pixels as the classic error-stepping walk from (x0, y0) takes them,
// both ends on the w-wide Canvas.
void WalkThreadOnCanvas(uint8_t* canvas, int w, int x0, int y0, int x1, int y1, uint8_t colour);
