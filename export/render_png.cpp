// PNG files through libpng's simplified writer, which reports failures in the image
// record instead of printing them.
#include <png.h>

#include <cerrno>
#include <cstring>

#include <unistd.h>

#include "app/memory.h"
#include "export/render_output.h"

namespace {
// Encodes into the target's descriptor, flushes to disk and closes it.
int32_t Encode(RenderTarget* target, png_image* image, const void* buffer, png_int_32 rowStride,
               const void* colormap, char* error, size_t errorSize) {
    FILE* file = fdopen(target->fd, "wb");
    if (!file) {
        std::snprintf(error, errorSize, "cannot write '%s': %s", target->path, std::strerror(errno));
        return -1;
    }
    target->fd = -1;  // the stream owns it now
    const int ok = png_image_write_to_stdio(image, file, 0, buffer, rowStride, colormap);
    const bool flushed = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    const int err = errno;
    const bool closed = std::fclose(file) == 0;
    if (!ok) {
        std::snprintf(error, errorSize, "cannot write '%s': %s", target->path, image->message);
        png_image_free(image);
        return -1;
    }
    if (!flushed || !closed) {
        std::snprintf(error, errorSize, "cannot write '%s': %s", target->path, std::strerror(err));
        return -1;
    }
    return 0;
}

void Describe(png_image* image, int32_t width, int32_t height, png_uint_32 format) {
    std::memset(image, 0, sizeof *image);
    image->version = PNG_IMAGE_VERSION;
    image->width = static_cast<png_uint_32>(width);
    image->height = static_cast<png_uint_32>(height);
    image->format = format;
}
}  // namespace

int32_t WriteIndexedPng(RenderTarget* target, int32_t width, int32_t height, const uint8_t* indices,
                        const uint32_t* palette, char* error, size_t errorSize) {
    png_image image;
    Describe(&image, width, height, PNG_FORMAT_RGB_COLORMAP);
    image.colormap_entries = 256;  // all of them, so PLTE is the whole Palette
    png_byte colours[256 * 3];
    for (int i = 0; i < 256; ++i) {
        colours[3 * i] = static_cast<png_byte>(palette[i] >> 16);
        colours[3 * i + 1] = static_cast<png_byte>(palette[i] >> 8);
        colours[3 * i + 2] = static_cast<png_byte>(palette[i]);
    }
    return Encode(target, &image, indices, width, colours, error, errorSize);
}

int32_t WriteRgbPng(RenderTarget* target, int32_t width, int32_t height, const uint32_t* pixels,
                    char* error, size_t errorSize) {
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    png_byte* rgb = static_cast<png_byte*>(ArtAlloc(n * 3));
    if (!rgb) {
        std::snprintf(error, errorSize, "not enough memory to write a %dx%d picture", width, height);
        return -1;
    }
    for (size_t i = 0; i < n; ++i) {
        rgb[3 * i] = static_cast<png_byte>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<png_byte>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<png_byte>(pixels[i]);
    }
    png_image image;
    Describe(&image, width, height, PNG_FORMAT_RGB);
    const int32_t result = Encode(target, &image, rgb, width * 3, nullptr, error, errorSize);
    ArtFree(rgb);
    return result;
}
