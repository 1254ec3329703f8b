// The part of the plane the Buddhabrot shows and the points it skips: the facts the
// plain counting and the lane counting share.
#pragma once

constexpr int kOrbitLength = 200;  // iteration limit, and points kept per orbit
constexpr double kPlaneHalfSize = 2.2;  // the Canvas shows -2.2..2.2 on both axes

// True for points of the main cardioid and the period-2 disc, which never escape.
bool InBuddhabrotBulbs(double sr, double si);
