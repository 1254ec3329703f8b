// The window set-up every Windows front end shares: its window class, the message
// loop and the hidden cursor.
#include <windows.h>

#include "app/shared_win32.h"

namespace {
constexpr WORD kIconResource = 1;
}  // namespace

void RegisterArtWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, HCURSOR cursor) {
    HICON icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kIconResource), IMAGE_ICON, 0,
                                               0, LR_SHARED | LR_DEFAULTSIZE));
    if (!icon) icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = name;
    windowClass.hIconSm = icon;
    RegisterClassExA(&windowClass);
}

HCURSOR ArrowCursor() { return LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)); }

int RunMessageLoop() {
    MSG message = {};
    // GetMessageA gives -1 on an error; looping on it would never end.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void HideCursor() {
    // The display count must drop below zero for the cursor to disappear.
    while (ShowCursor(FALSE) >= 0) {
    }
}
