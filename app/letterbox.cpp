#include "app/letterbox.h"

int LetterboxBars(const FrameFit& fit, int32_t cw, int32_t ch, ArtRect bars[kMaxBars]) {
    if (fit.unscaled) return 0;
    int count = 0;
    const int32_t pictureBottom = fit.y0 + fit.dh;
    const int32_t pictureRight = fit.x0 + fit.dw;
    if (fit.y0 > 0) bars[count++] = {0, 0, cw, fit.y0};
    if (pictureBottom < ch) bars[count++] = {0, pictureBottom, cw, ch};
    if (fit.x0 > 0) bars[count++] = {0, 0, fit.x0, ch};
    if (pictureRight < cw) bars[count++] = {pictureRight, 0, cw, ch};
    return count;
}
