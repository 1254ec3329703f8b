// Painting: the frame composed in the DIB section goes to the window, one plain copy
// when the client area has the Canvas size, otherwise scaled with its aspect kept.
#include <windows.h>

#include "app/art_state.h"
#include "app/frame.h"
#include "app/letterbox.h"
#include "app/shell_win32.h"

namespace {

void FillBlack(HDC dc, const ArtRect& r) {
    RECT rect = {r.left, r.top, r.right, r.bottom};
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void CopyFrame(HDC dc, HDC frame, int32_t cw, int32_t ch) {
    const FrameFit fit = FitFrame(cw, ch, art.canvasWidth, art.canvasHeight);
    if (fit.unscaled) {
        BitBlt(dc, 0, 0, art.canvasWidth, art.canvasHeight, frame, 0, 0, SRCCOPY);
        return;
    }
    ArtRect bars[kMaxBars];
    const int count = LetterboxBars(fit, cw, ch, bars);
    for (int i = 0; i < count; ++i) FillBlack(dc, bars[i]);
    // Dropping pixels instead of blending keeps the colours exact and is fast.
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, fit.x0, fit.y0, fit.dw, fit.dh, frame, 0, 0, art.canvasWidth, art.canvasHeight,
               SRCCOPY);
}

}  // namespace

void PaintFrame(HWND window, HDC dc) {
    RECT client;
    if (!GetClientRect(window, &client)) return;
    const int32_t cw = client.right - client.left;
    const int32_t ch = client.bottom - client.top;
    if (cw <= 0 || ch <= 0) return;  // minimised: nothing to show
    if (!art.dibSection) {
        // No frame could be made at start-up: a black window rather than garbage.
        FillBlack(dc, {0, 0, cw, ch});
        return;
    }
    HDC frame = CreateCompatibleDC(dc);
    if (!frame) return;
    HGDIOBJ kept = SelectObject(frame, static_cast<HGDIOBJ>(art.dibSection));
    CopyFrame(dc, frame, cw, ch);
    SelectObject(frame, kept);
    DeleteDC(frame);
}
