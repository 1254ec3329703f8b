// F11: the main window between the borderless popup that covers its monitor and a
// framed window. The Canvas and the frame keep their size; painting scales.
#include <windows.h>

#include "app/art_state.h"
#include "app/platform.h"
#include "app/shell_win32.h"
#include "app/startup.h"

namespace {

void SetStyle(HWND window, uint32_t style) {
    SetWindowLongPtrA(window, GWL_STYLE, static_cast<LONG_PTR>(static_cast<LONG>(style)));
}

// The rectangle of the monitor the window is on; the primary screen if that fails.
ArtRect MonitorOf(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
        return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    const RECT& r = info.rcMonitor;
    return {r.left, r.top, r.right, r.bottom};
}

void LeaveFullScreen(HWND window) {
    const WindowPlacement p = FramedPlacement(art.savedWindowStyle, art.savedWindowRect);
    SetStyle(window, p.style);
    SetWindowPos(window, nullptr, p.x, p.y, p.width, p.height,
                 SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    art.fullScreen = 0;
}

void EnterFullScreen(HWND window) {
    RECT r;
    if (GetWindowRect(window, &r)) art.savedWindowRect = {r.left, r.top, r.right, r.bottom};
    art.savedWindowStyle = static_cast<uint32_t>(GetWindowLongPtrA(window, GWL_STYLE));
    const WindowPlacement p = FullScreenPlacement(art.savedWindowStyle, MonitorOf(window));
    SetStyle(window, p.style);
    SetWindowPos(window, HWND_TOP, p.x, p.y, p.width, p.height, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    art.fullScreen = 1;
}

}  // namespace

void ToggleFullScreen() {
    if (!mainWindow) return;
    if (art.fullScreen) {
        LeaveFullScreen(mainWindow);
    } else {
        EnterFullScreen(mainWindow);
    }
}
