#include "export/render_animation.h"

#include <cstdio>

#include "app/art_state.h"
#include "export/offline_job.h"
#include "export/render_progress.h"

namespace {
struct AnimationOutput {
    int32_t format;
    GifOutput gif;
    VideoOutput video;
};

int32_t BeginAnimation(const OfflineOptions& o, RenderTarget* target, const char* recipe, AnimationOutput* out,
                       char* error, size_t errorSize) {
    out->format = o.format;
    const int32_t w = art.canvasWidth;
    const int32_t h = art.canvasHeight;
    if (o.format == kFormatWebm) return BeginVideo(target, &out->video, w, h, o.delayMs, o.threads, recipe, error, errorSize);
    return BeginGif(target, &out->gif, w, h, GifDelayCentiseconds(o.delayMs), error, errorSize);
}

int32_t AddAnimationFrame(AnimationOutput* out, const uint8_t* indices, char* error, size_t errorSize) {
    if (out->format == kFormatWebm) return AddVideoFrame(&out->video, indices, art.palette, error, errorSize);
    return AddGifFrame(&out->gif, indices, art.palette, error, errorSize);
}

int32_t EndAnimation(AnimationOutput* out, bool abandon, char* error, size_t errorSize) {
    if (out->format == kFormatWebm) return EndVideo(&out->video, abandon, error, errorSize);
    return EndGif(&out->gif, abandon, error, errorSize);
}
}  // namespace

int32_t WriteAnimation(const OfflineOptions& o, RenderTarget* target, const char* recipe, char* error,
                       size_t errorSize) {
    AnimationOutput out;
    if (BeginAnimation(o, target, recipe, &out, error, errorSize) != 0) return -1;
    RenderProgress progress;
    BeginProgress(&progress, o.frames);
    for (int32_t frame = 0; frame < o.frames; ++frame) {
        if (frame > 0 && AdvanceOfflineFrame(o, frame) != 0) {
            EndProgress(&progress);
            std::snprintf(error, errorSize, "not enough memory for the zoom frames of a %dx%d picture",
                          art.canvasWidth, art.canvasHeight);
            return EndAnimation(&out, true, nullptr, 0);
        }
        // A failed frame has released its encoder already.
        if (AddAnimationFrame(&out, OfflineFrameIndices(o), error, errorSize) != 0) {
            EndProgress(&progress);
            return -1;
        }
        ShowProgress(&progress, frame + 1);
    }
    EndProgress(&progress);
    return EndAnimation(&out, false, error, errorSize);
}
