// huemix-bench: times the drawing modes, frames of the Mandelbrot zoom and the frame
// composition at one Canvas size on one thread, and prints one line per figure,
// NAME WxH MEDIAN_MS PATH, after a line naming the processor. Every repetition of a figure draws the very same picture: the
// random state is set to the seed before each one.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define HUEMIX_HAVE_MXCSR 1
#else
#define HUEMIX_HAVE_MXCSR 0
#endif

#include "app/art_state.h"
#include "app/frame.h"
#include "app/memory.h"
#include "bench/bench_options.h"
#include "huemix_version.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "modes/processor.h"
#include "modes/random_source.h"
#include "modes/mode_trials.h"
#include "palette/presets.h"

namespace {
using Clock = std::chrono::steady_clock;

// --flush-subnormals: the MXCSR bits for flush-to-zero (15) and denormals-are-zero (6),
// set for the timed work only. Pictures drawn so are not the program's.
bool flushSubnormals = false;

struct FlushScope {
    unsigned saved = 0;
};

FlushScope BeginTimedWork() {
    FlushScope scope;
#if HUEMIX_HAVE_MXCSR
    scope.saved = _mm_getcsr();
    if (flushSubnormals) _mm_setcsr(scope.saved | 0x8040u);
#endif
    return scope;
}

void EndTimedWork(const FlushScope& scope) {
#if HUEMIX_HAVE_MXCSR
    _mm_setcsr(scope.saved);
#else
    (void)scope;
#endif
}

// The user of the vector paths behind each figure; -1 for modes with one path only.
int UserOfFigure(int figure) {
    if (figure == 0) return kUserSplash;
    if (figure == 1) return kUserPlasma;
    if (figure == 3) return kUserPhyllotaxis;
    if (figure == 5) return kUserReaction;
    if (figure >= kBenchFirstZoomFigure && figure < kBenchFirstZoomFigure + kBenchZoomFrameCount) return kUserZoom;
    if (figure == kBenchFigureCount - 2) return kUserBuddhabrot;
    if (figure == kBenchFigureCount - 1) return kUserCompose;
    return -1;
}

// The path each figure's picture takes, and how it was settled.
const char* PathOfFigure(int figure) {
    const int user = UserOfFigure(figure);
    return user < 0 ? "plain" : KernelName(KernelOfUser(static_cast<KernelUser>(user)));
}
const char* ChoiceOfFigure(int figure) {
    const int user = UserOfFigure(figure);
    return KernelChoiceName(user < 0 ? kChoiceOnly : KernelChoiceOf(static_cast<KernelUser>(user), KernelTrialFor(static_cast<KernelUser>(user))));
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) * 0.5;
}

void PrintFigure(const char* name, double ms) {
    int figure = FindBenchFigure(name);
    if (figure < 0) figure = FindBenchFigure("reaction-diffusion");
    std::printf("%s %dx%d %.3f %s %s\n", name, art.canvasWidth, art.canvasHeight, ms, PathOfFigure(figure),
                ChoiceOfFigure(figure));
    std::fflush(stdout);
}

// Settles every measured path before anything is timed, and says what each
// measurement cost: the program pays it once, the first time the mode draws.
void MeasurePaths() {
    for (int user = 0; user < kKernelUserCount; ++user) {
        const KernelUser u = static_cast<KernelUser>(user);
        if (KernelChoiceOf(u, KernelTrialFor(u)) != kChoiceMeasured) continue;
        const Clock::time_point start = Clock::now();
        const VectorKernel kernel = KernelOfUser(u);
        std::printf("# path measured for %s: %s, in %.2f ms\n", KernelUserName(u), KernelName(kernel),
                    MillisecondsSince(start));
    }
}

// Median time of one mode's picture, drawn from the same random state each time.
double TimeMode(int mode, uint32_t seed, int reps) {
    std::vector<double> times;
    for (int r = 0; r < reps; ++r) {
        art.randomState = seed;
        const FlushScope scope = BeginTimedWork();
        const Clock::time_point start = Clock::now();
        SelectMode(mode);
        times.push_back(MillisecondsSince(start));
        EndTimedWork(scope);
    }
    return Median(times);
}

// Seeds seed, seed + 1, ... in turn; 0 (after a wrap) becomes what the program would
// use for it.
void BenchReactionDiffusion(const BenchOptions& options) {
    std::vector<double> perSeed;
    for (int k = 0; k < options.seeds; ++k) {
        perSeed.push_back(TimeMode(5, SeedFromClock(options.seed + static_cast<uint32_t>(k), 0), options.reps));
    }
    PrintFigure("reaction-diffusion", Median(perSeed));
    if (options.seeds > 1) PrintFigure("reaction-diffusion-worst", *std::max_element(perSeed.begin(), perSeed.end()));
}

// A zoom toward target 0, driven frame after frame as the timer does. A frame depends
// only on the view, so each listed frame is timed again from the view saved before it.
void BenchZoom(const BenchOptions& options) {
    art.zoomHalfHeight = 1.6;
    art.zoomCentreX = ZoomTargets[0].re;
    art.zoomCentreY = ZoomTargets[0].im;
    art.randomState = options.seed;
    // Up to the last frame asked for.
    int lastFrame = 0;
    for (int i = 0; i < kBenchZoomFrameCount; ++i) {
        if (BenchWants(options, kBenchFirstZoomFigure + i)) lastFrame = BenchZoomFrames[i];
    }
    int next = 0;
    for (int frame = 1; frame <= lastFrame; ++frame) {
        if (frame != BenchZoomFrames[next]) {
            DrawMandelbrotZoom();
            continue;
        }
        const int figure = kBenchFirstZoomFigure + next;
        ++next;
        if (!BenchWants(options, figure)) {
            DrawMandelbrotZoom();
            continue;
        }
        const double halfHeight = art.zoomHalfHeight;
        const double centreX = art.zoomCentreX;
        const double centreY = art.zoomCentreY;
        const uint32_t state = art.randomState;
        std::vector<double> times;
        for (int r = 0; r < options.reps; ++r) {
            art.zoomHalfHeight = halfHeight;
            art.zoomCentreX = centreX;
            art.zoomCentreY = centreY;
            art.randomState = state;
            const FlushScope scope = BeginTimedWork();
            const Clock::time_point start = Clock::now();
            DrawMandelbrotZoom();
            times.push_back(MillisecondsSince(start));
            EndTimedWork(scope);
        }
        PrintFigure(BenchFigureNames[figure], Median(times));
    }
}

// ComposeFrame as the program calls it, status strip shown, over a plasma picture.
void BenchCompose(const BenchOptions& options, uint32_t* frame) {
    art.randomState = options.seed;
    DrawPlasma();
    art.dibPixels = frame;
    std::vector<double> times;
    // Composition is short: each repetition is the mean of a batch.
    constexpr int kBatch = 20;
    ComposeFrame();
    for (int r = 0; r < options.reps; ++r) {
        const FlushScope scope = BeginTimedWork();
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kBatch; ++i) ComposeFrame();
        times.push_back(MillisecondsSince(start) / kBatch);
        EndTimedWork(scope);
    }
    art.dibPixels = nullptr;
    PrintFigure("compose", Median(times));
}

bool WantsZoom(const BenchOptions& options) {
    for (int i = 0; i < kBenchZoomFrameCount; ++i) {
        if (BenchWants(options, kBenchFirstZoomFigure + i)) return true;
    }
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    // Before the options: --version answers whatever else is given.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("huemix-bench %s\n", HUEMIX_VERSION);
            return 0;
        }
    }
    BenchOptions options;
    const char* problem = ParseBenchOptions(argc, argv, &options);
    if (problem) {
        std::fprintf(stderr, "huemix-bench: %s\n%s", problem, BenchUsage);
        return 2;
    }
    if (options.kernelForced && !ForceKernel(options.kernel)) {
        std::fprintf(stderr, "huemix-bench: the %s path is not available on this processor (best: %s)\n",
                     KernelName(options.kernel), KernelName(BestKernel()));
        return 2;
    }
    if (AllocateCanvas(options.width, options.height) != 0) {
        std::fprintf(stderr, "huemix-bench: no memory for a %dx%d canvas\n", options.width, options.height);
        return 1;
    }
    flushSubnormals = options.flushSubnormals != 0;
    std::printf("# processor: %s, %s\n", ProcessorVendor(), ProcessorModel());
    if (flushSubnormals) {
        std::printf("# flush-to-zero and denormals-are-zero on while timing, on one drawing thread: a measuring aid, the pictures are not the program's\n");
    }
    MeasurePaths();
    if (options.pathsOnly) return 0;
    std::vector<uint32_t> frame(static_cast<size_t>(art.canvasWidth) * art.canvasHeight);
    art.randomState = options.seed;
    // The flushing is a setting of each thread's own: it holds for the calling thread only.
    art.drawingThreads = flushSubnormals ? 1 : options.threads;
    NewPalette();

    // Modes 0..7 in figure order; the zoom frames, the Buddhabrot and the composition follow.
    for (int mode = 0; mode <= 7; ++mode) {
        if (!BenchWants(options, mode)) continue;
        if (mode == 5) {
            BenchReactionDiffusion(options);
        } else {
            PrintFigure(BenchFigureNames[mode], TimeMode(mode, options.seed, options.reps));
        }
    }
    if (WantsZoom(options)) BenchZoom(options);
    if (BenchWants(options, kBenchFigureCount - 2)) PrintFigure("buddhabrot", TimeMode(9, options.seed, options.reps));
    if (BenchWants(options, kBenchFigureCount - 1)) BenchCompose(options, frame.data());

    ArtFree(art.zoomBuffer);
    ArtFree(art.orbitRe);
    ArtFree(art.orbitIm);
    art.zoomBuffer = nullptr;
    art.orbitRe = art.orbitIm = nullptr;
    ReleaseCanvas();
    return 0;
}
