#include <cstddef>

#include "text/overlays.h"

void DarkenRect(uint32_t* pixels, int32_t width, int32_t height, int32_t left, int32_t top,
                int32_t right, int32_t bottom, uint32_t percent) {
    if (!pixels) return;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > width) right = width;
    if (bottom > height) bottom = height;
    // Each channel's value times percent / 100, worked out once for all 256 values
    // rather than three divisions per pixel.
    uint32_t scaled[256];
    for (uint32_t v = 0; v < 256; ++v) scaled[v] = v * percent / 100;
    for (int32_t y = top; y < bottom; ++y) {
        uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = left; x < right; ++x) {
            const uint32_t p = row[x];
            const uint32_t r = scaled[(p >> 16) & 0xFF];
            const uint32_t g = scaled[(p >> 8) & 0xFF];
            const uint32_t b = scaled[p & 0xFF];
            row[x] = (r << 16) | (g << 8) | b;  // the top byte becomes 0
        }
    }
}
