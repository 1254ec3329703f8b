#include "text/overlays.h"

void DrawHelpScreen() {}
