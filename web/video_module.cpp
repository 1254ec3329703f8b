// The module of the page's video worker (huemix-video.js, loaded only when a video is
// asked for or a PNG is opened): each frame of a loop as Y'CbCr planes from the
// picture's indices under one palette, made as the renderer's videos are; and a
// dropped PNG's recipe read by the core's own reader, so that the page and the
// renderer take the same texts.
#include <emscripten.h>

#include <cstdio>

#include "app/memory.h"
#include "export/recipe.h"
#include "export/video_frame.h"

namespace {
struct VideoBuffers {
    uint8_t* indices = nullptr;  // width x height
    uint8_t* planes = nullptr;   // Y, then U and V at half size both ways (I420)
    uint32_t palette[256] = {};
    int32_t width = 0;
    int32_t height = 0;
};
VideoBuffers video;

char recipeText[kRecipeCapacity + 1];  // one more than any recipe: a longer one is refused
char answer[kRecipeCapacity];

size_t ChromaBytes(int32_t width, int32_t height) {
    return static_cast<size_t>((width + 1) / 2) * static_cast<size_t>((height + 1) / 2);
}

void ReleaseVideo() {
    ArtFree(video.indices);
    ArtFree(video.planes);
    video = VideoBuffers{};
}
}  // namespace

extern "C" {

// Buffers for frames of width x height; returns the indices to fill, or null without
// memory.
EMSCRIPTEN_KEEPALIVE uint8_t* WebVideoStart(int width, int height) {
    ReleaseVideo();
    if (width < 2 || height < 2) return nullptr;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    video.indices = static_cast<uint8_t*>(ArtAlloc(pixels));
    video.planes = static_cast<uint8_t*>(ArtAlloc(pixels + 2 * ChromaBytes(width, height)));
    if (!video.indices || !video.planes) {
        ReleaseVideo();
        return nullptr;
    }
    video.width = width;
    video.height = height;
    return video.indices;
}

// Where the worker puts the palette of the next frame.
EMSCRIPTEN_KEEPALIVE uint32_t* WebVideoPalette() { return video.palette; }

// The indices under that palette as I420 planes, WebVideoFrameBytes long.
EMSCRIPTEN_KEEPALIVE uint8_t* WebVideoFrame() {
    if (!video.planes) return nullptr;
    const size_t luma = static_cast<size_t>(video.width) * static_cast<size_t>(video.height);
    const size_t chroma = ChromaBytes(video.width, video.height);
    const size_t chromaStride = static_cast<size_t>((video.width + 1) / 2);
    const VideoPlanes planes = {video.planes, video.planes + luma, video.planes + luma + chroma,
                                static_cast<size_t>(video.width), chromaStride, chromaStride};
    FillVideoPlanes(video.indices, video.palette, video.width, video.height, planes);
    return video.planes;
}

EMSCRIPTEN_KEEPALIVE int WebVideoFrameBytes() {
    return static_cast<int>(static_cast<size_t>(video.width) * static_cast<size_t>(video.height) +
                            2 * ChromaBytes(video.width, video.height));
}

// Where the worker puts a recipe's text, up to WebRecipeCapacity bytes and a zero.
EMSCRIPTEN_KEEPALIVE char* WebRecipeBuffer() { return recipeText; }
EMSCRIPTEN_KEEPALIVE int WebRecipeCapacity() { return static_cast<int>(sizeof recipeText) - 1; }

// Reads the recipe there. 0: the answer is the page's address parameters that open
// its picture; -1: the answer says what is wrong with it, in one line. The zoom opens
// at its start, as from its link: its later frames are the page's timer's to draw.
EMSCRIPTEN_KEEPALIVE int WebReadRecipe() {
    recipeText[sizeof recipeText - 1] = '\0';
    Recipe r;
    if (ParseRecipe(recipeText, &r, answer, sizeof answer) != 0) return -1;
    r.zoomFrames = 0;
    if (FormatLinkParameters(r, answer, sizeof answer) < 0) {
        std::snprintf(answer, sizeof answer, "too long to be a recipe");
        return -1;
    }
    return 0;
}

EMSCRIPTEN_KEEPALIVE const char* WebRecipeAnswer() { return answer; }
}
