// What the files of the Win32 shell share. Include <windows.h> before this header:
// it only names the platform's types, so that the core never sees them.
#pragma once

// The one main window; null until WM_CREATE and after WM_DESTROY.
extern HWND mainWindow;

// The window procedure of the main window.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WM_PAINT: copies the frame into the whole client area, scaled with black bars when
// the client area differs from the Canvas size.
void PaintFrame(HWND window, HDC dc);
