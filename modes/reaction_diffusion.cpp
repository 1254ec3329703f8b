// Mode 5 a Gray-Scott pattern. Not drawn yet: the Canvas keeps its picture.
#include "modes/modes.h"

void DrawReactionDiffusion() {}
