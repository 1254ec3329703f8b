#include <gtest/gtest.h>

#include <cmath>
#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#endif
#include <cstring>
#include <string>
#include <vector>

#include "app/memory.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "modes/reaction/reaction_diffusion.h"
#include "modes/reaction/reaction_lanes.h"
#include "modes/paths/kernel_choice.h"
#include "tests/test_support.h"

namespace {
// Rounds a double result to single precision: each operation of two floats done in
// double and rounded once gives exactly the single-precision result.
float F(double x) { return static_cast<float>(x); }

// One step written out operation by operation, as a reference for ReactionStep.
void ReferenceStep(const std::vector<float>& u, const std::vector<float>& v, std::vector<float>& nu,
                   std::vector<float>& nv, int gw, int gh, float feed, float fk) {
    for (int r = 1; r < gh - 1; ++r) {
        for (int c = 1; c < gw - 1; ++c) {
            const int i = r * gw + c;
            float lu = F(double(u[i - 1]) + u[i + 1]);
            lu = F(double(lu) + u[i - gw]);
            lu = F(double(lu) + u[i + gw]);
            lu = F(double(lu) - F(4.0 * u[i]));
            float lv = F(double(v[i - 1]) + v[i + 1]);
            lv = F(double(lv) + v[i - gw]);
            lv = F(double(lv) + v[i + gw]);
            lv = F(double(lv) - F(4.0 * v[i]));
            const float q = F(double(F(double(u[i]) * v[i])) * v[i]);
            float a = F(double(F(double(0.16f) * lu)) + u[i]);
            a = F(double(a) - q);
            nu[i] = F(double(a) + F(double(feed) * F(1.0 - u[i])));
            float b = F(double(F(double(0.08f) * lv)) + v[i]);
            b = F(double(b) + q);
            nv[i] = F(double(b) - F(double(fk) * v[i]));
        }
    }
}

// FNV-1a of the Canvas, to pin a whole picture.
uint32_t CanvasHash() {
    uint32_t h = 2166136261u;
    for (uint8_t b : CanvasCopy()) h = (h ^ b) * 16777619u;
    return h;
}

// Grids of random concentrations, different in every cell, border included.
void RandomGrids(std::vector<float>& u, std::vector<float>& v, uint32_t s) {
    for (size_t i = 0; i < u.size(); ++i) {
        s = XorShift(s);
        u[i] = (s & 0xFFFF) / 65536.0f;
        s = XorShift(s);
        v[i] = (s & 0xFFFF) / 65536.0f;
    }
}

// The picture grown the plain way: one ReactionStep after another on two pairs of
// grids used in turn, then every Canvas pixel looked up in the final V.
std::vector<uint8_t> PlainPicture(uint32_t seed, int w, int h) {
    const int gw = ReactionGridWidth(w), gh = ReactionGridHeight(h);
    std::vector<float> u(gw * gh, 1.0f), v(gw * gh, 0.0f);
    uint32_t s = XorShift(seed);
    const int count = static_cast<int>(s % 12) + 8;
    for (int i = 0; i < count; ++i) {
        s = XorShift(s);
        const int cx = static_cast<int>(s % gw);
        s = XorShift(s);
        const int cy = static_cast<int>(s % gh);
        s = XorShift(s);
        SeedReactionDisc(u.data(), v.data(), gw, gh, cx, cy, static_cast<int>(s % 12) + 4);
    }
    std::vector<float> nu = u, nv = v;
    s = XorShift(s);
    const float feed = static_cast<float>(ReactionParams[s % 6].feed);
    const float fk = feed + static_cast<float>(ReactionParams[s % 6].kill);
    for (int step = 0; step < kReactionSteps; ++step) {
        ReactionStep(u.data(), v.data(), nu.data(), nv.data(), gw, gh, feed, fk);
        std::swap(u, nu);
        std::swap(v, nv);
    }
    std::vector<uint8_t> picture(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            picture[static_cast<size_t>(y) * w + x] =
                static_cast<uint8_t>(ReactionIndex(v[(y * gh / h) * gw + x * gw / w]));
    return picture;
}

// Grids like the tails ahead of a front: U near or at 1, V spread over the powers of two
// from normal numbers through every underflowing product down to subnormals and zeros,
// with either sign, so that q = u v v is normal, subnormal, or rounds to a zero.
void TailGrids(std::vector<float>& u, std::vector<float>& v, uint32_t s, bool withNegatives = true) {
    for (size_t i = 0; i < u.size(); ++i) {
        s = XorShift(s);
        u[i] = (s & 3) ? 1.0f : 1.0f - (s >> 8 & 0xFF) / 4096.0f;
        s = XorShift(s);
        const int exponent = -1 - static_cast<int>(s % 149);
        const float magnitude = std::ldexp(1.0f + (s >> 8 & 0xFFFF) / 65536.0f, exponent);
        v[i] = (s >> 30) == 0 ? 0.0f : ((withNegatives && (s >> 29 & 1)) ? -magnitude : magnitude);
    }
}

// Every row loop to test: each available code path, and the 512-bit source as pairs
// of 256-bit halves.
std::vector<ReactionRowFunction> RowLoops() {
    std::vector<ReactionRowFunction> loops;
    for (int kernel = 0; kernel < kKernelCount; ++kernel) {
        if (KernelAvailable(static_cast<VectorKernel>(kernel))) {
            loops.push_back(ReactionRowFor(static_cast<VectorKernel>(kernel)));
        }
    }
    if (ReactionRowWideOnAvx2()) loops.push_back(ReactionRowWideOnAvx2());
    return loops;
}

// The V grids as the loop holds them (scaled for the vector loops), and back.
void HoldV(ReactionRowFunction loop, std::vector<float>& v) {
    if (ReactionRowScalesV(loop)) ReactionScaleV(v.data(), v.size());
}
void ReleaseV(ReactionRowFunction loop, std::vector<float>& v) {
    if (ReactionRowScalesV(loop)) ReactionUnscaleV(v.data(), v.size());
}

int CellsSet(const std::vector<float>& u, const std::vector<float>& v) {
    int n = 0;
    for (size_t i = 0; i < u.size(); ++i) n += (u[i] == 0.5f && v[i] == 1.0f);
    return n;
}
}  // namespace

TEST(ReactionDiffusion, GridIsAThirdOfTheCanvasWithinLimits) {
    const int sizes[][4] = {{320, 200, 200, 150},   {1280, 800, 426, 266},   {1920, 1080, 600, 360},
                            {2560, 1440, 600, 400}, {3840, 2160, 600, 400}, {650, 460, 216, 153}};
    for (const auto& s : sizes) {
        EXPECT_EQ(ReactionGridWidth(s[0]), s[2]) << s[0];
        EXPECT_EQ(ReactionGridHeight(s[1]), s[3]) << s[1];
    }
}

TEST(ReactionDiffusion, DiscsIncludeTheirRimAndClipAtTheGrid) {
    const int gw = 40, gh = 30;
    std::vector<float> u(gw * gh, 1.0f), v(gw * gh, 0.0f);
    SeedReactionDisc(u.data(), v.data(), gw, gh, 20, 15, 4);
    EXPECT_EQ(CellsSet(u, v), 49);
    EXPECT_EQ(v[15 * gw + 24], 1.0f);  // rim on the axis
    EXPECT_EQ(v[12 * gw + 23], 0.0f);  // 3^2 + 3^2 > 16

    std::fill(u.begin(), u.end(), 1.0f);
    std::fill(v.begin(), v.end(), 0.0f);
    SeedReactionDisc(u.data(), v.data(), gw, gh, 0, 0, 4);  // only a quarter lies inside
    EXPECT_EQ(CellsSet(u, v), 17);
    SeedReactionDisc(u.data(), v.data(), gw, gh, gw - 1, gh - 1, 4);
    EXPECT_EQ(CellsSet(u, v), 34);
}

TEST(ReactionDiffusion, StepRoundsEveryOperationToSinglePrecisionInOrder) {
    const int gw = 37, gh = 23;
    std::vector<float> u(gw * gh), v(gw * gh);
    RandomGrids(u, v, 12345);
    const std::vector<float> u0 = u;
    std::vector<float> nu = u, nv = v, ru = u, rv = v, rnu = u, rnv = v;
    const float feed = static_cast<float>(ReactionParams[0].feed);
    const float fk = feed + static_cast<float>(ReactionParams[0].kill);
    for (int step = 0; step < 20; ++step) {
        ReactionStep(u.data(), v.data(), nu.data(), nv.data(), gw, gh, feed, fk);
        ReferenceStep(ru, rv, rnu, rnv, gw, gh, feed, fk);
        std::swap(u, nu);
        std::swap(v, nv);
        std::swap(ru, rnu);
        std::swap(rv, rnv);
        ASSERT_EQ(std::memcmp(u.data(), ru.data(), u.size() * 4), 0) << "U after step " << step;
        ASSERT_EQ(std::memcmp(v.data(), rv.data(), v.size() * 4), 0) << "V after step " << step;
    }
    // The border is a fixed boundary: it still holds what the grids were filled with.
    for (int c = 0; c < gw; ++c) {
        EXPECT_EQ(u[c], u0[c]);
        EXPECT_EQ(u[(gh - 1) * gw + c], u0[(gh - 1) * gw + c]);
    }
    for (int r = 0; r < gh; ++r) EXPECT_EQ(u[r * gw + gw - 1], u0[r * gw + gw - 1]);
}

TEST(ReactionDiffusion, EveryRowLoopAndFusedStepsMatchOneStepAtATime) {
    // Grids narrower and wider than every vector width and no multiple of it, with rows
    // left over at either end of a pass; step counts below, at and beyond one pass, odd
    // and even; random grids and grids of underflowing tails.
    const int sizes[][2] = {{3, 3}, {4, 5}, {11, 7}, {19, 4}, {37, 23}, {64, 41}, {203, 152}, {259, 30}};
    const int stepCounts[] = {0, 1, 2, 3, 7, 8, 9, 16, 29};
    const std::vector<ReactionRowFunction> loops = RowLoops();
    ASSERT_GE(loops.size(), 1u);
    for (int params = 0; params < 6; params += 3) {
        const float feed = static_cast<float>(ReactionParams[params].feed);
        const float fk = feed + static_cast<float>(ReactionParams[params].kill);
        for (size_t loop = 0; loop < loops.size(); ++loop) {
            for (const auto& size : sizes) {
                const int gw = size[0], gh = size[1];
                for (int steps : stepCounts) {
                    // 0: random; 1: tails of either sign; 2: tails without negatives, as
                    // real patterns have, which take the scaled and faded routes; 3: a
                    // faded grid at rest (V a few multiples of 2^-149 that the step
                    // leaves as they are) with discs moving in it, where stretches are
                    // copied rather than computed; 4: random with one V too large for
                    // the vector loops to hold scaled, stepped by the plain loop.
                    for (int tails : {0, 1, 2, 3, 4}) {
                        std::vector<float> u(gw * gh), v(gw * gh);
                        if (tails == 3) {
                            const uint32_t units = 3;
                            std::fill(u.begin(), u.end(), 1.0f);
                            for (float& cell : v) std::memcpy(&cell, &units, sizeof units);
                            SeedReactionDisc(u.data(), v.data(), gw, gh, gw / 3, gh / 2, 2);
                            SeedReactionDisc(u.data(), v.data(), gw, gh, gw - 2, 1, 1);
                        } else if (tails == 1 || tails == 2) {
                            TailGrids(u, v, 99 + gw * steps, tails == 1);
                        } else {
                            RandomGrids(u, v, 777 + gw * steps);
                            if (tails == 4) v[v.size() / 2] = std::ldexp(1.0f, 40);
                        }
                        std::vector<float> ru = u, rv = v, rnu = u, rnv = v;
                        for (int i = 0; i < steps; ++i) {
                            ReactionStep(ru.data(), rv.data(), rnu.data(), rnv.data(), gw, gh, feed, fk);
                            std::swap(ru, rnu);
                            std::swap(rv, rnv);
                        }
                        std::vector<float> scratchU(gw * gh, -1.0f), scratchV(gw * gh, -1.0f);
                        std::vector<uint8_t> summaries(ReactionSummaryBytes(gw, gh, 1), 0xFF);
                        ReactionStepsWith(loops[loop], u.data(), v.data(), scratchU.data(),
                                          scratchV.data(), gw, gh, steps, feed, fk,
                                          (steps + gw) % 2 ? summaries.data() : nullptr);
                        const std::string where = std::to_string(gw) + "x" + std::to_string(gh) +
                                                  " steps " + std::to_string(steps) + " loop " +
                                                  std::to_string(loop) + " tails " + std::to_string(tails);
                        ASSERT_EQ(std::memcmp(u.data(), ru.data(), u.size() * 4), 0) << where;
                        ASSERT_EQ(std::memcmp(v.data(), rv.data(), v.size() * 4), 0) << where;
                    }
                }
            }
        }
    }
}

#if defined(__x86_64__) || defined(_M_X64) || defined(__wasm__)
TEST(ReactionDiffusion, EveryRouteOfTheRowLoopsIsExactAndMeetsNoSubnormal) {
    // Grids that send vectors down both routes, their products rounded again or not, and
    // across the bounds between them: faded tails (V below 2^-128: whole multiples of
    // 2^-149, whose products by the constants are subnormal), low tails (V from 2^-135 to
    // 2^-96, where some products are and some are not, with subnormals and zeros among
    // them), and cells at and beside every bound, negatives and U outside [2^-20, 2]
    // included, and V at the edge where a product is rounded again. One step of every
    // row loop, V held as the loop holds it, must give the plain step's bits and leave
    // the MXCSR denormal-operand and underflow flags clear.
    const float bounds[] = {0.0f, std::ldexp(1.0f, -149), std::nextafter(std::ldexp(1.0f, -128), 0.0f),
                            std::ldexp(1.0f, -128), std::ldexp(1.0f, -126), std::nextafter(std::ldexp(1.0f, -96), 0.0f),
                            std::ldexp(1.0f, -96), std::nextafter(std::ldexp(1.0f, -40), 0.0f), std::ldexp(1.0f, -40),
                            0.25f, 2.0f, std::nextafter(2.0f, 4.0f), -std::ldexp(1.0f, -140)};
    const float uBounds[] = {std::nextafter(std::ldexp(1.0f, -20), 0.0f), std::ldexp(1.0f, -20), 0.5f, 1.0f, 2.0f,
                             std::nextafter(2.0f, 4.0f)};
    const int gw = 53, gh = 12;
    const std::vector<ReactionRowFunction> loops = RowLoops();
    for (int kind = 0; kind < 4; ++kind) {
        for (uint32_t fill = 1; fill <= 40; ++fill) {
            const float feed = static_cast<float>(ReactionParams[fill % 6].feed);
            const float fk = feed + static_cast<float>(ReactionParams[fill % 6].kill);
            std::vector<float> u(gw * gh), v(gw * gh);
            uint32_t s = fill * 7919u + kind;
            for (size_t i = 0; i < u.size(); ++i) {
                s = XorShift(s);
                u[i] = (s & 7) ? 1.0f - (s >> 8 & 0xFFF) / 16384.0f : uBounds[(s >> 3) % 6];
                s = XorShift(s);
                if (kind == 0) {
                    const uint32_t units = (s & 3) ? s >> (11 + (s >> 2 & 7)) : 0;  // below 2^21
                    std::memcpy(&v[i], &units, sizeof units);
                } else if (kind == 1) {
                    v[i] = (s & 7) == 0 ? 0.0f : std::ldexp(1.0f + (s >> 8 & 0xFFFF) / 65536.0f, -96 - static_cast<int>(s % 40));
                } else if (kind == 2) {
                    v[i] = bounds[s % 13];
                } else {
                    // A few units in the last place either side of 2^-126 / (F + k),
                    // where (F + k) V crosses into the subnormals: rounded again on
                    // one side only.
                    const float edge = std::ldexp(1.0f, -126) / fk;
                    uint32_t bits;
                    std::memcpy(&bits, &edge, sizeof bits);
                    bits += (s % 9) - 4;
                    std::memcpy(&v[i], &bits, sizeof bits);
                }
            }
            std::vector<float> pu = u, pv = v;
            ReactionStep(u.data(), v.data(), pu.data(), pv.data(), gw, gh, feed, fk);
            for (size_t loop = 1; loop < loops.size(); ++loop) {
                std::vector<float> nu = u, nv = v, held = v;
                HoldV(loops[loop], held);
                HoldV(loops[loop], nv);
#if !defined(__wasm__)  // WebAssembly has no floating-point flags to read
                const unsigned saved = _mm_getcsr();
                _mm_setcsr(saved & ~0x3Fu);
#endif
                for (int r = 1; r < gh - 1; ++r) {
                    const size_t b = static_cast<size_t>(r) * gw;
                    loops[loop](&u[b - gw], &u[b], &u[b + gw], &held[b - gw], &held[b], &held[b + gw], &nu[b], &nv[b], gw,
                                feed, fk, nullptr);
                }
                const std::string where = "kind " + std::to_string(kind) + " fill " + std::to_string(fill) +
                                          " loop " + std::to_string(loop);
#if !defined(__wasm__)
                const unsigned flags = _mm_getcsr();
                _mm_setcsr(saved);
                EXPECT_EQ(flags & 0x12u, 0u) << where;
#endif
                ReleaseV(loops[loop], nv);
                ASSERT_EQ(std::memcmp(nu.data(), pu.data(), nu.size() * 4), 0) << where;
                ASSERT_EQ(std::memcmp(nv.data(), pv.data(), nv.size() * 4), 0) << where;
            }
        }
    }
}
#endif

#if HUEMIX_WIDE_KERNELS
TEST(ReactionDiffusion, WidePathsChooseTheRoutesOfThePortableTest) {
    // The 512- and 256-bit loops test the scaled route's range with their own instruction
    // sets. One more cautious than the portable test would only cost time, which no
    // picture shows: so every choice is compared. Rows in range, with a few cells set to
    // bit patterns at and beside every bound (V scaled), anywhere in a vector's inputs.
    using namespace reaction_lanes;
    const uint32_t vBits[] = {0u, 1u, kBitsSmallestNormalScaled, kBitsMinProductV, 0x5E800000u, kBitsMostV,
                              kBitsMostV + 1, 0x7F800000u, 0x7FC00000u, 0x80000000u, 0x80000001u, 0xDF800000u};
    const uint32_t uBits[] = {kBitsMinFastU - 1, kBitsMinFastU, 0x3F000000u, kBitsTwo, kBitsTwo + 1, 0u, 0xBF000000u};
    const bool wide512 = KernelAvailable(kKernelAvx512), wide256 = KernelAvailable(kKernelAvx2);
    const int gw = 40;
    std::vector<float> rows(6 * gw);
    int compared = 0, inRange = 0;
    uint32_t s = 4242;
    for (int trial = 0; trial < 3000; ++trial) {
        const uint32_t backgrounds[] = {0x5E800000u, 0x21000000u, 0x08800000u};  // true 0.25, 3 x 2^-149, 2^-174
        for (int i = 0; i < 6 * gw; ++i) {
            const uint32_t bits = i < 3 * gw ? 0x3F000000u : backgrounds[trial % 3];
            std::memcpy(&rows[i], &bits, sizeof bits);
        }
        for (int k = trial / 3 % 3; k >= 0; --k) {
            s = XorShift(s);
            const int row = s % 6, col = (s >> 3) % gw;
            s = XorShift(s);
            const uint32_t bits = row < 3 ? uBits[s % 7] : vBits[s % 12];
            std::memcpy(&rows[row * gw + col], &bits, sizeof bits);
        }
        const float* r = rows.data();
        const Stencil stencil{r, r + gw, r + 2 * gw, r + 3 * gw, r + 4 * gw, r + 5 * gw};
        for (int col = 1; col + 17 <= gw; col += 3) {
            if (wide512) {
                EXPECT_EQ(InScaledRangeMasks(stencil, col), InScaledRange<16>(stencil, col)) << trial << " " << col;
            }
            if (wide256) {
                EXPECT_EQ(InScaledRangeAvx2(stencil, col), InScaledRange<8>(stencil, col)) << trial << " " << col;
            }
            compared += wide512 + wide256;
            inRange += InScaledRange<16>(stencil, col);
        }
    }
    if (!compared) GTEST_SKIP() << "no wide path on this processor";
    EXPECT_GT(inRange, compared / 8);  // both answers are tried
}
#endif

TEST(ReactionDiffusion, RingRowsOnCacheLinesStayInsideTheirScratch) {
    // The rows a pass keeps start on cache lines where the scratch grid has room for them
    // (21 rows of 48 floats and up to 15 floats to reach a line: 1,023 floats for 37
    // columns), else they keep the grid's own layout. On either side of that bound, with
    // the scratch at every alignment of its floats, no float after the scratch changes
    // and the steps match the plain ones.
    const float canary = -7.0f;
    for (const auto& size : {std::pair{37, 28}, std::pair{37, 27}, std::pair{600, 30}}) {
        const int gw = size.first, gh = size.second;
        const size_t cells = static_cast<size_t>(gw) * gh;
        for (int shift = 0; shift < 16; shift += 5) {
            std::vector<float> u(cells), v(cells);
            TailGrids(u, v, 5 + shift, false);
            std::vector<float> ru = u, rv = v, rnu = u, rnv = v;
            for (int i = 0; i < 8; ++i) {
                ReactionStep(ru.data(), rv.data(), rnu.data(), rnv.data(), gw, gh, 0.029f, 0.086f);
                std::swap(ru, rnu);
                std::swap(rv, rnv);
            }
            std::vector<float> scratch(2 * (cells + 16 + 32), canary);
            float* su = scratch.data() + shift;
            float* sv = su + cells + 32;
            std::vector<uint8_t> summaries(ReactionSummaryBytes(gw, gh, 1));
            ReactionStepsWith(ReactionRowFor(BestKernel()), u.data(), v.data(), su, sv, gw, gh, 8, 0.029f, 0.086f,
                              summaries.data());
            for (int i = 0; i < 32; ++i) {
                ASSERT_EQ(su[cells + i], canary) << gw << "x" << gh << " shift " << shift;
                ASSERT_EQ(sv[cells + i], canary) << gw << "x" << gh << " shift " << shift;
            }
            ASSERT_EQ(std::memcmp(u.data(), ru.data(), cells * 4), 0) << gw << "x" << gh << " shift " << shift;
            ASSERT_EQ(std::memcmp(v.data(), rv.data(), cells * 4), 0) << gw << "x" << gh << " shift " << shift;
        }
    }
}

TEST(ReactionDiffusion, RowLoopsCopyExactlyTheStretchesWhoseInputsAllKept) {
    // One row step with made-up summaries: in the loops of the 512-bit source, a stretch
    // is copied from the centre row when its own cells in the three rows and the cells
    // beside it were kept, and computed otherwise; the other loops compute every one.
    // The rows are random, so a copied cell differs from a computed one.
    // Rows of one, two and three stretches, the last of one cell, with one input
    // stretch not kept in the north row, the centre row, or none.
    struct Case {
        int gw;
        int row;      // -1: every input kept; else 0 north, 1 centre, 2 south
        int stretch;  // the stretch of that row that moved
        std::vector<bool> computed;
    };
    const Case cases[] = {
        {37, -1, 0, {false}},           {37, 0, 0, {true}},
        {300, -1, 0, {false, false, false}}, {300, 0, 1, {false, true, false}},
        {300, 1, 1, {true, true, true}},     {300, 1, 0, {true, true, false}},
        {300, 2, 2, {false, false, true}},   {259, 1, 2, {false, true, true}},
    };
    const float feed = static_cast<float>(ReactionParams[2].feed);
    const float fk = feed + static_cast<float>(ReactionParams[2].kill);
    const std::vector<ReactionRowFunction> loops = RowLoops();
    for (const Case& c : cases) {
        const int gw = c.gw;
        const int stretches = ReactionStretches(gw);
        ASSERT_EQ(static_cast<int>(c.computed.size()), stretches);
        std::vector<float> u(gw * 3), v(gw * 3);
        RandomGrids(u, v, 4242 + gw);
        std::vector<float> pu(gw, -1.0f), pv(gw, -1.0f);
        ReactionRowPlain(&u[0], &u[gw], &u[2 * gw], &v[0], &v[gw], &v[2 * gw], pu.data(), pv.data(), gw, feed, fk,
                         nullptr);
        std::vector<uint8_t> kept[3];
        for (int r = 0; r < 3; ++r) {
            kept[r].assign(stretches, kReactionKept);
            if (r == c.row) kept[r][c.stretch] = 0;
        }
        for (size_t loop = 1; loop < loops.size(); ++loop) {
            const bool copies = loops[loop] == ReactionRowFor(kKernelAvx512) || loops[loop] == ReactionRowWideOnAvx2();
            std::vector<float> nu(gw, -1.0f), nv(gw, -1.0f);
            std::vector<uint8_t> out(stretches, 0xFF);
            const ReactionKeep keep{kept[0].data(), kept[1].data(), kept[2].data(), out.data(), true};
            std::vector<float> held = v;
            HoldV(loops[loop], held);
            HoldV(loops[loop], nv);
            loops[loop](&u[0], &u[gw], &u[2 * gw], &held[0], &held[gw], &held[2 * gw], nu.data(), nv.data(), gw, feed,
                        fk, &keep);
            ReleaseV(loops[loop], nv);
            for (int col = 1; col < gw - 1; ++col) {
                const bool computed = c.computed[(col - 1) / kReactionStretchCells] || !copies;
                const float wantU = computed ? pu[col] : u[gw + col];
                const float wantV = computed ? pv[col] : v[gw + col];
                ASSERT_EQ(std::memcmp(&nu[col], &wantU, 4), 0) << "gw " << gw << " col " << col << " loop " << loop;
                ASSERT_EQ(std::memcmp(&nv[col], &wantV, 4), 0) << "gw " << gw << " col " << col << " loop " << loop;
            }
            for (int g = 0; g < stretches; ++g) {
                EXPECT_EQ(out[g], c.computed[g] || !copies ? 0 : kReactionKept) << "gw " << gw << " stretch " << g;
            }
        }
    }
}

TEST(ReactionDiffusion, TailsReachEveryKindOfProduct) {
    // The tail grids must hold cells whose q is a normal number, a subnormal one and a
    // zero from nonzero factors, or the test above proves less than it says.
    std::vector<float> u(64 * 64), v(64 * 64);
    TailGrids(u, v, 5);
    int normal = 0, subnormal = 0, vanished = 0;
    for (size_t i = 0; i < u.size(); ++i) {
        const float q = u[i] * v[i] * v[i];
        normal += std::fpclassify(q) == FP_NORMAL;
        subnormal += std::fpclassify(q) == FP_SUBNORMAL;
        vanished += q == 0.0f && v[i] != 0.0f;
    }
    EXPECT_GT(normal, 100);
    EXPECT_GT(subnormal, 20);
    EXPECT_GT(vanished, 100);
}

TEST(ReactionDiffusion, WholePicturesMatchThePlainComputation) {
    // 333 x 201 stretches the smallest grid unevenly; 647 x 461 has a grid of 215 x 153;
    // seed 0x5EED1238 fades over most of the grid, whose tiles then keep their values.
    // The picture and the random state must not depend on the code path.
    for (auto c : {std::tuple{333, 201, 0xFACEu}, std::tuple{647, 461, 0x5EEDu}, std::tuple{320, 200, 0x5EED1238u}}) {
        const auto [w, h, seed] = c;
        const std::vector<uint8_t> plain = PlainPicture(seed, w, h);
        for (int kernel = 0; kernel < kKernelCount; ++kernel) {
            if (!ForceKernel(static_cast<VectorKernel>(kernel))) continue;
            UseCanvas(w, h, seed);
            DrawReactionDiffusion();
            ASSERT_EQ(CanvasCopy(), plain) << w << "x" << h << " " << KernelName(static_cast<VectorKernel>(kernel));
            uint32_t s = XorShift(seed);
            const int draws = 3 * static_cast<int>(s % 12 + 8) + 2;
            for (int i = 1; i < draws; ++i) s = XorShift(s);
            EXPECT_EQ(art.randomState, s);
        }
    }
    ResetKernel();
    ReleaseTestState();
}

#if defined(__x86_64__) || defined(_M_X64)
TEST(ReactionDiffusion, FastPathsNeverMeetASubnormal) {
    // The MXCSR flags are sticky: denormal operand (bit 1) and underflow (bit 4) stay
    // clear only if no instruction read or made a subnormal, on any processor. Seeds
    // 0x5EED1238 and 0x5EED1240 fade over most of the grid. One drawing thread: the flags
    // are the calling thread's own.
    const uint32_t seeds[] = {0x5EED1234u, 0x5EED1236u, 0x5EED1238u, 0x5EED1240u};
    for (int kernel = kKernelSse2; kernel < kKernelCount; ++kernel) {
        if (!ForceKernel(static_cast<VectorKernel>(kernel))) continue;
        for (uint32_t seed : seeds) {
            UseCanvas(320, 200, seed);
            art.drawingThreads = 1;
            const unsigned saved = _mm_getcsr();
            _mm_setcsr(saved & ~0x3Fu);
            DrawReactionDiffusion();
            const unsigned flags = _mm_getcsr();
            _mm_setcsr(saved);
            EXPECT_EQ(flags & 0x12u, 0u) << KernelName(static_cast<VectorKernel>(kernel)) << " seed " << seed;
        }
    }
    art.drawingThreads = 0;
    ResetKernel();
    ReleaseTestState();
}
#endif

TEST(ReactionDiffusion, ConcentrationToIndex) {
    EXPECT_EQ(ReactionIndex(0.0f), 1);
    EXPECT_EQ(ReactionIndex(-0.3f), 1);
    EXPECT_EQ(ReactionIndex(std::nanf("")), 1);
    EXPECT_EQ(ReactionIndex(0.5f), 128);
    EXPECT_EQ(ReactionIndex(0.999f), 254);
    EXPECT_EQ(ReactionIndex(1.0f), 255);
    EXPECT_EQ(ReactionIndex(7.0f), 255);
    EXPECT_EQ(ReactionIndex(std::ldexp(1.0f, -140)), 1);  // a subnormal, told by its bits
    EXPECT_EQ(ReactionIndex(-std::ldexp(1.0f, -140)), 1);
}

TEST(ReactionDiffusion, VHeldScaledComesBackBitForBit) {
    // Every kind of V: zeros, subnormals, normal numbers, the largest the vector loops
    // take and beyond, infinities and NaN. Scaled, a finite V is 2^64 times its value and
    // never subnormal; scaled back it is its own bits; neither way meets a subnormal.
    // Beyond 2^32, or not finite, a computation takes the plain loop, V untouched.
    const uint32_t bits[] = {0u, 0x80000000u, 1u, 0x007FFFFFu, 0x80000005u, 0x00800000u, 0x3F800000u,
                             0xBF800000u, 0x4F800000u, 0x4F800001u, 0x7F800000u, 0xFF800000u, 0x7FC00000u};
    const ReactionRowFunction vectorLoop = RowLoops().back();
    for (uint32_t b : bits) {
        float v;
        std::memcpy(&v, &b, sizeof v);
        float held = v;
#if defined(__x86_64__) || defined(_M_X64)
        const unsigned saved = _mm_getcsr();
        _mm_setcsr(saved & ~0x3Fu);
#endif
        const bool fits = ReactionEnterScaled(vectorLoop, &held, 1) == vectorLoop;
        const float scaled = held;
        ReactionLeaveScaled(fits ? vectorLoop : ReactionRowPlain, &held, 1);
#if defined(__x86_64__) || defined(_M_X64)
        const unsigned flags = _mm_getcsr();
        _mm_setcsr(saved);
        EXPECT_EQ(flags & 0x12u, 0u) << std::hex << b;
#endif
        EXPECT_EQ(fits, (std::isfinite(v) && std::fabs(v) <= 0x1p32f) || !ReactionRowScalesV(vectorLoop)) << std::hex << b;
        if (fits && ReactionRowScalesV(vectorLoop)) {
            EXPECT_NE(std::fpclassify(scaled), FP_SUBNORMAL) << std::hex << b;
            EXPECT_EQ(static_cast<double>(scaled), std::ldexp(static_cast<double>(v), 64)) << std::hex << b;
        }
        EXPECT_EQ(std::memcmp(&held, &v, sizeof v), 0) << std::hex << b;
    }
}

// The only full picture of this file: 4500 steps on the smallest grid.
TEST(ReactionDiffusion, PictureDrawsItsSeedsAndKeepsTheBorderUnderThem) {
    // Find a seed whose discs reach the left border, replaying the draws.
    const int gw = 200, gh = 150;
    uint32_t seed = 0;
    int borderRow = -1;
    long expectedDraws = 0;
    for (uint32_t candidate = 1; borderRow < 0; ++candidate) {
        uint32_t s = XorShift(candidate);
        const int count = static_cast<int>(s % 12) + 8;
        for (int i = 0; i < count; ++i) {
            s = XorShift(s);
            const int cx = static_cast<int>(s % gw);
            s = XorShift(s);
            const int cy = static_cast<int>(s % gh);
            s = XorShift(s);
            const int r = static_cast<int>(s % 12) + 4;
            if (cx <= r && borderRow < 0 && cy > 0 && cy < gh - 1) borderRow = cy;
        }
        seed = candidate;
        expectedDraws = 3L * count + 2;
    }
    UseCanvas(320, 200, seed);
    DrawReactionDiffusion();
    EXPECT_EQ(StepsBetween(seed, art.randomState, 1000), expectedDraws);

    // Canvas rows y with y * 150 / 200 == borderRow show grid cell (0, borderRow).
    const int y = (borderRow * 200 + 149) / 150;
    ASSERT_EQ(y * 150 / 200, borderRow);
    EXPECT_EQ(art.canvas[y * 320 + 0], 255);
    EXPECT_EQ(art.canvas[y * 320 + 1], 255);  // 320 / 200: columns 0 and 1 share a cell

    std::vector<bool> used = IndicesUsed();
    EXPECT_FALSE(used[0]);
    EXPECT_TRUE(used[1]);  // the empty background
    int distinct = 0;
    for (int i = 1; i < 256; ++i) distinct += used[i];
    EXPECT_GT(distinct, 50);
    // Any reordering or fusing of the float operations changes the pattern; both
    // builds must give this very picture.
    EXPECT_EQ(CanvasHash(), 3044122930u) << "seed " << seed;
    ReleaseTestState();
}

TEST(ReactionDiffusion, FailedGridLeavesCanvasAndRandomStreamAlone) {
    for (int failing = 1; failing <= 4; ++failing) {
        UseCanvas(320, 200, 2024);
        std::memset(art.canvas, 77, 320 * 200);
        const std::vector<uint8_t> before = CanvasCopy();
        art.currentMode = 2;
        ArtFailAllocation(failing);
        SelectMode(5);
        EXPECT_EQ(CanvasCopy(), before) << failing;
        EXPECT_EQ(art.randomState, 2024u) << failing;
        EXPECT_EQ(art.currentMode, 5) << failing;
    }
    ArtFailAllocation(0);
    ReleaseTestState();
}
