// Mode 2 ringed Voronoi cells. Not drawn yet: the Canvas keeps its picture.
#include "modes/modes.h"

void DrawVoronoi() {}
