// /p HWND: the little picture in the system's screen saver settings. A child window
// filling the given window, drawn on the smallest Canvas and shrunk smoothly; it takes
// no focus, ignores input and ends soon after the window it lives in is gone.
#include <windows.h>

#include "app/shared_win32.h"
#include "app/startup.h"
#include "modes/canvas.h"
#include "saver/saver_run.h"
#include "saver/saver_win32.h"

namespace {

constexpr char kClassName[] = "KvHuemixPreviewWnd";
// How often the preview looks for its parent and its parent's size.
constexpr int kTimerParentCheck = 7;
constexpr UINT kParentCheckMs = 250;

HWND previewParent = nullptr;

// Follows the parent's client area, and ends when the parent is gone: a child of a
// window of another process is not always destroyed with it.
void CheckParent(HWND window) {
    RECT client;
    if (!IsWindow(previewParent) || !GetClientRect(previewParent, &client)) {
        DestroyWindow(window);
        return;
    }
    RECT own;
    if (GetClientRect(window, &own) && (own.right != client.right || own.bottom != client.bottom)) {
        MoveWindow(window, 0, 0, client.right, client.bottom, TRUE);
    }
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc) PaintSaverPreview(window, dc);
    EndPaint(window, &paint);
}

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: Paint(window); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;  // a click never takes the focus
        case WM_TIMER:
            if (wParam == kTimerParentCheck) {
                CheckParent(window);
            } else {
                HandleSaverTimer(static_cast<uintptr_t>(wParam));
            }
            return 0;
        case WM_DESTROY: PostQuitMessage(kExitNormal); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int RunPreview(HINSTANCE instance, HWND parent) {
    RECT client;
    if (!parent || !IsWindow(parent) || !GetClientRect(parent, &client)) return kExitNoWindow;
    previewParent = parent;
    if (AllocateBuffers(kMinCanvasWidth, kMinCanvasHeight) != kExitNormal) return kExitNoMemory;
    PrepareSaverPicture(ReadSaverSettings());

    RegisterArtWindowClass(instance, kClassName, PreviewWindowProc, ArrowCursor());
    HWND window = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom,
                                  parent, nullptr, instance, nullptr);
    if (!window) {
        ReleaseSaverPicture();
        return kExitNoWindow;
    }
    saverWindows[0] = window;
    saverWindowCount = 1;
    SetTimer(window, kTimerParentCheck, kParentCheckMs, nullptr);
    StartSaverPictures();
    const int code = RunMessageLoop();
    ReleaseSaverPicture();
    return code;
}
