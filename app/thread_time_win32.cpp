// The thread's processor time on Windows, shared by the program, the screen saver and
// the tools: the cycles it has run (QueryThreadCycleTime), which resolve a trial of a
// millisecond where the thread's times from GetThreadTimes advance in whole scheduler
// ticks of about 15.6 ms.
#include <windows.h>

#include "app/platform.h"

int64_t PlatformThreadTime() {
    // Looked up by name, so that a system without it still starts the program; the
    // trials then fall back to the clock.
    using QueryCycles = BOOL(WINAPI*)(HANDLE, PULONG64);
    static const QueryCycles query = [] {
        HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
        FARPROC found = kernel32 ? GetProcAddress(kernel32, "QueryThreadCycleTime") : nullptr;
        // Through void(*)() because that is the one function pointer type any other converts to.
        return reinterpret_cast<QueryCycles>(reinterpret_cast<void (*)()>(found));
    }();
    ULONG64 cycles = 0;
    if (!query || !query(GetCurrentThread(), &cycles)) return -1;
    return static_cast<int64_t>(cycles);
}
