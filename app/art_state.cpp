#include "app/art_state.h"

ArtState art;

void ResetArtState() { art = ArtState{}; }
