/* A stand-in for gdiplus.dll that the snapshot test puts next to a copy of huemix.exe:
 * it encodes nothing, fails the step named in the file $HUEMIX_GDIPLUS_FAIL ("startup",
 * "bitmap", "save" or nothing), and appends every call, and its own loading and
 * unloading, as one line to the file $HUEMIX_GDIPLUS_LOG. Built with -DWITHOUT_SAVE it
 * lacks GdipSaveImageToFile, as a damaged installation would. */
#include <windows.h>

static void Note(const char* text) {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("HUEMIX_GDIPLUS_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(log, text, lstrlenA(text), &written, NULL);
    WriteFile(log, "\n", 1, &written, NULL);
    CloseHandle(log);
}

/* True when the control file names this step. */
static BOOL Failing(const char* step) {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("HUEMIX_GDIPLUS_FAIL", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return FALSE;
    HANDLE control = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, NULL);
    if (control == INVALID_HANDLE_VALUE) return FALSE;
    char text[32] = {0};
    DWORD read = 0;
    ReadFile(control, text, sizeof text - 1, &read, NULL);
    CloseHandle(control);
    for (DWORD i = 0; i < read; ++i) {
        if (text[i] == '\n' || text[i] == '\r') text[i] = '\0';
    }
    return lstrcmpA(text, step) == 0;
}

static int bitmapToken;  /* the address stands for the one bitmap */

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) Note("load");
    if (reason == DLL_PROCESS_DETACH) Note("unload");
    return TRUE;
}

__declspec(dllexport) int WINAPI GdiplusStartup(ULONG_PTR* token, const void* input, void* output) {
    const UINT32* version = (const UINT32*)input;
    Note(version && *version == 1 && output == NULL ? "startup" : "startup with unexpected arguments");
    if (Failing("startup")) return 1;
    *token = 0x5EED;
    return 0;
}

__declspec(dllexport) void WINAPI GdiplusShutdown(ULONG_PTR token) {
    Note(token == 0x5EED ? "shutdown" : "shutdown with a wrong token");
}

__declspec(dllexport) int WINAPI GdipCreateBitmapFromScan0(INT width, INT height, INT stride, INT format,
                                                          BYTE* scan0, void** bitmap) {
    char text[96];
    wsprintfA(text, "bitmap %dx%d stride %d format %x%s", width, height, stride, format,
              scan0 ? "" : " without pixels");
    Note(text);
    if (Failing("bitmap")) return 2;
    *bitmap = &bitmapToken;
    return 0;
}

__declspec(dllexport) int WINAPI GdipDisposeImage(void* image) {
    Note(image == &bitmapToken ? "dispose" : "dispose of an unknown image");
    return 0;
}

#ifndef WITHOUT_SAVE
__declspec(dllexport) int WINAPI GdipSaveImageToFile(void* image, const WCHAR* name, const void* encoder,
                                                    const void* parameters) {
    (void)encoder;
    char text[64];
    wsprintfA(text, "save %d units%s", lstrlenW(name), image == &bitmapToken && !parameters ? "" : " (odd)");
    Note(text);
    return Failing("save") ? 7 : 0;
}
#endif
