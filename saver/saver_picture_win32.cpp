// What the full screen and the preview share: the picture made ready before their
// windows exist and the release of everything at the end.
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

void ReleaseSaverPicture() {
    for (int i = 0; i < saverWindowCount; ++i) {
        if (saverWindows[i] && IsWindow(saverWindows[i])) DestroyWindow(saverWindows[i]);
        saverWindows[i] = nullptr;
    }
    saverWindowCount = 0;
    ReleaseFrameBitmap();
}
