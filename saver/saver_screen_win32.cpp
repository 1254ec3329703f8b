// /s: one topmost borderless window on every monitor, the picture as the Monitors
// setting lays it out, until a key, a button, the wheel, a real pointer move or the
// activation of another application says the user is back.
#include <windows.h>

#include "app/art_state.h"
#include "app/frame.h"
#include "app/shared_win32.h"
#include "app/startup.h"
#include "saver/saver_run.h"
#include "saver/saver_win32.h"

namespace {

constexpr char kClassName[] = "KvHuemixSaverWnd";
constexpr char kWindowTitle[] = "Korvane's Huemix Screen Saver";

struct MonitorList {
    ArtRect rects[kMaxSaverPanes];
    int count;
    int primary;  // index of the primary monitor, -1 until seen
};

SaverPane panes[kMaxSaverPanes];
SaverPointer pointerStart = {0, 0, 0};
bool ending = false;

BOOL CALLBACK SeeMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* list = reinterpret_cast<MonitorList*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (list->count >= kMaxSaverPanes || !GetMonitorInfoA(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    if (info.dwFlags & MONITORINFOF_PRIMARY) list->primary = list->count;
    list->rects[list->count++] = {r.left, r.top, r.right, r.bottom};
    return TRUE;
}

// Every monitor in physical pixels; the primary screen alone when none can be listed.
MonitorList ListMonitors() {
    MonitorList list = {};
    list.primary = -1;
    EnumDisplayMonitors(nullptr, nullptr, SeeMonitor, reinterpret_cast<LPARAM>(&list));
    if (list.count == 0) {
        list.rects[0] = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        list.count = 1;
        list.primary = 0;
    }
    return list;
}

// The user is back: the loop ends with exit code 0, once.
void EndSaver() {
    if (ending) return;
    ending = true;
    PostQuitMessage(kExitNormal);
}

// The first move the windows report is where the pointer rests when they appear (the
// system reports one as they come up under it); later ones are measured from there.
// The message's own position, so that a cursor position the system has not brought up
// to date yet cannot end the saver at once.
void NotePointer() {
    const DWORD at = GetMessagePos();
    const int32_t x = static_cast<int16_t>(LOWORD(at));
    const int32_t y = static_cast<int16_t>(HIWORD(at));
    if (PointerMovedAway(&pointerStart, x, y)) EndSaver();
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const LONG_PTR index = GetWindowLongPtrA(window, GWLP_USERDATA);
    if (dc && index >= 0 && index < kMaxSaverPanes) {
        const SaverPane& pane = panes[index];
        // A monitor without the picture shows an empty source: black.
        PaintSaverFrame(window, dc, pane.showsPicture ? pane.source : ArtRect{0, 0, 0, 0});
    }
    EndPaint(window, &paint);
}

LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    // A second saver must not start over this one; the monitor may still power off.
    if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
    return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: Paint(window); return 0;
        case WM_ERASEBKGND: return 1;  // the frame and its bars cover everything
        case WM_SETCURSOR: SetCursor(nullptr); return TRUE;
        case WM_TIMER: HandleSaverTimer(static_cast<uintptr_t>(wParam)); return 0;
        case WM_MOUSEMOVE: NotePointer(); return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL: EndSaver(); return 0;
        case WM_ACTIVATEAPP:
            if (!wParam) EndSaver();  // another application came to the front
            return 0;
        case WM_SYSCOMMAND: return OnSysCommand(window, wParam, lParam);
        case WM_DESTROY: EndSaver(); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// One window per pane; false when not a single one could be opened.
bool OpenPaneWindows(HINSTANCE instance, int count) {
    for (int i = 0; i < count; ++i) {
        const ArtRect& m = panes[i].monitor;
        HWND window = CreateWindowExA(WS_EX_TOPMOST, kClassName, kWindowTitle, WS_POPUP | WS_VISIBLE, m.left,
                                      m.top, m.right - m.left, m.bottom - m.top, nullptr, nullptr, instance,
                                      nullptr);
        if (!window) continue;  // the other monitors are still covered
        SetWindowLongPtrA(window, GWLP_USERDATA, i);
        saverWindows[saverWindowCount++] = window;
        // Black at once, while the first picture is drawn.
        UpdateWindow(window);
    }
    return saverWindowCount > 0;
}

}  // namespace

int RunScreenSaver(HINSTANCE instance) {
    const SaverSettings settings = ReadSaverSettings();
    const MonitorList monitors = ListMonitors();
    const int choice = static_cast<int>(settings.values[kSettingMonitors]);
    SaverPlan plan = AllocateSaverCanvas(monitors.rects, monitors.count, monitors.primary, choice, panes);
    if (plan.paneCount == 0) return kExitNoMemory;
    PrepareSaverPicture(settings);
    if (plan.choice == kMonitorsSpan && !art.dibSection) {
        // The frame of one picture across all can be too big where its Canvas was not:
        // the same picture on each, as when the Canvas cannot be had.
        ReleaseSaverPicture();
        plan = AllocateSaverCanvas(monitors.rects, monitors.count, monitors.primary, kMonitorsSame, panes);
        if (plan.paneCount == 0) return kExitNoMemory;
        PrepareSaverPicture(settings);
    }
    RegisterArtWindowClass(instance, kClassName, SaverWindowProc, nullptr);  // no cursor over the picture
    if (!OpenPaneWindows(instance, plan.paneCount)) {
        ReleaseSaverPicture();
        return kExitNoWindow;
    }
    HideCursor();
    SetForegroundWindow(saverWindows[0]);
    StartSaverPictures();
    const int code = RunMessageLoop();
    ReleaseSaverPicture();
    return code;
}
