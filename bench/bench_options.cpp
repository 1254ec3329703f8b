#include "bench/bench_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "modes/workers.h"

const char* const BenchFigureNames[kBenchFigureCount] = {
    "splash",         "plasma",         "voronoi",        "phyllotaxis",  "string-art",
    "reaction-diffusion", "landscape",  "squares",        "zoom-frame-1", "zoom-frame-200",
    "zoom-frame-400", "zoom-frame-600", "zoom-frame-740", "buddhabrot",   "compose",
};

const int BenchZoomFrames[kBenchZoomFrameCount] = {1, 200, 400, 600, 740};

const char* const BenchUsage =
    "usage: huemix-bench [options]\n"
    "  --size WxH    Canvas size (default 1920x1080; the Canvas is at least 320x200)\n"
    "  --reps N      repetitions of each figure, the median is printed (default 5)\n"
    "  --seed S      random state before each picture, 1..4294967295 (default 0x5EED1234)\n"
    "  --only LIST   time only these figures, names separated by commas: splash, plasma,\n"
    "                voronoi, phyllotaxis, string-art, reaction-diffusion, landscape,\n"
    "                squares, zoom-frame-N (N = 1, 200, 400, 600, 740), buddhabrot, compose\n"
    "  --kernel K    force a code path: plain, sse2, avx2, avx512\n"
    "  --seeds K     reaction-diffusion pictures from seeds S .. S+K-1 (default 1)\n"
    "  --threads N   draw on N threads, 1..64 (default: one per logical processor)\n"
    "  --flush-subnormals  time with flush-to-zero and denormals-are-zero on: a measuring\n"
    "                aid that shows what subnormal numbers cost; the pictures differ.\n"
    "                Draws on one thread: the setting is each thread's own\n"
    "  --paths-only  measure each mode's code path, print the choices and stop\n"
    "Prints a line naming the processor, then one line per figure, NAME WxH MEDIAN_MS\n"
    "PATH, PATH being the code path the figure took. With --seeds above 1 the\n"
    "reaction-diffusion figure is the median over the seeds, and a further line\n"
    "reaction-diffusion-worst WxH MS gives the slowest seed's figure.\n";

namespace {
constexpr long long kMaxSide = 16384;
constexpr long long kMaxReps = 100000;
constexpr long long kMaxSeeds = 10000;

// A whole number in [low, high]: decimal, or hexadecimal after 0x. No sign, no spaces.
bool ParseNumber(const char* text, long long low, long long high, long long* value) {
    if (text == nullptr || *text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0') return false;
    if (parsed > static_cast<unsigned long long>(high) || static_cast<long long>(parsed) < low) return false;
    *value = static_cast<long long>(parsed);
    return true;
}

// "WxH" with two decimal sides of 1..kMaxSide.
bool ParseSize(const char* text, int32_t* width, int32_t* height) {
    long long sides[2] = {0, 0};
    const char* p = text;
    for (int side = 0; side < 2; ++side) {
        const char* start = p;
        long long v = 0;
        while (*p >= '0' && *p <= '9' && v <= kMaxSide) v = v * 10 + (*p++ - '0');
        if (p == start || v < 1 || v > kMaxSide) return false;
        sides[side] = v;
        if (side == 0 && *p++ != 'x') return false;
    }
    if (*p != '\0') return false;
    *width = static_cast<int32_t>(sides[0]);
    *height = static_cast<int32_t>(sides[1]);
    return true;
}

bool Is(const char* text, const char* name) { return std::strcmp(text, name) == 0; }

// A message naming the argument it is about; valid until the next call.
const char* Problem(const char* what, const char* argument) {
    static char message[128];
    std::snprintf(message, sizeof message, "%s %.80s", what, argument);
    return message;
}

// "NAME" or "NAME,NAME,...": a bit for each, no empty names.
bool ParseFigureList(const char* text, uint32_t* figures) {
    uint32_t bits = 0;
    const char* p = text;
    for (;;) {
        const char* comma = std::strchr(p, ',');
        const size_t length = comma ? static_cast<size_t>(comma - p) : std::strlen(p);
        char name[32];
        if (length == 0 || length >= sizeof name) return false;
        std::memcpy(name, p, length);
        name[length] = '\0';
        const int figure = FindBenchFigure(name);
        if (figure < 0) return false;
        bits |= 1u << figure;
        if (!comma) break;
        p = comma + 1;
    }
    *figures = bits;
    return true;
}
}  // namespace

int FindBenchFigure(const char* name) {
    if (name == nullptr) return -1;
    for (int i = 0; i < kBenchFigureCount; ++i) {
        if (Is(name, BenchFigureNames[i])) return i;
    }
    return -1;
}

const char* ParseBenchOptions(int argc, const char* const* argv, BenchOptions* options) {
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (Is(option, "--flush-subnormals")) {
            options->flushSubnormals = 1;
            continue;
        }
        if (Is(option, "--paths-only")) {
            options->pathsOnly = 1;
            continue;
        }
        if (!Is(option, "--size") && !Is(option, "--reps") && !Is(option, "--seed") &&
            !Is(option, "--only") && !Is(option, "--kernel") && !Is(option, "--seeds") &&
            !Is(option, "--threads")) {
            return Problem("unknown option", option);
        }
        if (i + 1 >= argc) return Problem("no value after", option);
        const char* value = argv[++i];
        long long number = 0;
        if (Is(option, "--size")) {
            if (!ParseSize(value, &options->width, &options->height)) return "--size wants WxH, each side 1..16384";
        } else if (Is(option, "--reps")) {
            if (!ParseNumber(value, 1, kMaxReps, &number)) return "--reps wants a number 1..100000";
            options->reps = static_cast<int32_t>(number);
        } else if (Is(option, "--seed")) {
            // 0 is the one random state that never changes.
            if (!ParseNumber(value, 1, 0xFFFFFFFFll, &number)) return "--seed wants a number 1..4294967295";
            options->seed = static_cast<uint32_t>(number);
        } else if (Is(option, "--only")) {
            if (!ParseFigureList(value, &options->only)) return "--only wants figure names, separated by commas";
        } else if (Is(option, "--kernel")) {
            if (!ParseKernelName(value, &options->kernel)) return "--kernel wants plain, sse2, avx2 or avx512";
            options->kernelForced = 1;
        } else if (Is(option, "--threads")) {
            if (!ParseNumber(value, 1, kMaxDrawingThreads, &number)) return "--threads wants a number 1..64";
            options->threads = static_cast<int32_t>(number);
        } else {
            if (!ParseNumber(value, 1, kMaxSeeds, &number)) return "--seeds wants a number 1..10000";
            options->seeds = static_cast<int32_t>(number);
        }
    }
    return nullptr;
}
