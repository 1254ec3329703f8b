// The platform seam on Windows: the tick count, the main window's timers and
// invalidation, the quit message, and file look-ups for the snapshot.
#include <windows.h>

#include "app/platform.h"
#include "app/shell_win32.h"

HWND mainWindow = nullptr;

uint32_t PlatformTickCount() { return GetTickCount(); }

void PlatformSetTimer(int id, int32_t intervalMs) {
    if (mainWindow) SetTimer(mainWindow, static_cast<UINT_PTR>(id), static_cast<UINT>(intervalMs), nullptr);
}

void PlatformKillTimer(int id) {
    if (mainWindow) KillTimer(mainWindow, static_cast<UINT_PTR>(id));
}

void PlatformPostQuit(int exitCode) { PostQuitMessage(exitCode); }

void PlatformInvalidate() {
    if (mainWindow) InvalidateRect(mainWindow, nullptr, FALSE);
}

int PlatformFileExists(const char16_t* path) {
    // wchar_t is UTF-16 on Windows, the same units as char16_t.
    return GetFileAttributesW(reinterpret_cast<const wchar_t*>(path)) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int PlatformDrawsLater(int) { return 0; }
