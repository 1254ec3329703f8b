#include "modes/zoom/zoom_cells.h"

int ZoomPointIndex(double pr, double pi, int limit) {
    double zr = 0.0;
    double zi = 0.0;
    int k = 0;
    while (k < limit) {
        const double nr = zr * zr - zi * zi + pr;
        const double ni = 2.0 * zr * zi + pi;
        zr = nr;
        zi = ni;
        ++k;
        if (zr * zr + zi * zi > 4.0) break;
    }
    if (k == limit) return 0;
    return 1 + 254 * k / limit;
}
