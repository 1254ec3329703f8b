// Mode 0, the title screen: a radial gradient from index 1 at the centre to 255 in the
// corners, with the names, a tag line, a key hint and the site label written into it.
#include "modes/splash.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "app/art_state.h"
#include "modes/modes.h"
#include "modes/paths/kernel_choice.h"
#include "text/font.h"
#include "text/site_label.h"

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

SplashLayout ComputeSplashLayout(int32_t width, int32_t height, int32_t medium, int32_t large) {
    const int32_t m = medium;
    const int32_t l = large;
    // The first four lines form a block 21L + 38M high, centred vertically; each line
    // is centred horizontally by its character count (6 columns per character).
    const int32_t y0 = (height - 38 * m - 21 * l) / 2;
    const int32_t y1 = y0 + 7 * l + 6 * m;
    const int32_t y2 = y1 + 14 * l + 12 * m;
    const int32_t y3 = y2 + 13 * m;
    SplashLayout layout = {{
        {"KORVANES", (width - 48 * l) / 2, y0, 255, l},
        {"HUEMIX", (width - 72 * l) / 2, y1, 255, 2 * l},
        {"RANDOM ART. RANDOM PALETTES.", (width - 168 * m) / 2, y2, 200, m},
        {"PRESS 1-9 OR F1 FOR HELP", (width - 144 * m) / 2, y3, 150, m},
        // The label keeps its corner place whatever its length.
        {kSiteLabel, width - 78 * m, height - 15 * m, 200, m},
    }};
    return layout;
}

namespace {
// Index of the gradient at offset (dx, dy) from the centre.
HUEMIX_ALWAYS_INLINE uint8_t GradientIndex(double dx, double dy, double radius) {
    const double d = std::sqrt(dx * dx + dy * dy);
    const double v = d * (-254.0) / radius;
    int index = 1 - static_cast<int>(v);  // 1 + floor(254 d / R), never below 1
    // At the corner d equals R, but d * -254 / R rounds to just above -254 and
    // would give 254; the farthest pixel is meant to reach the end of the ring.
    if (index > 255 || d >= radius) index = 255;
    return static_cast<uint8_t>(index);
}

void GradientPlain(int w, int h, double cx, double cy, double radius) {
    for (int y = 0; y < h; ++y) {
        const double dy = y - cy;
        uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) row[x] = GradientIndex(x - cx, dy, radius);
    }
}

#if defined(__wasm_simd128__)
// Columns 0..last of a row. WebAssembly: four columns at a time in its 128-bit
// vectors, the very operations of GradientIndex in each lane (left to itself the
// compiler converts the doubles to integers a lane at a time).
void GradientColumns(uint8_t* row, int last, double cx, double dy, double radius) {
    const v128_t centre = wasm_f64x2_splat(cx);
    const v128_t dy2 = wasm_f64x2_splat(dy * dy);
    const v128_t r = wasm_f64x2_splat(radius);
    const v128_t scale = wasm_f64x2_splat(-254.0);
    int x = 0;
    v128_t columns = wasm_i32x4_make(0, 1, 2, 3);
    for (; x + 3 <= last; x += 4, columns = wasm_i32x4_add(columns, wasm_i32x4_splat(4))) {
        const v128_t dxLow = wasm_f64x2_sub(wasm_f64x2_convert_low_i32x4(columns), centre);
        const v128_t dxHigh =
            wasm_f64x2_sub(wasm_f64x2_convert_low_i32x4(wasm_i32x4_shuffle(columns, columns, 2, 3, 0, 1)), centre);
        const v128_t dLow = wasm_f64x2_sqrt(wasm_f64x2_add(wasm_f64x2_mul(dxLow, dxLow), dy2));
        const v128_t dHigh = wasm_f64x2_sqrt(wasm_f64x2_add(wasm_f64x2_mul(dxHigh, dxHigh), dy2));
        const v128_t tLow = wasm_i32x4_trunc_sat_f64x2_zero(wasm_f64x2_div(wasm_f64x2_mul(dLow, scale), r));
        const v128_t tHigh = wasm_i32x4_trunc_sat_f64x2_zero(wasm_f64x2_div(wasm_f64x2_mul(dHigh, scale), r));
        const v128_t index = wasm_i32x4_min(wasm_i32x4_sub(wasm_i32x4_splat(1), wasm_i32x4_shuffle(tLow, tHigh, 0, 1, 4, 5)),
                                            wasm_i32x4_splat(255));
        // d >= R, a 64-bit mask per lane, as one 32-bit mask per lane.
        const v128_t far = wasm_i32x4_shuffle(wasm_f64x2_ge(dLow, r), wasm_f64x2_ge(dHigh, r), 0, 2, 4, 6);
        const v128_t chosen = wasm_v128_bitselect(wasm_i32x4_splat(255), index, far);
        const v128_t bytes = wasm_u8x16_narrow_i16x8(wasm_u16x8_narrow_i32x4(chosen, chosen), chosen);
        const uint32_t four = static_cast<uint32_t>(wasm_i32x4_extract_lane(bytes, 0));
        __builtin_memcpy(row + x, &four, 4);
    }
    for (; x <= last; ++x) row[x] = GradientIndex(x - cx, dy, radius);
}

// Columns last + 1 .. w - 1 from their mirror images w - x, sixteen at a time.
void MirrorColumns(uint8_t* row, int last, int w) {
    int x = last + 1;
    for (; x + 16 <= w; x += 16) {
        const v128_t source = wasm_v128_load(row + w - x - 15);
        wasm_v128_store(row + x, wasm_i8x16_shuffle(source, source, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0));
    }
    for (; x < w; ++x) row[x] = row[w - x];
}
#else
void GradientColumns(uint8_t* row, int last, double cx, double dy, double radius) {
    for (int x = 0; x <= last; ++x) row[x] = GradientIndex(x - cx, dy, radius);
}

void MirrorColumns(uint8_t* row, int last, int w) {
    for (int x = last + 1; x < w; ++x) row[x] = row[w - x];
}
#endif

// The same gradient a quarter of the work: with cx = W / 2, column W - x lies exactly
// as far from the centre as column x (both differences are exact multiples of 1/2), so
// it gets the very same index; likewise row H - y and row y. Column W / 2 is the last
// one computed, whose mirror image lies to its left or is itself.
void GradientMirrored(int w, int h, double cx, double cy, double radius) {
    for (int y = 0; y < h; ++y) {
        uint8_t* row = art.canvas + static_cast<size_t>(y) * w;
        if (h - y < y) {
            std::memcpy(row, art.canvas + static_cast<size_t>(h - y) * w, static_cast<size_t>(w));
            continue;
        }
        GradientColumns(row, w / 2, cx, y - cy, radius);
        MirrorColumns(row, w / 2, w);
    }
}
}  // namespace

void DrawSplash() {
    if (!art.canvas) return;
    const int w = art.canvasWidth;
    const int h = art.canvasHeight;
    const double cx = w * 0.5;
    const double cy = h * 0.5;
    const double radius = std::sqrt(cx * cx + cy * cy);  // the half-diagonal
    if (KernelFor(kUserSplash, nullptr) == kKernelPlain) {
        GradientPlain(w, h, cx, cy, radius);
    } else {
        GradientMirrored(w, h, cx, cy, radius);
    }
    const SplashLayout layout =
        ComputeSplashLayout(w, h, art.textScaleMedium, art.textScaleLarge);
    for (const SplashLine& line : layout.lines) {
        DrawCanvasText(line.x, line.y, line.text, line.colourIndex, line.scale);
    }
}
