// The xscreensaver hack: a guest in a window another program owns (the one named by
// XSCREENSAVER_WINDOW or --window-id, or the root window). It never makes a window of
// its own and draws with plain Xlib, which asks nothing of the window but its visual,
// so it can watch the window without taking its input away. The pictures are the
// Windows saver's: a new one every N seconds, the modes in turn.
//
// On a local display the frame lives in memory shared with the X server (MIT-SHM):
// the core composes into it and the server copies it to the window itself, so a
// colour-cycling tick sends no pixels through the connection.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <poll.h>
#include <sys/shm.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/art_state.h"
#include "app/frame.h"
#include "app/memory.h"
#include "app/startup.h"
#include "linux/shell_linux.h"
#include "modes/canvas.h"
#include "saver/saver_run.h"

namespace {

// The loop wakes at least this often even with no timer running.
constexpr int32_t kLongestWaitMs = 1000;

struct Guest {
    Display* display;
    Window window;
    Visual* visual;
    int depth;
    GC gc;
    int32_t width;  // the window's size now
    int32_t height;
    XImage* image;      // of the window's size; its pixels are the frame or scaled
    uint32_t* scaled;   // the frame fitted into a window of another size, or null
    int32_t gone;       // the window was destroyed, or a request on it failed
    char goneWhy[64];   // which: the event, or the error and the request it answered
    char failure[160];  // the server's words for a failure other than a vanished window
    XShmSegmentInfo shared;  // the frame's memory, when the server shares it
    int32_t sharing;
};

Guest guest;

// Requests on a window that has just gone fail; the loop ends on the flag. Any other
// failure ends it too, with the server's words for it.
int OnXError(Display* display, XErrorEvent* error) {
    guest.gone = 1;
    std::snprintf(guest.goneWhy, sizeof guest.goneWhy, "it is gone (X error %d on request %d)",
                  error->error_code, error->request_code);
    if (error->error_code != BadWindow && error->error_code != BadDrawable) {
        XGetErrorText(display, error->error_code, guest.failure, sizeof guest.failure);
    }
    return 0;
}

// The display itself went away: nothing can be shown any more.
int OnXConnectionLost(Display*) {
    static const char message[] = "huemix: the connection to the display was lost\n";
    (void)!write(STDERR_FILENO, message, sizeof message - 1);
    _exit(kExitNoWindow);
}

// A display that cannot attach our memory (one across the network) answers with an
// error, which here means only "no sharing".
int32_t attachRefused = 0;
int OnAttachError(Display*, XErrorEvent*) {
    attachRefused = 1;
    return 0;
}

// The frame's pixels in memory shared with the server; false (nothing changed) where
// the display does not share memory with us.
bool ShareFrame(size_t bytes) {
    if (!XShmQueryExtension(guest.display)) return false;
    XShmSegmentInfo& s = guest.shared;
    s.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (s.shmid < 0) return false;
    s.shmaddr = static_cast<char*>(shmat(s.shmid, nullptr, 0));
    s.readOnly = True;
    bool attached = false;
    if (s.shmaddr != reinterpret_cast<char*>(-1)) {
        attachRefused = 0;
        XErrorHandler previous = XSetErrorHandler(OnAttachError);
        if (XShmAttach(guest.display, &s)) {
            XSync(guest.display, False);  // the refusal, if any, comes now
            attached = !attachRefused;
        }
        XSetErrorHandler(previous);
        if (!attached) shmdt(s.shmaddr);
    }
    shmctl(s.shmid, IPC_RMID, nullptr);  // the memory goes once both sides let it go
    if (!attached) return false;
    art.dibPixels = reinterpret_cast<uint32_t*>(s.shmaddr);
    guest.sharing = 1;
    return true;
}

bool IsTrueColour24(const XWindowAttributes& a) {
    const Visual* v = a.visual;
    return v && v->c_class == TrueColor && (a.depth == 24 || a.depth == 32) && v->red_mask == 0xFF0000 &&
           v->green_mask == 0xFF00 && v->blue_mask == 0xFF;
}

void DropImage() {
    if (guest.image) {
        guest.image->data = nullptr;  // the pixels are ours, not Xlib's to free
        XDestroyImage(guest.image);
        guest.image = nullptr;
    }
    ArtFree(guest.scaled);
    guest.scaled = nullptr;
}

// An image of the window's size. When the window has the Canvas size the image is the
// frame itself; otherwise a buffer the frame is fitted into.
bool MakeImage() {
    DropImage();
    if (guest.width <= 0 || guest.height <= 0 || !art.dibPixels) return false;
    uint32_t* pixels = art.dibPixels;
    if (guest.width != art.canvasWidth || guest.height != art.canvasHeight) {
        guest.scaled = static_cast<uint32_t*>(
            ArtAllocZeroed(static_cast<size_t>(guest.width) * static_cast<size_t>(guest.height), sizeof(uint32_t)));
        if (!guest.scaled) return false;
        pixels = guest.scaled;
    }
    if (guest.sharing && !guest.scaled) {
        guest.image = XShmCreateImage(guest.display, guest.visual, static_cast<unsigned>(guest.depth), ZPixmap,
                                      reinterpret_cast<char*>(pixels), &guest.shared,
                                      static_cast<unsigned>(guest.width), static_cast<unsigned>(guest.height));
    } else {
        guest.image = XCreateImage(guest.display, guest.visual, static_cast<unsigned>(guest.depth), ZPixmap, 0,
                                   reinterpret_cast<char*>(pixels), static_cast<unsigned>(guest.width),
                                   static_cast<unsigned>(guest.height), 32, guest.width * 4);
    }
    if (guest.image && guest.image->bits_per_pixel != 32) DropImage();
    return guest.image != nullptr;
}

// The frame into a window of another size: aspect kept, pixels dropped or repeated so
// the colours stay exact, black bars (the buffer's zeros) around it.
void FitInto(uint32_t* out) {
    const FrameFit fit = FitFrame(guest.width, guest.height, art.canvasWidth, art.canvasHeight);
    for (int32_t y = 0; y < fit.dh; ++y) {
        const uint32_t* src = art.dibPixels + static_cast<size_t>(static_cast<int64_t>(y) * art.canvasHeight / fit.dh) *
                                                  static_cast<size_t>(art.canvasWidth);
        uint32_t* dst = out + static_cast<size_t>(fit.y0 + y) * static_cast<size_t>(guest.width) + fit.x0;
        for (int32_t x = 0; x < fit.dw; ++x) dst[x] = src[static_cast<int64_t>(x) * art.canvasWidth / fit.dw];
    }
}

void Present() {
    if (!guest.image && !MakeImage()) return;
    if (guest.scaled) FitInto(guest.scaled);
    const unsigned w = static_cast<unsigned>(guest.width), h = static_cast<unsigned>(guest.height);
    if (guest.sharing && !guest.scaled) {
        XShmPutImage(guest.display, guest.window, guest.gc, guest.image, 0, 0, 0, 0, w, h, False);
    } else {
        XPutImage(guest.display, guest.window, guest.gc, guest.image, 0, 0, 0, 0, w, h);
    }
    // Waiting for the server paces the frames, keeps the core from drawing into memory
    // the server still reads, and reports a vanished window at once.
    XSync(guest.display, False);
    shell.frameDirty = 0;
    shell.exposed = 0;
}

void OnEvent(const XEvent& e) {
    switch (e.type) {
        case DestroyNotify:
            if (e.xdestroywindow.window == guest.window) {
                guest.gone = 1;
                std::snprintf(guest.goneWhy, sizeof guest.goneWhy, "it is gone (destroyed)");
            }
            break;
        case ConfigureNotify:
            if (e.xconfigure.window == guest.window &&
                (e.xconfigure.width != guest.width || e.xconfigure.height != guest.height)) {
                guest.width = e.xconfigure.width;
                guest.height = e.xconfigure.height;
                DropImage();
                shell.exposed = 1;
            }
            break;
        case Expose: shell.exposed = 1; break;
        default: break;
    }
}

void RunTimers() {
    const uint64_t now = LinuxNow();
    EnterCore();
    for (int id = TakeDueTimer(now); id != 0; id = TakeDueTimer(now)) HandleSaverTimer(static_cast<uintptr_t>(id));
    LeaveCore();
}

void RunLoop() {
    const int fd = ConnectionNumber(guest.display);
    while (!shell.terminate && !guest.gone) {
        if (shell.frameDirty || shell.exposed) Present();
        if (guest.gone) break;
        if (!XPending(guest.display)) {
            pollfd ready = {fd, POLLIN, 0};
            poll(&ready, 1, NextTimerWait(LinuxNow(), kLongestWaitMs));  // a stop signal ends it early
        }
        while (!guest.gone && XPending(guest.display)) {
            XEvent event;
            XNextEvent(guest.display, &event);
            OnEvent(event);
        }
        if (shell.terminate || guest.gone) break;
        RunTimers();
    }
}

int Fail(int code, const char* what) {
    std::fprintf(stderr, "huemix: window 0x%lx: %s\n", guest.window, what);
    return code;
}

// Looks at the window and starts watching it; kExitNoWindow with a message when it
// cannot be drawn into.
int Attach(const LinuxOptions& o) {
    guest.window = o.rootWindow ? DefaultRootWindow(guest.display) : static_cast<Window>(o.windowId);
    XWindowAttributes a;
    if (!XGetWindowAttributes(guest.display, guest.window, &a) || guest.gone) {
        return Fail(kExitNoWindow, "there is no such window on this display");
    }
    if (!IsTrueColour24(a)) {
        return Fail(kExitNoWindow, "not a 24-bit true colour window");
    }
    guest.visual = a.visual;
    guest.depth = a.depth;
    guest.width = a.width;
    guest.height = a.height;
    XSelectInput(guest.display, guest.window, StructureNotifyMask | ExposureMask);
    guest.gc = XCreateGC(guest.display, guest.window, 0, nullptr);
    XSync(guest.display, False);
    if (guest.gone) return Fail(kExitNoWindow, "it went away");
    return kExitNormal;
}

void Release() {
    DropImage();
    if (guest.sharing) {
        XShmDetach(guest.display, &guest.shared);
        XSync(guest.display, False);
        shmdt(guest.shared.shmaddr);
        art.dibPixels = nullptr;
    }
    ArtFree(art.dibPixels);
    ReleaseBuffers();
    ReleaseModeScratch();
    if (guest.gc) XFreeGC(guest.display, guest.gc);
    XCloseDisplay(guest.display);
}

}  // namespace

int RunHack(const LinuxOptions& options) {
    guest.display = XOpenDisplay(nullptr);
    if (!guest.display) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(stderr, "huemix: cannot open the display '%s'\n", name ? name : "");
        return kExitNoWindow;
    }
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXConnectionLost);
    int code = Attach(options);
    if (code == kExitNormal && AllocateBuffers(guest.width, guest.height) != kExitNormal) code = kExitNoMemory;
    if (code == kExitNormal) {
        const size_t bytes =
            static_cast<size_t>(art.canvasWidth) * static_cast<size_t>(art.canvasHeight) * sizeof(uint32_t);
        if (!ShareFrame(bytes)) art.dibPixels = static_cast<uint32_t*>(ArtAlloc(bytes));
        if (!art.dibPixels) code = kExitNoMemory;
    }
    if (code == kExitNoMemory) {
        std::fprintf(stderr, "huemix: not enough memory for a %dx%d picture\n", guest.width, guest.height);
    }
    if (code == kExitNormal) {
        ApplySaverSettings(options.saver);
        SeedAndMakePalette(options);
        EnterCore();
        StartSaverPictures();
        LeaveCore();
        RunLoop();
        if (guest.gone) code = Fail(kExitNoWindow, guest.failure[0] ? guest.failure : guest.goneWhy);
    }
    Release();
    return code;
}
