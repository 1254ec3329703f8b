#include "text/overlays.h"

void DrawStatusStrip(uint32_t*) {}
