#include "modes/buddhabrot/buddhabrot_plane.h"

bool InBuddhabrotBulbs(double sr, double si) {
    const double t = sr - 0.25;
    const double q = t * t + si * si;
    if (0.25 * si * si > q * (q + t)) return true;
    return (sr + 1.0) * (sr + 1.0) + si * si < 0.0625;
}
