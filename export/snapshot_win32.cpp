// F12: saving the frame as a PNG file. Not written yet: every snapshot fails.
#include "app/platform.h"

int32_t SaveSnapshot() { return -1; }
