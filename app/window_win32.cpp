// The main window's procedure: it decodes each message and hands it to the portable
// handlers; what a key or a timer means lives in app/input.cpp.
#include <windows.h>

#include "app/input.h"
#include "app/shared_win32.h"
#include "app/shell_win32.h"
#include "app/startup.h"

namespace {

bool KeyHeld(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc) PaintFrame(window, dc);
    EndPaint(window, &paint);
}

// The bitmap goes first, then the buffers; every pointer is cleared so that nothing
// can use a released buffer on the way out.
void ReleaseFrame() {
    ReleaseFrameBitmap();
    mainWindow = nullptr;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: mainWindow = window; HandleCreate(); return 0;
        case WM_DESTROY: ReleaseFrame(); PostQuitMessage(0); return 0;
        case WM_SIZE: InvalidateRect(window, nullptr, TRUE); return 0;
        case WM_PAINT: Paint(window); return 0;
        case WM_ERASEBKGND: return 1;  // the frame and its bars cover everything
        case WM_KEYDOWN: HandleKey(static_cast<int>(wParam), KeyHeld(VK_CONTROL), KeyHeld(VK_SHIFT)); return 0;
        case WM_TIMER: HandleTimer(static_cast<uintptr_t>(wParam)); return 0;
        case WM_LBUTTONDOWN: HandleLeftButton(); return 0;
        case WM_RBUTTONDOWN: HandleRightButton(); return 0;
        case WM_MOUSEWHEEL: HandleWheel(GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
