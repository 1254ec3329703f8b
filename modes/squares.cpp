// Mode 7 four bouncing snakes of squares. Not drawn yet: the Canvas keeps its picture.
#include "modes/modes.h"

void DrawSquares() {}
