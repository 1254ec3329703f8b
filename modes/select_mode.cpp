#include "app/art_state.h"
#include "modes/modes.h"

const char* const ModeNames[kModeCount] = {
    "SPLASH",     "PLASMA",    "VORONOI",   "PHYLLOTAXIS",     "STRING ART",
    "REACTION-DIFFUSION", "LANDSCAPE", "SQUARES", "MANDELBROT ZOOM", "BUDDHABROT",
};

const ZoomPoint ZoomTargets[8] = {
    {-0.7435, 0.1314}, {-0.7453, 0.1127},   {-1.4011, 0.0},   {-0.1592, -1.0317},
    {0.27, -0.004},    {-0.74543, 0.11301}, {-0.7269, 0.1889}, {0.43, 0.34},
};

void SelectMode(int mode) {
    switch (mode) {
        case 0: DrawSplash(); break;
        case 1: DrawPlasma(); break;
        case 2: DrawVoronoi(); break;
        case 3: DrawPhyllotaxis(); break;
        case 4: DrawStringArt(); break;
        case 5: DrawReactionDiffusion(); break;
        case 6: DrawLandscape(); break;
        case 7: DrawSquares(); break;
        case 8:
            // Every entry into the zoom starts afresh rather than resuming. A buffer
            // refused before is asked for once more: the zoom's frames do not retry,
            // and one failure must not end the zoom for the rest of the run.
            if (!art.zoomBuffer) {
                art.bufferWidth = 0;
                art.bufferHeight = 0;
            }
            ChooseZoomTarget();
            DrawMandelbrotZoom();
            break;
        case 9: DrawBuddhabrot(); break;
        default:
            DrawPlasma();
            mode = 1;
            break;
    }
    art.currentMode = mode;
}
