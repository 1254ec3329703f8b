#include "export/video_frame.h"

namespace {
// Chroma per entry in 1/64 steps, so that the mean of four stays exact to the last
// step before its one rounding.
constexpr int32_t kChromaScale = 64;

struct EntryColours {
    uint8_t luma[256];
    int32_t cb[256];
    int32_t cr[256];
};

void ConvertPalette(const uint32_t* palette, EntryColours* out) {
    for (int i = 0; i < 256; ++i) {
        const double r = static_cast<double>((palette[i] >> 16) & 0xFF);
        const double g = static_cast<double>((palette[i] >> 8) & 0xFF);
        const double b = static_cast<double>(palette[i] & 0xFF);
        const double y = 16.0 + (65.481 * r + 128.553 * g + 24.966 * b) / 255.0;
        const double cb = 128.0 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255.0;
        const double cr = 128.0 + (112.0 * r - 93.786 * g - 18.214 * b) / 255.0;
        out->luma[i] = static_cast<uint8_t>(y + 0.5);
        out->cb[i] = static_cast<int32_t>(cb * kChromaScale + 0.5);
        out->cr[i] = static_cast<int32_t>(cr * kChromaScale + 0.5);
    }
}

uint8_t MeanOfFour(int32_t sum) { return static_cast<uint8_t>((sum + 2 * kChromaScale) / (4 * kChromaScale)); }
}  // namespace

void FillVideoPlanes(const uint8_t* indices, const uint32_t* palette, int32_t width, int32_t height,
                     const VideoPlanes& planes) {
    EntryColours c;
    ConvertPalette(palette, &c);
    const size_t w = static_cast<size_t>(width);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = indices + static_cast<size_t>(y) * w;
        uint8_t* out = planes.y + static_cast<size_t>(y) * planes.yStride;
        for (size_t x = 0; x < w; ++x) out[x] = c.luma[row[x]];
    }
    const int32_t chromaWidth = (width + 1) / 2;
    for (int32_t cy = 0; cy < (height + 1) / 2; ++cy) {
        const int32_t y0 = 2 * cy;
        const int32_t y1 = y0 + 1 < height ? y0 + 1 : y0;
        const uint8_t* top = indices + static_cast<size_t>(y0) * w;
        const uint8_t* bottom = indices + static_cast<size_t>(y1) * w;
        uint8_t* u = planes.u + static_cast<size_t>(cy) * planes.uStride;
        uint8_t* v = planes.v + static_cast<size_t>(cy) * planes.vStride;
        for (int32_t cx = 0; cx < chromaWidth; ++cx) {
            const int32_t x0 = 2 * cx;
            const int32_t x1 = x0 + 1 < width ? x0 + 1 : x0;
            const uint8_t a = top[x0], b = top[x1], d = bottom[x0], e = bottom[x1];
            u[cx] = MeanOfFour(c.cb[a] + c.cb[b] + c.cb[d] + c.cb[e]);
            v[cx] = MeanOfFour(c.cr[a] + c.cr[b] + c.cr[d] + c.cr[e]);
        }
    }
}
