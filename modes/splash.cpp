// Mode 0 the title screen. Not drawn yet: the Canvas keeps its picture.
#include "modes/modes.h"

void DrawSplash() {}
