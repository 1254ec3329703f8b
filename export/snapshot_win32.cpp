// F12: saving the frame as last composed as a PNG file in the user's Pictures folder.
// The encoder is that of GDI+, whose flat API is loaded by name for each snapshot and
// unloaded right after it: the program links no GDI+ import, keeps nothing of it
// between snapshots and runs where it is missing (the snapshot then fails, silently).
#include <windows.h>
#include <shlobj.h>

#include <climits>

#include "app/art_state.h"
#include "app/platform.h"
#include "export/snapshot_name.h"

namespace {

// The parts of the GDI+ flat API a snapshot needs, declared here because the program
// uses no GDI+ header. Every status is 0 on success.
struct GdiplusStartupInputRecord {
    UINT32 gdiplusVersion;
    void* debugEventCallback;
    BOOL suppressBackgroundThread;
    BOOL suppressExternalCodecs;
};

using GdiplusStartupFunction = int(WINAPI*)(ULONG_PTR* token, const GdiplusStartupInputRecord* input,
                                            void* output);
using GdiplusShutdownFunction = void(WINAPI*)(ULONG_PTR token);
using GdipCreateBitmapFromScan0Function = int(WINAPI*)(INT width, INT height, INT stride, INT format,
                                                       BYTE* scan0, void** bitmap);
using GdipDisposeImageFunction = int(WINAPI*)(void* image);
using GdipSaveImageToFileFunction = int(WINAPI*)(void* image, const WCHAR* fileName, const CLSID* encoder,
                                                 const void* encoderParameters);

// 32 bits a pixel in the DIB's byte order (blue, green, red); the fourth byte is not
// alpha, so the file is opaque with the colours the screen shows.
constexpr INT PixelFormat32bppRGB = 0x00022009;

constexpr CLSID PngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

constexpr int CsidlMyPictures = 39;
constexpr DWORD ShgfpTypeCurrent = 0;

// GetProcAddress into a typed pointer; going through void(*)() keeps the cast honest
// for the compiler's function-type check.
template <typename Function>
Function LookUp(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// The Pictures folder, or "." (the current directory) when it cannot be found.
void FindPicturesFolder(WCHAR* folder) {
    ZeroMemory(folder, MAX_PATH * sizeof(WCHAR));
    HRESULT found = SHGetFolderPathW(nullptr, CsidlMyPictures, nullptr, ShgfpTypeCurrent, folder);
    // An empty answer would put the file at the root of the drive; treat it as not found.
    if (FAILED(found) || folder[0] == L'\0') {
        folder[0] = L'.';
        folder[1] = L'\0';
    }
}

// Writes the file name for this second into name; 0, or -5 when there is none.
int32_t NameForNow(WCHAR* name) {
    static_assert(sizeof(WCHAR) == sizeof(char16_t) && MAX_PATH == SnapshotNameCapacity);
    WCHAR folder[MAX_PATH];
    FindPicturesFolder(folder);
    SYSTEMTIME now;
    GetLocalTime(&now);
    SnapshotTime time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    return BuildSnapshotName(reinterpret_cast<char16_t*>(name), reinterpret_cast<const char16_t*>(folder),
                             time);
}

}  // namespace

int32_t SaveSnapshot() {
    // Without a frame there is nothing to wrap; GDI+ would otherwise make a blank bitmap
    // of its own and save that.
    if (art.dibPixels == nullptr || art.canvasWidth <= 0 || art.canvasHeight <= 0 ||
        art.canvasWidth > INT_MAX / 4) {
        return -4;
    }

    HMODULE library = LoadLibraryA("gdiplus.dll");
    if (library == nullptr) return -1;

    auto startup = LookUp<GdiplusStartupFunction>(library, "GdiplusStartup");
    auto shutdown = LookUp<GdiplusShutdownFunction>(library, "GdiplusShutdown");
    auto createBitmap = LookUp<GdipCreateBitmapFromScan0Function>(library, "GdipCreateBitmapFromScan0");
    auto disposeImage = LookUp<GdipDisposeImageFunction>(library, "GdipDisposeImage");
    auto saveImage = LookUp<GdipSaveImageToFileFunction>(library, "GdipSaveImageToFile");
    if (startup == nullptr || shutdown == nullptr || createBitmap == nullptr || disposeImage == nullptr ||
        saveImage == nullptr) {
        FreeLibrary(library);
        return -2;
    }

    GdiplusStartupInputRecord input = {1, nullptr, FALSE, FALSE};
    ULONG_PTR token = 0;
    if (startup(&token, &input, nullptr) != 0) {
        FreeLibrary(library);
        return -3;
    }

    // The bitmap wraps the frame in place; the positive stride makes the first row the top.
    void* bitmap = nullptr;
    int created = createBitmap(art.canvasWidth, art.canvasHeight, 4 * art.canvasWidth, PixelFormat32bppRGB,
                               reinterpret_cast<BYTE*>(art.dibPixels), &bitmap);
    if (created != 0 || bitmap == nullptr) {
        if (bitmap != nullptr) disposeImage(bitmap);
        shutdown(token);
        FreeLibrary(library);
        return -4;
    }

    WCHAR name[MAX_PATH];
    int saved = -1;
    if (NameForNow(name) == 0) saved = saveImage(bitmap, name, &PngEncoder, nullptr);

    disposeImage(bitmap);
    shutdown(token);
    FreeLibrary(library);
    return saved == 0 ? 0 : -5;
}
