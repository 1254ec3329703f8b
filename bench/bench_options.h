// The benchmark's command line, kept apart from the timing so that it can be tested.
#pragma once
#include <cstdint>

#include "modes/paths/vector_kernel.h"

// What the benchmark times, in the order it prints them.
constexpr int kBenchFigureCount = 15;
extern const char* const BenchFigureNames[kBenchFigureCount];

// The zoom frames timed, in frame order (frame 1 is the first of a fresh zoom), and
// the index of the first of them in BenchFigureNames.
constexpr int kBenchZoomFrameCount = 5;
extern const int BenchZoomFrames[kBenchZoomFrameCount];
constexpr int kBenchFirstZoomFigure = 8;

struct BenchOptions {
    int32_t width = 1920;
    int32_t height = 1080;
    int32_t reps = 5;             // repetitions of each figure; the median is printed
    uint32_t seed = 0x5EED1234u;  // random state before each picture, never 0
    uint32_t only = 0;            // bit i: figure i of BenchFigureNames; 0 for all
    int32_t kernelForced = 0;     // 1 when --kernel was given
    VectorKernel kernel = kKernelPlain;
    int32_t seeds = 1;  // reaction-diffusion pictures, seeds seed .. seed + K - 1
    int32_t threads = 0;  // drawing threads, the caller included; 0: one per logical processor
    int32_t flushSubnormals = 0;  // 1: flush-to-zero and denormals-are-zero while timing
    int32_t pathsOnly = 0;  // 1: print the measured paths and time nothing
};

// Reads argv[1..argc-1] into options. Returns null on success, or a short message
// naming what was wrong; options is then partly filled and should not be used.
const char* ParseBenchOptions(int argc, const char* const* argv, BenchOptions* options);

// Index of a figure name in BenchFigureNames, or -1.
int FindBenchFigure(const char* name);

// Whether the options ask for figure i.
inline bool BenchWants(const BenchOptions& options, int figure) {
    return options.only == 0 || (options.only >> figure & 1u) != 0;
}

// The usage text, one option per line.
extern const char* const BenchUsage;
