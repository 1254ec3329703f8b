// Mode 6 sky, ridge and striped ground. Not drawn yet: the Canvas keeps its picture.
#include "modes/modes.h"

void DrawLandscape() {}
