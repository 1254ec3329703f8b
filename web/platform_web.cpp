// The platform seam done with the browser's facilities: the clock is
// performance.now(), the five timers are due times that the page's animation frames
// run (web_main.cpp), invalidation is a flag the next animation frame reads, full
// screen is the Fullscreen API and the snapshot is the browser's own PNG encoder.
#include "app/platform.h"

#include <emscripten.h>

#include <cstring>
#include <ctime>

#include "app/art_state.h"
#include "export/snapshot_name.h"
#include "web/web_shell.h"

WebShell web;

uint32_t PlatformTickCount() { return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now())); }

// A page has no reading of a thread's processor time.
int64_t PlatformThreadTime() { return -1; }

void PlatformSetTimer(int id, int32_t intervalMs) {
    if (id < 1 || id >= kWebTimerSlots) return;
    web.timers[id] = {intervalMs > 0 ? intervalMs : 1, emscripten_get_now() + intervalMs, 1};
}

void PlatformKillTimer(int id) {
    if (id >= 1 && id < kWebTimerSlots) web.timers[id].running = 0;
}

// A page cannot close its tab: Q and X do nothing.
void PlatformPostQuit(int) {}

void PlatformInvalidate() { web.frameDirty = 1; }

// Called inside the key's own event handler, so the browser counts it as the user's
// gesture that the Fullscreen API asks for.
void ToggleFullScreen() {
    EM_ASM({
        if (document.fullscreenElement) {
            document.exitFullscreen().catch(function() {});
        } else if (document.documentElement.requestFullscreen) {
            document.documentElement.requestFullscreen().catch(function(e) { console.log('Huemix: no full screen: ' + e); });
        }
    });
}

// The snapshot's name for now, kvhuemix_YYYYMMDD_HHMMSS.png (a download has no
// folder), or "" when none can be had.
const char* SnapshotDownloadName() {
    static char ascii[SnapshotNameCapacity];
    ascii[0] = '\0';
    const time_t now = time(nullptr);
    const tm* local = localtime(&now);
    if (!local) return ascii;
    const SnapshotTime t = {static_cast<uint16_t>(local->tm_year + 1900), static_cast<uint16_t>(local->tm_mon + 1),
                            static_cast<uint16_t>(local->tm_mday), static_cast<uint16_t>(local->tm_hour),
                            static_cast<uint16_t>(local->tm_min), static_cast<uint16_t>(local->tm_sec)};
    char16_t name[SnapshotNameCapacity];
    if (BuildSnapshotName(name, u"", t) != 0) return ascii;
    int n = 0;
    for (const char16_t* c = name[0] == u'\\' ? name + 1 : name; *c && n < SnapshotNameCapacity - 1; ++c) {
        ascii[n++] = static_cast<char>(*c);
    }
    ascii[n] = '\0';
    return ascii;
}

// The page's canvas holds the frame as last composed; the browser encodes it and
// offers it as a download under the program's snapshot name.
int32_t SaveSnapshot() {
    const char* name = SnapshotDownloadName();
    if (!name[0]) return -5;
    EM_ASM({ Huemix.download(UTF8ToString($0)); }, name);
    return 0;
}

// The names downloaded so far from this page stand for the files of the folder.
int PlatformFileExists(const char16_t* path) {
    char ascii[SnapshotNameCapacity];
    int n = 0;
    for (const char16_t* c = path[0] == u'\\' ? path + 1 : path; *c && n < SnapshotNameCapacity - 1; ++c) {
        ascii[n++] = static_cast<char>(*c);
    }
    ascii[n] = '\0';
    return EM_ASM_INT({ return Huemix.downloaded(UTF8ToString($0)) ? 1 : 0; }, ascii);
}

int PlatformDrawsLater(int mode) {
    // The state before every picture goes into the page's link (L).
    web.pictureState = art.randomState;
    web.pictureMode = mode;
    web.zoomFrames = 0;
    if (!web.workerReady || mode == 0) return 0;
    web.drawPending = 1;
    EM_ASM({ Huemix.drawInWorker($0, $1, $2, $3); }, art.canvasWidth, art.canvasHeight, mode, art.randomState);
    return 1;
}
