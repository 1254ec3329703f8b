#include "text/overlays.h"

void DrawHelpHint(uint32_t*) {}
