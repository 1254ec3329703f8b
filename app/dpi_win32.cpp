// DPI awareness: with it, window and monitor coordinates are physical pixels, so a
// window covers its monitor to the last pixel at any scaling.
#include <windows.h>

#include "app/shared_win32.h"

void MakeDpiAware() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32) return;
    using SetContext = BOOL(WINAPI*)(HANDLE);
    using SetAware = BOOL(WINAPI*)();
    // Through void(*)() because that is the one function pointer type any other converts to.
    if (FARPROC found = GetProcAddress(user32, "SetProcessDpiAwarenessContext")) {
        const HANDLE perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
        reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(found))(perMonitorV2);
    } else if (FARPROC older = GetProcAddress(user32, "SetProcessDPIAware")) {
        reinterpret_cast<SetAware>(reinterpret_cast<void (*)()>(older))();
    }
}
