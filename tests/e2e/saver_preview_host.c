/* The preview test's host: plays the part of the system's screen saver settings, whose
 * little monitor the saver draws its preview into.
 *
 *     saver_preview_host.exe SAVER ROUNDS SHOW_MS
 *
 * Each round opens a borderless window of 152 x 112 at (40, 40), starts "SAVER /p
 * <its handle>", waits for a child window of the saver's process that fills the client
 * area, keeps the window SHOW_MS milliseconds (the test captures the screen then),
 * destroys it and waits up to 2 s for the saver to end. First it prints the saver's
 * name, its string resource 1, as "name: ...". One line per step on stdout;
 * exit code 0 when every round went so, 1 otherwise (a saver left running is ended). */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#define HOST_WIDTH 152
#define HOST_HEIGHT 112

static void Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

/* The saver's child window, or NULL while there is none. */
static HWND SaverChild(HWND host, DWORD saverProcess) {
    HWND child = GetWindow(host, GW_CHILD);
    for (; child; child = GetWindow(child, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(child, &owner);
        if (owner == saverProcess) return child;
    }
    return NULL;
}

static int Round(int round, const char* saver, DWORD showMs) {
    HWND host = CreateWindowExA(0, "HuemixPreviewHost", "Huemix preview host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40,
                                HOST_WIDTH, HOST_HEIGHT, NULL, NULL, GetModuleHandleA(NULL), NULL);
    if (!host) {
        printf("round %d: no host window\n", round);
        return 0;
    }
    Pump(100);
    char commandLine[MAX_PATH + 64];
    snprintf(commandLine, sizeof(commandLine), "\"%s\" /p %llu", saver,
             (unsigned long long)(ULONG_PTR)host);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        printf("round %d: cannot start %s\n", round, commandLine);
        DestroyWindow(host);
        return 0;
    }
    int good = 1;
    HWND child = NULL;
    DWORD waited = 0;
    while (!(child = SaverChild(host, process.dwProcessId)) && waited < 30000) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
        Pump(50);
        waited += 50;
    }
    RECT client = {0, 0, 0, 0};
    RECT rect = {0, 0, 0, 0};
    GetClientRect(host, &client);
    if (!child) {
        printf("round %d: no child window of the saver\n", round);
        good = 0;
    } else {
        GetWindowRect(child, &rect);
        MapWindowPoints(NULL, host, (POINT*)&rect, 2);
        printf("round %d: child %ld,%ld-%ld,%ld in a client area of %ldx%ld\n", round, rect.left, rect.top,
               rect.right, rect.bottom, client.right, client.bottom);
        fflush(stdout);
        if (rect.left != 0 || rect.top != 0 || rect.right != client.right || rect.bottom != client.bottom) {
            printf("round %d: the child does not fill the client area\n", round);
            good = 0;
        }
        Pump(showMs);
    }
    DestroyWindow(host);
    DWORD before = GetTickCount();
    DWORD ended = WaitForSingleObject(process.hProcess, 2000);
    DWORD took = GetTickCount() - before;
    if (ended == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        printf("round %d: the saver ended %lu ms after the window, exit code %lu\n", round, took, code);
    } else {
        printf("round %d: the saver still runs 2 s after the window went\n", round);
        TerminateProcess(process.hProcess, 99);
        good = 0;
    }
    fflush(stdout);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return good;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        printf("usage: saver_preview_host SAVER ROUNDS SHOW_MS\n");
        return 2;
    }
    WNDCLASSA windowClass = {0};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszClassName = "HuemixPreviewHost";
    RegisterClassA(&windowClass);
    /* The name the system's list shows: string 1 of the saver, read as the list reads it. */
    HMODULE file = LoadLibraryExA(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
    char name[64] = "";
    if (!file || LoadStringA(file, 1, name, sizeof(name)) <= 0) printf("host: no string 1 in %s\n", argv[1]);
    printf("name: %s\n", name);
    if (file) FreeLibrary(file);
    int rounds = atoi(argv[2]);
    DWORD showMs = (DWORD)atoi(argv[3]);
    int good = 1;
    for (int round = 1; round <= rounds; ++round) good = Round(round, argv[1], showMs) && good;
    printf(good ? "host: every round passed\n" : "host: FAILED\n");
    return good ? 0 : 1;
}
