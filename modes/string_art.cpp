// Mode 4 three layers of string figures. Not drawn yet: the Canvas keeps its picture.
#include "modes/modes.h"

void DrawStringArt() {}
