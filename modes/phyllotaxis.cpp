// Mode 3 the sunflower spiral. Not drawn yet: the Canvas keeps its picture.
#include "modes/modes.h"

void DrawPhyllotaxis() {}
