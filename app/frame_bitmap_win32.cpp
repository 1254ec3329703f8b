// The frame bitmap: a 32-bit top-down DIB section whose pixels ComposeFrame writes.
#include <windows.h>

#include "app/art_state.h"
#include "app/shared_win32.h"
#include "app/startup.h"

void CreateFrameBitmap() {
    static_assert(kFrameInfoHeaderBytes == sizeof(BITMAPINFOHEADER));
    static_assert(kFrameInfoBytes == sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* info = static_cast<BITMAPINFO*>(AllocateFrameInfo());
    if (!info) return;
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = art.canvasWidth;
    info->bmiHeader.biHeight = -art.canvasHeight;  // negative: the first row is the top
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = 32;
    info->bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    ReleaseDC(nullptr, screen);
    art.dibSection = bitmap;
    art.dibPixels = bitmap ? static_cast<uint32_t*>(pixels) : nullptr;
}

void ReleaseFrameBitmap() {
    if (art.dibSection) DeleteObject(static_cast<HGDIOBJ>(art.dibSection));
    ReleaseBuffers();
}
