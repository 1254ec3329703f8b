// A PNG's recipe, read with libpng from the chunks before the picture data, where
// the renderer and the page put it. Nothing past them is read but the file's last 12
// bytes, which must be its end chunk: a file cut short is refused without reading a
// large one through, and a file that holds megabytes before its picture data is
// given up after kReadLimit bytes.
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "export/render_output.h"

namespace {
constexpr size_t kReadLimit = size_t{8} << 20;
constexpr size_t kTextLimit = size_t{1} << 20;  // largest text chunk libpng will hold for us

struct PngReading {
    FILE* file;
    png_structp png;
    png_infop info;
    size_t budget;  // bytes that may still be read
    char* reason;
    size_t reasonSize;
};

void OnError(png_structp png, png_const_charp message) {
    PngReading* reading = static_cast<PngReading*>(png_get_error_ptr(png));
    if (!reading->reason[0]) std::snprintf(reading->reason, reading->reasonSize, "a damaged PNG file (%s)", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep data, size_t length) {
    PngReading* reading = static_cast<PngReading*>(png_get_io_ptr(png));
    if (length > reading->budget) {
        std::snprintf(reading->reason, reading->reasonSize,
                      "more than 8 MiB before its picture data, too much for a recipe");
        png_longjmp(png, 1);
    }
    const size_t got = std::fread(data, 1, length, reading->file);
    reading->budget -= got;
    if (got != length) {
        std::snprintf(reading->reason, reading->reasonSize, "the file ends before its picture data");
        png_longjmp(png, 1);
    }
}

// The chunks up to the picture data; on a failure libpng jumps back to ReadComment.
void ReadChunks(PngReading* reading) {
    png_set_read_fn(reading->png, reading, ReadBytes);
    png_set_sig_bytes(reading->png, 8);
    png_set_chunk_malloc_max(reading->png, kTextLimit);
    png_read_info(reading->png, reading->info);
}

// Copies the first Comment text into out.
int32_t CopyComment(PngReading* reading, char* out, size_t outSize) {
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(reading->png, reading->info, &texts, &count);
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(texts[i].key, "Comment") != 0) continue;
        const size_t n = std::strlen(texts[i].text);
        if (n >= outSize) {
            std::snprintf(reading->reason, reading->reasonSize, "its Comment is too long to be a recipe (%zu bytes)", n);
            return -1;
        }
        std::memcpy(out, texts[i].text, n + 1);
        return 0;
    }
    std::snprintf(reading->reason, reading->reasonSize, "no recipe in it (no Comment text before the picture data)");
    return -1;
}

int32_t ReadComment(PngReading* reading, char* out, size_t outSize) {
    reading->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, reading, OnError, OnWarning);
    if (reading->png) reading->info = png_create_info_struct(reading->png);
    volatile int32_t result = -1;
    if (!reading->png || !reading->info) {
        std::snprintf(reading->reason, reading->reasonSize, "not enough memory to read it");
    } else if (setjmp(png_jmpbuf(reading->png)) == 0) {
        ReadChunks(reading);
        result = CopyComment(reading, out, outSize);
    }
    png_destroy_read_struct(&reading->png, &reading->info, nullptr);
    return result;
}

// A whole PNG ends in an empty IEND chunk, whose bytes never change.
bool EndsWithEndChunk(FILE* file) {
    static const unsigned char kEnd[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    unsigned char last[12];
    return fseeko(file, -12, SEEK_END) == 0 && std::fread(last, 1, 12, file) == 12 &&
           std::memcmp(last, kEnd, 12) == 0;
}
}  // namespace

int32_t ReadPngRecipe(const char* path, char* recipe, size_t recipeSize, char* reason, size_t reasonSize) {
    reason[0] = '\0';
    struct stat info;
    if (stat(path, &info) != 0) {
        std::snprintf(reason, reasonSize, "%s", std::strerror(errno));
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        std::snprintf(reason, reasonSize, "not a file");
        return -1;
    }
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::snprintf(reason, reasonSize, "%s", std::strerror(errno));
        return -1;
    }
    unsigned char signature[8];
    int32_t result = -1;
    if (std::fread(signature, 1, 8, file) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        std::snprintf(reason, reasonSize, "not a PNG file");
    } else {
        PngReading reading = {file, nullptr, nullptr, kReadLimit, reason, reasonSize};
        result = ReadComment(&reading, recipe, recipeSize);
        if (result == 0 && !EndsWithEndChunk(file)) {
            std::snprintf(reason, reasonSize, "the file is cut short (it does not end in an IEND chunk)");
            result = -1;
        }
    }
    std::fclose(file);
    return result;
}
