// Mode 2: random seeds, each pixel coloured by its nearest seed plus an offset that
// grows with the distance, so every cell is a patch of concentric rings.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/modes.h"
#include "modes/random_source.h"

namespace {
constexpr double kSeedsPerDetail = 40.0;
constexpr int kMinSeeds = 12;
constexpr int kMaxSeeds = 120;  // bounds the all-seeds search on large screens
// The ring index rises by one every 1 / 0.6 pixels; negative so that truncation
// toward zero gives -floor(0.6 x dist).
constexpr double kRingsPerPixel = -0.6;
}  // namespace

void DrawVoronoi() {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    int n = static_cast<int>(art.detailScale * kSeedsPerDetail);
    if (n < kMinSeeds) n = kMinSeeds;
    if (n > kMaxSeeds) n = kMaxSeeds;

    const size_t bytes = static_cast<size_t>(n) * sizeof(int);
    int* seedX = static_cast<int*>(ArtAlloc(bytes));
    int* seedY = seedX ? static_cast<int*>(ArtAlloc(bytes)) : nullptr;
    int* seedColour = seedY ? static_cast<int*>(ArtAlloc(bytes)) : nullptr;

    if (seedColour) {
        for (int k = 0; k < n; ++k) {
            seedX[k] = RandomBelow(w);
            seedY[k] = RandomBelow(h);
            seedColour[k] = RandomColour();
        }
        for (int y = 0; y < h; ++y) {
            uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
            for (int x = 0; x < w; ++x) {
                int best = 0;
                int64_t bestD2 = INT64_MAX;
                for (int k = 0; k < n; ++k) {
                    const int64_t ex = x - seedX[k];
                    const int64_t ey = y - seedY[k];
                    const int64_t d2 = ex * ex + ey * ey;
                    // Strictly smaller only: on a tie the lower-numbered seed keeps the pixel.
                    if (d2 < bestD2) {
                        bestD2 = d2;
                        best = k;
                    }
                }
                const double dist = std::sqrt(static_cast<double>(bestD2));
                const int t = static_cast<int>(dist * kRingsPerPixel);
                int index = (seedColour[best] - t) % 255;
                if (index < 1) index = 1;
                row[x] = static_cast<uint8_t>(index);
            }
        }
    }

    ArtFree(seedX);
    ArtFree(seedY);
    ArtFree(seedColour);
}
