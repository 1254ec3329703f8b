// Animated GIF files through giflib, one full frame at a time so that memory does not
// grow with the number of frames. Every frame carries its own colour table: colour
// cycling changes only the colours, so each frame is the same indices under another
// table, exactly as the program maps the Canvas through its Palette.
#include <gif_lib.h>

#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "export/render_output.h"

namespace {
GifFileType* Handle(GifOutput* out) { return static_cast<GifFileType*>(out->gif); }

int32_t Failed(GifOutput* out, int code, char* error, size_t errorSize) {
    const char* reason = GifErrorString(code);
    std::snprintf(error, errorSize, "cannot write '%s': %s", out->path, reason ? reason : "unknown error");
    EndGif(out, true, nullptr, 0);
    return -1;
}

// The application extension that makes viewers play the animation in a loop; a count
// of 0 means forever.
int32_t PutLoopForever(GifFileType* gif) {
    static const char kApplication[] = "NETSCAPE2.0";
    static const unsigned char kLoop[3] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_OK) return -1;
    if (EGifPutExtensionBlock(gif, 11, kApplication) != GIF_OK) return -1;
    if (EGifPutExtensionBlock(gif, 3, kLoop) != GIF_OK) return -1;
    if (EGifPutExtensionTrailer(gif) != GIF_OK) return -1;
    return 0;
}
}  // namespace

int32_t BeginGif(RenderTarget* target, GifOutput* out, int32_t width, int32_t height, int32_t delayCs,
                 char* error, size_t errorSize) {
    out->gif = nullptr;
    out->path = target->path;
    out->width = width;
    out->height = height;
    out->delayCs = delayCs;
    out->syncFd = dup(target->fd);
    int code = 0;
    GifFileType* gif = EGifOpenFileHandle(target->fd, &code);
    if (!gif) return Failed(out, code, error, errorSize);
    target->fd = -1;  // giflib closes it
    out->gif = gif;
    EGifSetGifVersion(gif, true);  // the loop and delay extensions need GIF89a
    if (EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) != GIF_OK) return Failed(out, gif->Error, error, errorSize);
    if (PutLoopForever(gif) != 0) return Failed(out, gif->Error, error, errorSize);
    return 0;
}

int32_t AddGifFrame(GifOutput* out, const uint8_t* indices, const uint32_t* palette, char* error,
                    size_t errorSize) {
    GifFileType* gif = Handle(out);
    GraphicsControlBlock control;
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = out->delayCs;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_OK) {
        return Failed(out, gif->Error, error, errorSize);
    }

    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) {
        colours[i].Red = static_cast<GifByteType>(palette[i] >> 16);
        colours[i].Green = static_cast<GifByteType>(palette[i] >> 8);
        colours[i].Blue = static_cast<GifByteType>(palette[i]);
    }
    ColorMapObject* map = GifMakeMapObject(256, colours);
    if (!map) return Failed(out, E_GIF_ERR_NOT_ENOUGH_MEM, error, errorSize);
    const int described = EGifPutImageDesc(gif, 0, 0, out->width, out->height, false, map);
    GifFreeMapObject(map);
    if (described != GIF_OK) return Failed(out, gif->Error, error, errorSize);

    for (int32_t y = 0; y < out->height; ++y) {
        // giflib takes a writable row but does not change it.
        GifPixelType* row = const_cast<GifPixelType*>(indices + static_cast<size_t>(y) * out->width);
        if (EGifPutLine(gif, row, out->width) != GIF_OK) return Failed(out, gif->Error, error, errorSize);
    }
    return 0;
}

int32_t EndGif(GifOutput* out, bool abandon, char* error, size_t errorSize) {
    int code = E_GIF_SUCCEEDED;
    int closed = GIF_OK;
    if (out->gif) closed = EGifCloseFile(Handle(out), &code);
    out->gif = nullptr;
    bool synced = true;
    if (out->syncFd >= 0) {
        synced = abandon || fsync(out->syncFd) == 0;
        close(out->syncFd);
        out->syncFd = -1;
    }
    if (abandon) return -1;
    if (closed != GIF_OK || !synced) {
        const char* reason = closed != GIF_OK ? GifErrorString(code) : "could not flush it to disk";
        std::snprintf(error, errorSize, "cannot write '%s': %s", out->path, reason ? reason : "unknown error");
        return -1;
    }
    return 0;
}
