// Mode 9 the Buddhabrot. Not drawn yet: the Canvas keeps its picture.
#include "modes/modes.h"

void DrawBuddhabrot() {}
