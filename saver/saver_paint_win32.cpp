// Painting the saver's windows: a monitor's part of the frame, or the whole frame
// letterboxed, or the whole frame shrunk smoothly into the preview.
#include <windows.h>

#include "app/art_state.h"
#include "app/frame.h"
#include "app/letterbox.h"
#include "saver/saver_win32.h"

namespace {

void FillBlack(HDC dc, const ArtRect& r) {
    RECT rect = {r.left, r.top, r.right, r.bottom};
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

bool ClientSize(HWND window, int32_t* cw, int32_t* ch) {
    RECT client;
    if (!GetClientRect(window, &client)) return false;
    *cw = client.right - client.left;
    *ch = client.bottom - client.top;
    return *cw > 0 && *ch > 0;
}

// A memory DC with the frame selected into it, or null; FrameDone puts back what the
// frame replaced and deletes it.
HDC FrameDC(HDC dc, HGDIOBJ* kept) {
    HDC frame = CreateCompatibleDC(dc);
    if (frame) *kept = SelectObject(frame, static_cast<HGDIOBJ>(art.dibSection));
    return frame;
}

void FrameDone(HDC frame, HGDIOBJ kept) {
    SelectObject(frame, kept);
    DeleteDC(frame);
}

}  // namespace

void PaintSaverFrame(HWND window, HDC dc, ArtRect source) {
    int32_t cw = 0;
    int32_t ch = 0;
    if (!ClientSize(window, &cw, &ch)) return;
    const int32_t sw = source.right - source.left;
    const int32_t sh = source.bottom - source.top;
    if (!art.dibSection || sw <= 0 || sh <= 0) {
        FillBlack(dc, {0, 0, cw, ch});
        return;
    }
    const FrameFit fit = FitFrame(cw, ch, sw, sh);
    ArtRect bars[kMaxBars];
    const int count = LetterboxBars(fit, cw, ch, bars);
    for (int i = 0; i < count; ++i) FillBlack(dc, bars[i]);
    HGDIOBJ kept = nullptr;
    HDC frame = FrameDC(dc, &kept);
    if (!frame) return;
    if (fit.unscaled) {
        BitBlt(dc, 0, 0, sw, sh, frame, source.left, source.top, SRCCOPY);
    } else {
        // Dropping pixels keeps the colours exact and costs little at full screen.
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, fit.x0, fit.y0, fit.dw, fit.dh, frame, source.left, source.top, sw, sh, SRCCOPY);
    }
    FrameDone(frame, kept);
}

void PaintSaverPreview(HWND window, HDC dc) {
    int32_t cw = 0;
    int32_t ch = 0;
    if (!ClientSize(window, &cw, &ch)) return;
    if (!art.dibSection) {
        FillBlack(dc, {0, 0, cw, ch});
        return;
    }
    HGDIOBJ kept = nullptr;
    HDC frame = FrameDC(dc, &kept);
    if (!frame) return;
    // Averaging shrinks the picture smoothly instead of dropping whole lines of it.
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, cw, ch, frame, 0, 0, art.canvasWidth, art.canvasHeight, SRCCOPY);
    FrameDone(frame, kept);
}
