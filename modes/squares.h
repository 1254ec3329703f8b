// The squares mode's snake, for the mode itself and its tests.
#pragma once

// Draws one snake into the Canvas: its six starting draws, then `steps` stamps, moves
// and bounces with a direction choice every 16th step. Does not clear the Canvas.
void DrawSnake(int steps, int smallestSide, int sideRange);
