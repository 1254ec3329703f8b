// What the full screen and the preview share: the picture made ready before their
// windows exist, the message loop and the release of everything at the end.
#include <windows.h>

#include <ctime>

#include "app/art_state.h"
#include "app/frame.h"
#include "app/shared_win32.h"
#include "app/startup.h"
#include "modes/random_source.h"
#include "palette/presets.h"
#include "saver/saver_run.h"
#include "saver/saver_win32.h"

void PrepareSaverPicture(const SaverSettings& settings) {
    art.randomState = SeedFromClock(static_cast<uint32_t>(std::time(nullptr)), GetTickCount());
    ApplySaverSettings(settings);
    NewPalette();
    CreateFrameBitmap();
}

int RunSaverMessageLoop() {
    MSG message = {};
    // GetMessageA gives -1 on an error; looping on it would never end.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void ReleaseSaverPicture() {
    for (int i = 0; i < saverWindowCount; ++i) {
        if (saverWindows[i] && IsWindow(saverWindows[i])) DestroyWindow(saverWindows[i]);
        saverWindows[i] = nullptr;
    }
    saverWindowCount = 0;
    if (art.dibSection) DeleteObject(static_cast<HGDIOBJ>(art.dibSection));
    ReleaseBuffers();
}
