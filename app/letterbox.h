// The black bars around a scaled frame: every strip of the client area that the
// picture does not cover.
#pragma once
#include <cstdint>

#include "app/art_state.h"
#include "app/frame.h"

constexpr int kMaxBars = 4;

// Fills bars with the rectangles (left, top, right, bottom) beside the picture placed
// by fit in a client area of cw x ch and returns how many there are. When the free
// space has an odd size the bar after the picture is one pixel thicker than the one
// before it, so no row or column is left unpainted.
int LetterboxBars(const FrameFit& fit, int32_t cw, int32_t ch, ArtRect bars[kMaxBars]);
