// The renderer's files: a temporary file beside the target that becomes the target
// only when complete, and the PNG, GIF and video encoders that fill it. Every
// function returns 0, or -1 with a one-line message in the caller's error buffer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct RenderTarget {
    const char* path;       // the file asked for
    char tempPath[4096];    // ".NAME.XXXXXX" in the same folder, so rename is atomic
    int fd;                 // open on tempPath, -1 once handed on or closed
};

// Creates the temporary file; fails at once for a folder that cannot be written.
int32_t OpenTarget(const char* path, RenderTarget* target, char* error, size_t errorSize);
// Renames the finished temporary file to the target.
int32_t CommitTarget(RenderTarget* target, char* error, size_t errorSize);
// Closes and removes the temporary file; harmless after a commit.
void DiscardTarget(RenderTarget* target);

// 8-bit palette PNG: pixel values are the indices, PLTE the 256 colours (0x00RRGGBB).
// Every PNG holds a Software text ("Huemix" and the version) and, unless recipe is
// null, a Comment text with the picture's recipe, both before the picture data.
int32_t WriteIndexedPng(RenderTarget* target, int32_t width, int32_t height, const uint8_t* indices,
                        const uint32_t* palette, const char* recipe, char* error, size_t errorSize);
// RGB PNG of 0x00RRGGBB frame pixels.
int32_t WriteRgbPng(RenderTarget* target, int32_t width, int32_t height, const uint32_t* pixels,
                    const char* recipe, char* error, size_t errorSize);

// The Comment text of a PNG file into recipe. Returns 0, or -1 with the reason (what
// is wrong with the file, without its name) in reason.
int32_t ReadPngRecipe(const char* path, char* recipe, size_t recipeSize, char* reason, size_t reasonSize);

// An animated GIF that loops forever, written frame by frame, each frame a full
// picture with its own 256-colour table.
struct GifOutput {
    void* gif;  // the encoder's handle
    const char* path;
    int32_t width;
    int32_t height;
    int32_t delayCs;
    int syncFd;  // a second descriptor of the file, to flush it to disk at the end
};
int32_t BeginGif(RenderTarget* target, GifOutput* out, int32_t width, int32_t height, int32_t delayCs,
                 char* error, size_t errorSize);
int32_t AddGifFrame(GifOutput* out, const uint8_t* indices, const uint32_t* palette, char* error,
                    size_t errorSize);
// Finishes the file; with abandon set, only releases the encoder.
int32_t EndGif(GifOutput* out, bool abandon, char* error, size_t errorSize);

// A VP9 video in a WebM file, written frame by frame: each frame the indices under
// that frame's palette, as a GIF frame is, encoded at once. The recipe goes into the
// container's comment tag. threads 0: one encoder thread per logical processor.
struct VideoOutput {
    void* state;  // the encoder, the muxer and the frame buffer
};
int32_t BeginVideo(RenderTarget* target, VideoOutput* out, int32_t width, int32_t height, int32_t delayMs,
                   int32_t threads, const char* recipe, char* error, size_t errorSize);
int32_t AddVideoFrame(VideoOutput* out, const uint8_t* indices, const uint32_t* palette, char* error,
                      size_t errorSize);
// Finishes the file; with abandon set, only releases the encoder and the muxer.
int32_t EndVideo(VideoOutput* out, bool abandon, char* error, size_t errorSize);
