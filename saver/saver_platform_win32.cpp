// The platform seam for the screen saver: timers live on its first window, a refresh
// repaints every window, and the program's full-screen switch and snapshot do not
// exist here (the saver ends on any key before either could be asked for).
#include <windows.h>

#include "app/platform.h"
#include "saver/saver_win32.h"

HWND saverWindows[kMaxSaverPanes] = {};
int saverWindowCount = 0;

uint32_t PlatformTickCount() { return GetTickCount(); }

void PlatformSetTimer(int id, int32_t intervalMs) {
    if (saverWindows[0]) SetTimer(saverWindows[0], static_cast<UINT_PTR>(id), static_cast<UINT>(intervalMs), nullptr);
}

void PlatformKillTimer(int id) {
    if (saverWindows[0]) KillTimer(saverWindows[0], static_cast<UINT_PTR>(id));
}

void PlatformPostQuit(int exitCode) { PostQuitMessage(exitCode); }

void PlatformInvalidate() {
    for (int i = 0; i < saverWindowCount; ++i) {
        if (saverWindows[i]) InvalidateRect(saverWindows[i], nullptr, FALSE);
    }
}

void ToggleFullScreen() {}

int32_t SaveSnapshot() { return -1; }

int PlatformFileExists(const char16_t* path) {
    // wchar_t is UTF-16 on Windows, the same units as char16_t.
    return GetFileAttributesW(reinterpret_cast<const wchar_t*>(path)) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int PlatformDrawsLater(int) { return 0; }
