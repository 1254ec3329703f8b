// The program's window on SDL2: full screen on the chosen display or a framed window,
// showing the core's finished frame unchanged (present_linux.cpp), and the loop that
// runs events and timers until the quit request.
#include <SDL.h>

#include <cstdint>
#include <cstdio>

#include "app/art_state.h"
#include "app/frame.h"
#include "app/input.h"
#include "app/keys.h"
#include "app/memory.h"
#include "app/platform.h"
#include "app/startup.h"
#include "linux/events_linux.h"
#include "linux/present_linux.h"
#include "linux/shell_linux.h"
#include "modes/modes.h"

namespace {

constexpr char kWindowTitle[] = "Korvane's Huemix";
// The loop wakes at least this often even with no timer running.
constexpr int32_t kLongestWaitMs = 1000;

SDL_Window* window = nullptr;
int32_t fullScreenAsked = 1;  // 0 while the window manager is still to be asked

// --monitor N when there is such a display, else the one under the pointer, else the first.
int ChooseDisplay() {
    const int count = SDL_GetNumVideoDisplays();
    if (art.monitorOption >= 0 && art.monitorOption < count) return art.monitorOption;
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    const SDL_Point pointer = {x, y};
    for (int i = 0; i < count; ++i) {
        SDL_Rect r;
        if (SDL_GetDisplayBounds(i, &r) == 0 && SDL_PointInRect(&pointer, &r)) return i;
    }
    return 0;
}

ArtRect RectOf(const SDL_Rect& r) { return {r.x, r.y, r.x + r.w, r.y + r.h}; }

// The window as the Windows program places it: covering the display, or framed at its
// corner + 50, at most 1280 x 800, in the display's points.
bool OpenWindow(const SDL_Rect& display, const SDL_DisplayMode& mode) {
    if (art.windowedOption) art.fullScreen = 0;
    const WindowPlacement p = StartWindowPlacement(RectOf(display), mode.w, mode.h, art.windowedOption);
    Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI;
    if (art.fullScreen) {
        // Borderless over the display, as the Windows program's popup; the window
        // manager is asked for full screen once the first frame is up, since SDL waits
        // for its answer (a tenth of a second, or more without one).
        window = SDL_CreateWindow(kWindowTitle, display.x, display.y, display.w, display.h,
                                  flags | SDL_WINDOW_BORDERLESS);
        fullScreenAsked = 0;
    } else {
        window = SDL_CreateWindow(kWindowTitle, p.x, p.y, p.width, p.height, flags | SDL_WINDOW_RESIZABLE);
    }
    return window != nullptr;
}

// HiDPI: the Canvas has the display's pixels, not its points. A scaled display (under
// Wayland) shows in the window's pixels per point, which SDL knows once the window is
// made; on X11 a point is a pixel.
void DisplayPixels(const SDL_DisplayMode& mode, int* width, int* height) {
    int points = 0, pointsHigh = 0, pixels = 0, pixelsHigh = 0;
    SDL_GetWindowSize(window, &points, &pointsHigh);
    SDL_GetWindowSizeInPixels(window, &pixels, &pixelsHigh);
    *width = mode.w;
    *height = mode.h;
    if (points > 0 && pointsHigh > 0 && pixels > points && pixelsHigh > pointsHigh) {
        *width = static_cast<int>(static_cast<int64_t>(mode.w) * pixels / points);
        *height = static_cast<int>(static_cast<int64_t>(mode.h) * pixelsHigh / pointsHigh);
    }
}

void CloseWindow() {
    ClosePresenter();
    if (window) SDL_DestroyWindow(window);
    window = nullptr;
}

// The frame goes up only when the core composed a new one; an exposed window is
// painted again from what was shown.
void Present() {
    PresentFrame(shell.frameDirty && art.dibPixels, shell.exposed);
    shell.frameDirty = 0;
    shell.exposed = 0;
}

void RunTimers() {
    const uint64_t now = LinuxNow();
    EnterCore();
    for (int id = TakeDueTimer(now); id != 0 && !shell.quit; id = TakeDueTimer(now)) {
        if (id == kTimerZoom && art.currentMode == kZoomModeNumber) ++shell.zoomFrames;
        HandleTimer(static_cast<uintptr_t>(id));
    }
    LeaveCore();
}

void RunLoop() {
    while (!shell.quit && !shell.terminate) {
        if (shell.frameDirty || shell.exposed) Present();
        if (!fullScreenAsked) {
            fullScreenAsked = 1;
            if (art.fullScreen) SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        }
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, NextTimerWait(LinuxNow(), kLongestWaitMs))) {
            DispatchEvent(event);
            while (!shell.quit && SDL_PollEvent(&event)) DispatchEvent(event);
        }
        if (shell.quit || shell.terminate) break;
        RunTimers();
    }
}

// Without a display SDL falls back to drivers that draw nowhere; a window nobody sees
// is no window, unless SDL_VIDEODRIVER asked for one of them.
bool OnAScreen() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) return false;
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (asked && asked[0]) return true;
    return SDL_strcmp(driver, "offscreen") != 0 && SDL_strcmp(driver, "dummy") != 0 &&
           SDL_strcmp(driver, "evdev") != 0;
}

int Fail(int code, const char* what) {
    std::fprintf(stderr, "huemix: %s: %s\n", what, SDL_GetError());
    return code;
}

void ReleaseFrame() {
    ArtFree(art.dibPixels);
    ReleaseBuffers();  // clears art.dibPixels too
}

}  // namespace

void ToggleFullScreen() {
    if (!window) return;
    fullScreenAsked = 1;
    if (art.fullScreen) {
        SDL_SetWindowFullscreen(window, 0);
        SDL_SetWindowBordered(window, SDL_TRUE);
        const WindowPlacement p = FramedPlacement(0, art.savedWindowRect);
        SDL_SetWindowSize(window, p.width, p.height);
        SDL_SetWindowPosition(window, p.x, p.y);
        art.fullScreen = 0;
    } else {
        int x = 0, y = 0, w = 0, h = 0;
        SDL_GetWindowPosition(window, &x, &y);
        SDL_GetWindowSize(window, &w, &h);
        art.savedWindowRect = {x, y, x + w, y + h};
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        art.fullScreen = 1;
    }
    shell.exposed = 1;
}

int RunProgram(const LinuxOptions& options) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");        // ours end a picture at once
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");   // as on Windows: the saver may come
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");  // scaling drops pixels, colours stay exact
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return Fail(kExitNoWindow, "no display to open a window on");
    if (!OnAScreen()) {
        SDL_Quit();
        std::fprintf(stderr, "huemix: no display to open a window on\n");
        return kExitNoWindow;
    }

    // On X11 the frame goes into the window's own framebuffer (present_linux.cpp),
    // which SDL would otherwise back with an OpenGL texture.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    const int display = ChooseDisplay();
    SDL_Rect bounds = {0, 0, 0, 0};
    SDL_DisplayMode mode = {};
    if (SDL_GetDisplayBounds(display, &bounds) != 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0) {
        const int code = Fail(kExitNoWindow, "no display to open a window on");
        SDL_Quit();  // after the message: it clears SDL's error
        return code;
    }
    if (!OpenWindow(bounds, mode)) {
        const int code = Fail(kExitNoWindow, "cannot open the window");
        SDL_Quit();
        return code;
    }
    int width = 0, height = 0;
    DisplayPixels(mode, &width, &height);
    if (AllocateBuffers(width, height) != kExitNormal) {
        std::fprintf(stderr, "huemix: not enough memory for a %dx%d picture\n", width, height);
        CloseWindow();
        SDL_Quit();
        return kExitNoMemory;
    }
    // Without the frame's memory the window stays black, as the Windows program
    // without its frame bitmap.
    art.dibPixels = static_cast<uint32_t*>(
        ArtAlloc(static_cast<size_t>(art.canvasWidth) * static_cast<size_t>(art.canvasHeight) * sizeof(uint32_t)));
    ApplyOptions();
    SeedAndMakePalette(options);
    shell.pictureState = art.randomState;  // the splash screen's, for a snapshot of it
    SelectMode(0);
    ComposeFrame();

    if (!OpenPresenter(window)) {
        const int code = Fail(kExitNoWindow, "cannot show pictures in the window");
        CloseWindow();
        ReleaseFrame();
        SDL_Quit();
        return code;
    }
    SDL_ShowCursor(SDL_DISABLE);
    HandleCreate();
    art.lastInputTick = PlatformTickCount();  // the hint shows during the first second
    PlatformInvalidate();
    EnterCore();
    SelectStartMode();
    LeaveCore();
    RunLoop();

    // The window and SDL end with the process. SDL's own teardown on X11 can stumble
    // on the message it sent to wake its event wait when its window went, a failure
    // that Xlib's default handler (SDL puts it back first) answers with exit code 1.
    ReleaseFrame();
    return shell.exitCode;
}
