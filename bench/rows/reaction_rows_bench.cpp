// huemix-reaction-rows-bench: times reaction-diffusion's row loops apart from the rest of
// the picture, in nanoseconds per 16 cells, the shortest of many runs:
//   row KIND    one 600-cell row in the first-level cache, its V of one kind: fast (about
//               0.25), tail (2^-110 to 2^-129, some products rounded again) or faded
//               (below 2^-128, every product rounded again);
//   grid GW     the fused steps over a GW x 360 grid of values like the fast row's, the
//               grids' column 1 on a cache line when GW is a multiple of 16.
// After each figure, a comment line gives the rate of 256-bit multiplies right after it
// (see huemix-clock-bench): lower than at rest where the loop left the processor at a
// lower clock, which everything after it pays for too.
// Usage: huemix-reaction-rows-bench [plain|sse2|avx2|avx512]  (default avx512)
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/clock/multiply_rate.h"
#include "modes/reaction/reaction_diffusion.h"
#include "modes/reaction/reaction_rows.h"
#include "modes/paths/vector_kernel.h"

namespace {
using Clock = std::chrono::steady_clock;

double Nanoseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::nano>(Clock::now() - since).count();
}

// The clock the work just done left the processor at, as 256-bit multiplies per second.
void PrintClockAfter() {
    if (!KernelAvailable(kKernelAvx2)) return;
    // About 50 us at a few G multiplies per second: short beside the 0.7 ms a lowered
    // clock was seen to last.
    std::printf("# 256-bit multiplies right after: %.2f G/s\n", Multiply256Rate(MultiplyRoundsFor(0.00005, 6.0)));
}

// Floats from `shift` floats after a 64-byte boundary; never freed (the program is
// short-lived).
float* AlignedFloats(size_t count, int shift) {
    char* p = static_cast<char*>(std::malloc((count + 32) * sizeof(float)));
    if (!p) return nullptr;
    p += (64 - reinterpret_cast<uintptr_t>(p) % 64) % 64;
    return reinterpret_cast<float*>(p) + shift;
}

// Rows 0-2 U, 3-5 V, 6-7 the outputs, column 1 of each on a cache line.
bool TimeRow(ReactionRowFunction stepRow, const char* kind) {
    constexpr int kWidth = 600, kStride = 608;
    float* block = AlignedFloats(8 * kStride, 15);
    if (!block) return false;
    uint32_t s = 12345;
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < kWidth; ++c) {
            s = s * 1664525u + 1013904223u;
            const float unit = static_cast<float>(s >> 8) * 0x1p-24f;
            float value = 0.9f + 0.1f * unit;  // U, and the outputs
            if (r >= 3 && r < 6) {
                if (std::strcmp(kind, "fast") == 0) {
                    value = 0.25f + 0.1f * unit;
                } else if (std::strcmp(kind, "faded") == 0) {
                    const uint32_t units = s >> 12;  // faded: below 2^-128
                    std::memcpy(&value, &units, sizeof units);
                } else {
                    value = std::ldexp(1.0f + unit, -110 - static_cast<int>(s % 20));  // tail
                }
            }
            block[r * kStride + c] = value;
        }
    }
    // V as the loop holds it.
    for (int r = 3; r < 6 && ReactionRowScalesV(stepRow); ++r) ReactionScaleV(block + r * kStride, kWidth);
    float* r[8];
    for (int i = 0; i < 8; ++i) r[i] = block + i * kStride;
    double best = 1e30;
    for (int rep = 0; rep < 100; ++rep) {
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < 200; ++i) stepRow(r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], kWidth, 0.029f, 0.086f, nullptr);
        const double ns = Nanoseconds(start) / 200;
        if (ns < best) best = ns;
    }
    std::printf("row %s %.2f\n", kind, best / ((kWidth - 2) / 16.0));
    PrintClockAfter();
    return true;
}

bool TimeGrid(ReactionRowFunction stepRow, int gw) {
    constexpr int kHeight = 360, kSteps = 200;
    const size_t cells = static_cast<size_t>(gw) * kHeight;
    float* grids[4];
    for (float*& grid : grids) {
        grid = AlignedFloats(cells, gw % 16 ? 4 : 15);
        if (!grid) return false;
    }
    uint8_t* summaries = static_cast<uint8_t*>(std::malloc(ReactionSummaryBytes(gw, kHeight, 1)));
    if (!summaries) return false;
    double best = 1e30;
    for (int rep = 0; rep < 5; ++rep) {
        for (size_t i = 0; i < cells; ++i) {
            grids[0][i] = grids[2][i] = 0.5f + 0.01f * static_cast<float>((i * 7) % 13);
            grids[1][i] = grids[3][i] = 0.25f + 0.01f * static_cast<float>((i * 5) % 11);
        }
        const Clock::time_point start = Clock::now();
        ReactionStepsWith(stepRow, grids[0], grids[1], grids[2], grids[3], gw, kHeight, kSteps, 0.029f, 0.086f,
                          summaries);
        const double ns = Nanoseconds(start);
        if (ns < best) best = ns;
    }
    std::printf("grid %d %.2f\n", gw, best / (kSteps * (kHeight - 2.0) * (gw - 2) / 16));
    PrintClockAfter();
    std::free(summaries);
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    const char* names[] = {"plain", "sse2", "avx2", "avx512"};
    int kernel = kKernelAvx512;
    if (argc > 1) {
        kernel = -1;
        for (int k = 0; k < kKernelCount; ++k) {
            if (std::strcmp(argv[1], names[k]) == 0) kernel = k;
        }
    }
    if (kernel < 0 || !KernelAvailable(static_cast<VectorKernel>(kernel))) {
        std::fprintf(stderr, "usage: huemix-reaction-rows-bench [plain|sse2|avx2|avx512], a path this processor has\n");
        return 2;
    }
    const ReactionRowFunction stepRow = ReactionRowFor(static_cast<VectorKernel>(kernel));
    std::printf("# path %s; nanoseconds per 16 cells\n", names[kernel]);
    const bool ok = TimeRow(stepRow, "fast") && TimeRow(stepRow, "tail") && TimeRow(stepRow, "faded") &&
                    TimeGrid(stepRow, 600) && TimeGrid(stepRow, 608);
    if (!ok) std::fprintf(stderr, "huemix-reaction-rows-bench: out of memory\n");
    return ok ? 0 : 1;
}
