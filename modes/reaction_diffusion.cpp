// Mode 5: a Gray-Scott pattern grown from random discs on a grid of a third of the
// Canvas resolution, then stretched over the whole Canvas.
#include "modes/reaction_diffusion.h"

#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "app/memory.h"
#include "modes/modes.h"
#include "modes/random_source.h"

const ReactionParam ReactionParams[6] = {
    {0.0367, 0.0649}, {0.029, 0.057}, {0.025, 0.06},
    {0.014, 0.054},   {0.039, 0.058}, {0.046, 0.063},
};

namespace {
constexpr float kDiffusionU = 0.16f;
constexpr float kDiffusionV = 0.08f;

int Clamp(int value, int lo, int hi) { return value < lo ? lo : (value > hi ? hi : value); }

// The interior cells of one row. Every operation is a separate single-precision
// rounding in a fixed order (the build forbids fused multiply-adds), so a seed gives
// the same pattern on every machine. The grids of one step never overlap.
void StepRow(const float* __restrict uc, const float* __restrict vc, float* __restrict uo,
             float* __restrict vo, int gw, float feed, float feedPlusKill) {
    const float* un = uc - gw;  // north, row - 1
    const float* us = uc + gw;  // south, row + 1
    const float* vn = vc - gw;
    const float* vs = vc + gw;
    for (int col = 1; col < gw - 1; ++col) {
        const float cu = uc[col];
        const float cv = vc[col];
        const float lu = ((uc[col - 1] + uc[col + 1]) + un[col]) + us[col] - 4.0f * cu;
        const float lv = ((vc[col - 1] + vc[col + 1]) + vn[col]) + vs[col] - 4.0f * cv;
        const float q = cu * cv * cv;
        uo[col] = ((kDiffusionU * lu + cu) - q) + feed * (1.0f - cu);
        vo[col] = ((kDiffusionV * lv + cv) + q) - feedPlusKill * cv;
    }
}

// Nearest-neighbour stretch of the final V grid over the whole Canvas.
void MapToCanvas(const float* v, int gw, int gh) {
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    for (int y = 0; y < h; ++y) {
        const int gy = Clamp(static_cast<int>(static_cast<int64_t>(y) * gh / h), 0, gh - 1);
        const float* src = v + static_cast<size_t>(gy) * gw;
        uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            const int gx = Clamp(static_cast<int>(static_cast<int64_t>(x) * gw / w), 0, gw - 1);
            row[x] = static_cast<uint8_t>(ReactionIndex(src[gx]));
        }
    }
}
}  // namespace

int ReactionGridWidth(int canvasWidth) { return Clamp(canvasWidth / 3, 200, 600); }

int ReactionGridHeight(int canvasHeight) { return Clamp(canvasHeight / 3, 150, 400); }

void SeedReactionDisc(float* u, float* v, int gw, int gh, int cx, int cy, int r) {
    for (int dy = -r; dy <= r; ++dy) {
        const int row = cy + dy;
        if (row < 0 || row >= gh) continue;
        for (int dx = -r; dx <= r; ++dx) {
            const int col = cx + dx;
            if (col < 0 || col >= gw || dx * dx + dy * dy > r * r) continue;
            const size_t i = static_cast<size_t>(row) * gw + col;
            u[i] = 0.5f;
            v[i] = 1.0f;
        }
    }
}

void ReactionStep(const float* u, const float* v, float* nu, float* nv, int gw, int gh,
                  float feed, float feedPlusKill) {
    for (int row = 1; row < gh - 1; ++row) {
        const size_t base = static_cast<size_t>(row) * gw;
        StepRow(u + base, v + base, nu + base, nv + base, gw, feed, feedPlusKill);
    }
}

int ReactionIndex(float v) {
    if (!(v > 0.0f)) v = 0.0f;  // negative, and NaN should the model ever blow up
    if (v > 1.0f) v = 1.0f;
    const int index = 1 + static_cast<int>(254.0f * v);
    return index > 255 ? 255 : index;
}

void DrawReactionDiffusion() {
    const int gw = ReactionGridWidth(art.canvasWidth);
    const int gh = ReactionGridHeight(art.canvasHeight);
    const size_t cells = static_cast<size_t>(gw) * gh;
    float* grids[4];
    bool complete = true;
    for (float*& grid : grids) {
        grid = static_cast<float*>(ArtAllocZeroed(cells, sizeof(float)));
        complete = complete && grid;
    }
    if (!complete) {
        for (float* grid : grids) ArtFree(grid);
        return;
    }
    float* u = grids[0];
    float* v = grids[1];
    float* nu = grids[2];
    float* nv = grids[3];

    for (size_t i = 0; i < cells; ++i) u[i] = 1.0f;  // V stays zero-filled
    const int count = static_cast<int>(NextRandom() % 12u) + 8;
    for (int disc = 0; disc < count; ++disc) {
        const int cx = RandomBelow(gw);
        const int cy = RandomBelow(gh);
        const int r = static_cast<int>(NextRandom() % 12u) + 4;
        SeedReactionDisc(u, v, gw, gh, cx, cy, r);
    }
    // The next-step grids start as copies, so their never-computed border matches.
    std::memcpy(nu, u, cells * sizeof(float));
    std::memcpy(nv, v, cells * sizeof(float));

    const ReactionParam& params = ReactionParams[NextRandom() % 6u];
    const float feed = static_cast<float>(params.feed);
    const float feedPlusKill = feed + static_cast<float>(params.kill);

    for (int step = 0; step < kReactionSteps; ++step) {
        ReactionStep(u, v, nu, nv, gw, gh, feed, feedPlusKill);
        float* t = u;
        u = nu;
        nu = t;
        t = v;
        v = nv;
        nv = t;
    }

    MapToCanvas(v, gw, gh);
    for (float* grid : grids) ArtFree(grid);
}
