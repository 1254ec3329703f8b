// One frame's reduced image of the zoom and the colour of one point: what the plain
// loop and the vector lanes share.
#pragma once
#include <cstdint>

// Colour index of the point (pr, pi) with at most limit iterations: 0 for the set
// (and for an escape on the last iteration), else 1 + 254 x count / limit.
int ZoomPointIndex(double pr, double pi, int limit);

// The cells of one frame's reduced image: width x height, cell (col, row) at the point
// ((col - width x 0.5) x step + centreX, (row - height x 0.5) x step + centreY).
struct ZoomCells {
    uint8_t* cells;
    int width;
    int height;
    int limit;
    double step;
    double centreX;
    double centreY;
};
