// Mode 2: random seeds, each pixel coloured by its nearest seed plus an offset that
// grows with the distance, so every cell is a patch of concentric rings.
#include "modes/voronoi.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "modes/workers.h"

namespace {
constexpr double kSeedsPerDetail = 40.0;
constexpr int kMinSeeds = 12;
// The ring index rises by one every 1 / 0.6 pixels; negative so that truncation
// toward zero gives -floor(0.6 x dist).
constexpr double kRingsPerPixel = -0.6;

// Along one row the squared distance from column x to seed k is
//   x^2 + line[k] - 2 x seedX[k],   with line[k] = seedX[k]^2 + (y - seedY[k])^2,
// so the x^2 drops out of every comparison and each seed is a straight line in x.
// The nearest seed is the lowest line, the lowest-numbered one where lines meet, and
// the owner of a row only changes a handful of times: the row is painted run by run.

// Owner of column x: strictly smaller wins, so on a tie the lower-numbered seed does.
int NearestSeed(const int64_t* line, const int* seedX, int n, int64_t x) {
    int best = 0;
    int64_t bestValue = line[0] - 2 * seedX[0] * x;
    for (int k = 1; k < n; ++k) {
        const int64_t value = line[k] - 2 * seedX[k] * x;
        if (value < bestValue) {
            bestValue = value;
            best = k;
        }
    }
    return best;
}

// The next change of owner along a row: the first column after the current one at
// which another seed is nearer, and that seed.
struct OwnerChange {
    int64_t column;  // the end of the row when the owner keeps it
    int seed;
};

// Only seeds right of the owner can take the row: their lines fall faster, and once a
// seed is nearer it stays nearer for the rest of the row. Seed j is nearer at column c
// when line[j] - line[owner] < 2 (seedX[j] - seedX[owner]) c, or equally near and j is
// the lower-numbered; at the current column neither holds, so the difference a below
// is at least b x >= 0. Where several seeds take over at the same column the nearest
// of them wins; seeds are tried in index order, so on a tie the earlier one stays.
OwnerChange NextOwnerChange(const int64_t* line, const int* seedX, int n, int owner, int64_t end) {
    OwnerChange next{end, owner};
    for (int j = 0; j < n; ++j) {
        if (seedX[j] <= seedX[owner]) continue;
        const int64_t a = line[j] - line[owner];
        const int64_t b = 2 * static_cast<int64_t>(seedX[j] - seedX[owner]);
        // From column a / b on, j is at least as near as the owner: not before the
        // current candidate, which is then at least as near as j and lower-numbered.
        if (a >= b * next.column) continue;
        const int64_t q = a / b;
        const int64_t column = (q * b == a && j < owner) ? q : q + 1;
        if (column < next.column) {
            next = {column, j};
        } else if (column == next.column &&
                   line[j] - 2 * seedX[j] * column < line[next.seed] - 2 * seedX[next.seed] * column) {
            next.seed = j;
        }
    }
    return next;
}

// Columns x0..x1-1 of a row, all owned by one seed.
void PaintRun(uint8_t* row, int x0, int x1, int seedX, int64_t rowDistance2, int colour) {
    for (int x = x0; x < x1; ++x) {
        const int64_t ex = x - seedX;
        const int64_t d2 = ex * ex + rowDistance2;
        const double dist = std::sqrt(static_cast<double>(d2));
        const int t = static_cast<int>(dist * kRingsPerPixel);
        int index = (colour - t) % 255;
        if (index < 1) index = 1;
        row[x] = static_cast<uint8_t>(index);
    }
}

void PaintRow(int y, const int* seedX, const int* seedY, const int* seedColour, int n,
              int64_t* line) {
    const int w = art.canvasWidth;
    uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
    for (int k = 0; k < n; ++k) {
        const int64_t ey = y - seedY[k];
        line[k] = static_cast<int64_t>(seedX[k]) * seedX[k] + ey * ey;
    }
    int64_t x = 0;
    int owner = NearestSeed(line, seedX, n, 0);
    while (x < w) {
        const OwnerChange next = NextOwnerChange(line, seedX, n, owner, w);
        const int64_t ey = y - seedY[owner];
        PaintRun(row, static_cast<int>(x), static_cast<int>(next.column), seedX[owner], ey * ey,
                 seedColour[owner]);
        x = next.column;
        owner = next.seed;
    }
}

struct VoronoiSeeds {
    const int* seedX;
    const int* seedY;
    const int* seedColour;
    int n;
};

// Rows per piece of work handed to the drawing threads.
constexpr int kRowsPerPiece = 8;

void PaintRows(void* context, int from, int to, int) {
    const VoronoiSeeds& seeds = *static_cast<const VoronoiSeeds*>(context);
    int64_t line[kMaxVoronoiSeeds];  // per-row terms; bounded, so no further allocation
    for (int y = from; y < to; ++y) PaintRow(y, seeds.seedX, seeds.seedY, seeds.seedColour, seeds.n, line);
}
}  // namespace

void PaintVoronoi(const int* seedX, const int* seedY, const int* seedColour, int n) {
    VoronoiSeeds seeds{seedX, seedY, seedColour, n};
    RunRows(PaintRows, &seeds, art.canvasHeight, kRowsPerPiece);
}

void DrawVoronoi() {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    int n = static_cast<int>(art.detailScale * kSeedsPerDetail);
    if (n < kMinSeeds) n = kMinSeeds;
    if (n > kMaxVoronoiSeeds) n = kMaxVoronoiSeeds;

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
        PaintVoronoi(seedX, seedY, seedColour, n);
    }

    ArtFree(seedX);
    ArtFree(seedY);
    ArtFree(seedColour);
}
