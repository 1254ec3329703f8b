// The entry point: sizes everything to the chosen monitor, draws the splash screen,
// opens the main window and runs the message loop until the quit message.
#include <windows.h>

#include <ctime>

#include "app/art_state.h"
#include "app/command_line.h"
#include "app/frame.h"
#include "app/shared_win32.h"
#include "app/shell_win32.h"
#include "app/startup.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "palette/presets.h"

namespace {

constexpr char kClassName[] = "KvHuemixWnd";
constexpr char kWindowTitle[] = "Korvane's Huemix";

BOOL CALLBACK SeeMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM search) {
    RecordMonitor(reinterpret_cast<MonitorSearch*>(search), monitor);
    return TRUE;  // count them all
}

// The --monitor index in enumeration order, else the monitor under the cursor.
HMONITOR ChooseMonitor() {
    if (art.monitorOption >= 0) {
        MonitorSearch search = {art.monitorOption, 0, nullptr};
        EnumDisplayMonitors(nullptr, nullptr, SeeMonitor, reinterpret_cast<LPARAM>(&search));
        if (search.found) return static_cast<HMONITOR>(search.found);
    }
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    return MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY);
}

// The whole monitor, task bar included; the primary screen at (0, 0) when unknown.
ArtRect MeasureMonitor(HMONITOR monitor) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (monitor && GetMonitorInfoA(monitor, &info)) {
        const RECT& r = info.rcMonitor;
        return {r.left, r.top, r.right, r.bottom};
    }
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

HWND CreateMainWindow(HINSTANCE instance, const ArtRect& monitor) {
    if (art.windowedOption) art.fullScreen = 0;
    const WindowPlacement p = StartWindowPlacement(monitor, art.canvasWidth, art.canvasHeight, art.windowedOption);
    // WM_CREATE starts the rotation, splash and hint timers during this call.
    return CreateWindowExA(0, kClassName, kWindowTitle, p.style, p.x, p.y, p.width, p.height, nullptr,
                           nullptr, instance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    MakeDpiAware();
    ParseCommandLine();
    const ArtRect monitor = MeasureMonitor(ChooseMonitor());
    if (AllocateBuffers(monitor.right - monitor.left, monitor.bottom - monitor.top) != kExitNormal) {
        return kExitNoMemory;
    }
    art.randomState = SeedFromClock(static_cast<uint32_t>(std::time(nullptr)), GetTickCount());
    ApplyOptions();
    NewPalette();
    CreateFrameBitmap();
    SelectMode(0);
    ComposeFrame();

    RegisterArtWindowClass(instance, kClassName, MainWindowProc, ArrowCursor());
    HWND window = CreateMainWindow(instance, monitor);
    if (!window) return kExitNoWindow;
    mainWindow = window;
    HideCursor();
    SetForegroundWindow(window);
    art.lastInputTick = GetTickCount();  // the hint shows during the first second
    InvalidateRect(window, nullptr, FALSE);
    SelectStartMode();
    return RunMessageLoop();
}
