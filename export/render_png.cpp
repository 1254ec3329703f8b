// PNG files through libpng, with two text chunks before the picture data: Software,
// the program and its version, and Comment, the picture's recipe. libpng reports
// failures by a jump back to the setjmp in Encode, so everything that must be freed
// afterwards lives in the PngJob record, never in a local of that function.
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "app/memory.h"
#include "export/render_output.h"
#include "huemix_version.h"

namespace {
constexpr char kSoftware[] = "Huemix " HUEMIX_VERSION;

struct PngJob {
    RenderTarget* target;
    FILE* file;
    png_structp png;
    png_infop info;
    png_bytep row;  // one RGB row, for RGB pictures
    int32_t width;
    int32_t height;
    const uint8_t* indices;  // an indexed picture's pixels, or null
    const uint32_t* pixels;  // an RGB picture's pixels, or null
    const uint32_t* palette;
    const char* recipe;
    char* error;
    size_t errorSize;
};

void OnError(png_structp png, png_const_charp message) {
    PngJob* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->error, job->errorSize, "cannot write '%s': %s", job->target->path, message);
    png_longjmp(png, 1);
}

// The writer has nothing to warn about that would change the file; stay quiet.
void OnWarning(png_structp, png_const_charp) {}

// The chunks and rows; any failure jumps back to Encode.
void WriteChunks(PngJob* job) {
    png_structp png = job->png;
    png_infop info = job->info;
    png_init_io(png, job->file);
    const int colourType = job->indices ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(png, info, static_cast<png_uint_32>(job->width), static_cast<png_uint_32>(job->height), 8,
                 colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (job->indices) {
        png_color colours[256];
        for (int i = 0; i < 256; ++i) {
            colours[i].red = static_cast<png_byte>(job->palette[i] >> 16);
            colours[i].green = static_cast<png_byte>(job->palette[i] >> 8);
            colours[i].blue = static_cast<png_byte>(job->palette[i]);
        }
        png_set_PLTE(png, info, colours, 256);  // all of them, so PLTE is the whole Palette
    }
    png_text text[2];
    std::memset(text, 0, sizeof text);
    text[0].compression = PNG_TEXT_COMPRESSION_NONE;
    text[0].key = const_cast<png_charp>("Software");
    text[0].text = const_cast<png_charp>(kSoftware);
    text[1].compression = PNG_TEXT_COMPRESSION_NONE;
    text[1].key = const_cast<png_charp>("Comment");
    text[1].text = const_cast<png_charp>(job->recipe);
    png_set_text(png, info, text, job->recipe ? 2 : 1);
    png_write_info(png, info);
    for (int32_t y = 0; y < job->height; ++y) {
        const size_t start = static_cast<size_t>(y) * static_cast<size_t>(job->width);
        if (job->indices) {
            png_write_row(png, job->indices + start);
            continue;
        }
        for (int32_t x = 0; x < job->width; ++x) {
            const uint32_t p = job->pixels[start + static_cast<size_t>(x)];
            job->row[3 * x] = static_cast<png_byte>(p >> 16);
            job->row[3 * x + 1] = static_cast<png_byte>(p >> 8);
            job->row[3 * x + 2] = static_cast<png_byte>(p);
        }
        png_write_row(png, job->row);
    }
    png_write_end(png, info);
}

// Encodes into the target's descriptor, flushes to disk and closes it.
int32_t Encode(PngJob* job) {
    job->file = fdopen(job->target->fd, "wb");
    if (!job->file) {
        std::snprintf(job->error, job->errorSize, "cannot write '%s': %s", job->target->path, std::strerror(errno));
        return -1;
    }
    job->target->fd = -1;  // the stream owns it now
    job->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, job, OnError, OnWarning);
    if (job->png) job->info = png_create_info_struct(job->png);
    volatile bool written = false;
    if (!job->png || !job->info) {
        std::snprintf(job->error, job->errorSize, "not enough memory to write '%s'", job->target->path);
    } else if (setjmp(png_jmpbuf(job->png)) == 0) {
        WriteChunks(job);
        written = true;
    }
    png_destroy_write_struct(&job->png, &job->info);
    const bool flushed = std::fflush(job->file) == 0 && fsync(fileno(job->file)) == 0;
    const int err = errno;
    const bool closed = std::fclose(job->file) == 0;
    if (!written) return -1;
    if (!flushed || !closed) {
        std::snprintf(job->error, job->errorSize, "cannot write '%s': %s", job->target->path, std::strerror(err));
        return -1;
    }
    return 0;
}

PngJob NewJob(RenderTarget* target, int32_t width, int32_t height, const char* recipe, char* error,
              size_t errorSize) {
    PngJob job;
    std::memset(&job, 0, sizeof job);
    job.target = target;
    job.width = width;
    job.height = height;
    job.recipe = recipe;
    job.error = error;
    job.errorSize = errorSize;
    return job;
}
}  // namespace

int32_t WriteIndexedPng(RenderTarget* target, int32_t width, int32_t height, const uint8_t* indices,
                        const uint32_t* palette, const char* recipe, char* error, size_t errorSize) {
    PngJob job = NewJob(target, width, height, recipe, error, errorSize);
    job.indices = indices;
    job.palette = palette;
    return Encode(&job);
}

int32_t WriteRgbPng(RenderTarget* target, int32_t width, int32_t height, const uint32_t* pixels,
                    const char* recipe, char* error, size_t errorSize) {
    PngJob job = NewJob(target, width, height, recipe, error, errorSize);
    job.pixels = pixels;
    job.row = static_cast<png_bytep>(ArtAlloc(static_cast<size_t>(width) * 3));
    if (!job.row) {
        std::snprintf(error, errorSize, "not enough memory to write a %dx%d picture", width, height);
        return -1;
    }
    const int32_t result = Encode(&job);
    ArtFree(job.row);
    return result;
}
