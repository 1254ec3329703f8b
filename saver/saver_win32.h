// What the files of the screen saver's Windows shell share. Include <windows.h>
// before this header.
#pragma once
#include "saver/saver_layout.h"
#include "saver/saver_settings.h"

// Exit codes beyond the program's own (0 normal end, 1 no window, 2 no memory).
constexpr int kExitSettingsNotSaved = 3;

// The windows that show the frame: one per monitor, or the one preview window. The
// first of them carries the timers. Null entries after the last.
extern HWND saverWindows[kMaxSaverPanes];
extern int saverWindowCount;

// /s: full screen on every monitor until the user comes back; the exit code.
int RunScreenSaver(HINSTANCE instance);

// /p: a child window of parent showing the picture until parent goes; the exit code.
int RunPreview(HINSTANCE instance, HWND parent);

// /c: the settings dialog, owned by owner (may be null); the exit code.
int RunSettingsDialog(HINSTANCE instance, HWND owner);

// The settings from the registry, every missing or bad value at its default.
SaverSettings ReadSaverSettings();

// Writes every setting; false when the key or a value could not be written.
bool WriteSaverSettings(const SaverSettings& settings);

// With the Canvas had: seeds the random stream, applies the settings, builds the first
// palette and the frame bitmap, what the full screen and the preview share before
// their windows exist.
void PrepareSaverPicture(const SaverSettings& settings);

// Paints the source part of the frame into a monitor's window: one plain copy when
// the client area has its size, else fitted with its aspect kept and black bars.
// Without a frame, or with an empty source, the window is painted black.
void PaintSaverFrame(HWND window, HDC dc, ArtRect source);

// Stretches the whole frame over the client area, smoothly filtered (the preview).
void PaintSaverPreview(HWND window, HDC dc);

// Deletes the frame bitmap and releases every buffer.
void ReleaseSaverPicture();
