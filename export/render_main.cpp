// huemix-render: Huemix's pictures and colour-cycling loops without a window.
#include <cstdio>
#include <ctime>

#include "app/art_state.h"
#include "app/frame.h"
#include "export/offline_job.h"
#include "export/offline_options.h"
#include "export/recipe.h"
#include "export/render_animation.h"
#include "export/render_output.h"
#include "huemix_version.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "palette/presets.h"

namespace {
constexpr int kBadRun = 2;

int Fail(const char* message) {
    std::fprintf(stderr, "huemix-render: %s\n", message);
    return kBadRun;
}

// The program's seed: the clock's seconds XOR the milliseconds since the system
// started, which is what GetTickCount counts.
uint32_t ClockSeed() {
    timespec up = {};
    clock_gettime(CLOCK_BOOTTIME, &up);
    const uint64_t ms = static_cast<uint64_t>(up.tv_sec) * 1000u + static_cast<uint64_t>(up.tv_nsec) / 1000000u;
    return SeedFromClock(static_cast<uint32_t>(std::time(nullptr)), static_cast<uint32_t>(ms));
}

int32_t WritePicture(const OfflineOptions& o, RenderTarget* target, const char* recipe, char* error,
                     size_t errorSize) {
    const int32_t w = art.canvasWidth;
    const int32_t h = art.canvasHeight;
    if (o.format != kFormatPng) return WriteAnimation(o, target, recipe, error, errorSize);
    if (o.overlay == kOverlayNone) return WriteIndexedPng(target, w, h, art.canvas, art.palette, recipe, error, errorSize);
    ComposeFrame();
    return WriteRgbPng(target, w, h, art.dibPixels, recipe, error, errorSize);
}

// --recipe: the picture's options from the PNG's recipe.
int32_t TakeRecipe(OfflineOptions* options, char* error, size_t errorSize) {
    char text[kRecipeCapacity];
    char reason[400];
    const char* kind = "";
    Recipe recipe;
    bool read = ReadPngRecipe(options->recipePath, text, sizeof text, reason, sizeof reason) == 0;
    if (read && ParseRecipe(text, &recipe, reason, sizeof reason) != 0) {
        kind = "bad recipe: ";
        read = false;
    }
    if (!read) {
        char quoted[72];
        QuoteArgument(options->recipePath, quoted, sizeof quoted);
        std::snprintf(error, errorSize, "--recipe '%s': %s%s", quoted, kind, reason);
        return -1;
    }
    ApplyRecipe(recipe, options);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    OfflineOptions options;
    char error[640];
    const int32_t parsed = ParseOfflineOptions(argc, argv, &options, error, sizeof error);
    if (parsed == kParseHelp) {
        std::fputs(OfflineUsage, stdout);
        return 0;
    }
    if (parsed == kParseVersion) {
        std::printf("huemix-render %s\n", HUEMIX_VERSION);
        return 0;
    }
    if (parsed == kParseError) return Fail(error);
    if (options.recipePath && TakeRecipe(&options, error, sizeof error) != 0) return Fail(error);

    // The file first: a folder that cannot be written is known before any drawing.
    RenderTarget target;
    if (OpenTarget(options.output, &target, error, sizeof error) != 0) return Fail(error);

    const uint32_t seed = EffectiveSeed(options, ClockSeed());
    Recipe recipe;
    if (RunOfflineJob(options, seed, &recipe) != 0) {
        DiscardTarget(&target);
        std::snprintf(error, sizeof error, "--size %dx%d: not enough memory for a picture of this size",
                      options.width, options.height);
        return Fail(error);
    }
    char recipeText[kRecipeCapacity];
    const bool described = FormatRecipe(recipe, recipeText, sizeof recipeText) >= 0;
    if (WritePicture(options, &target, described ? recipeText : nullptr, error, sizeof error) != 0 ||
        CommitTarget(&target, error, sizeof error) != 0) {
        DiscardTarget(&target);
        ReleaseOfflineJob();
        return Fail(error);
    }

    char animation[64] = "";
    if (options.format != kFormatPng) {
        std::snprintf(animation, sizeof animation, ", %d frames of %d ms", options.frames, options.delayMs);
    }
    std::printf("huemix-render: wrote %s, %dx%d%s, mode %d %s, preset %d %s, seed %u, random state 0x%08X\n",
                options.output, art.canvasWidth, art.canvasHeight, animation, art.currentMode,
                ModeNames[art.currentMode], art.currentPreset, PresetNames[art.currentPreset], seed,
                art.randomState);
    ReleaseOfflineJob();
    return 0;
}
