// Mode 8: the Mandelbrot zoom. Not drawn yet: the Canvas keeps its picture.
#include "app/art_state.h"
#include "modes/modes.h"
#include "modes/random_source.h"

void ChooseZoomTarget() {
    art.zoomHalfHeight = 1.6;
    const ZoomPoint& target = ZoomTargets[NextRandom() & 7];
    art.zoomCentreX = target.re;
    art.zoomCentreY = target.im;
}

void DrawMandelbrotZoom() {}
