// Fuzz target: the recipe reader over arbitrary text, as a PNG's Comment may hold.
//
// The input is the text, in a heap block of exactly its length plus the terminator.
// A refused text must get a one-line reason; an accepted one must hold values in their
// ranges, write out again, and read back to the very same text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "export/offline_options.h"
#include "export/recipe.h"

namespace {
[[noreturn]] void Fail(const char* what, const char* text) {
    std::fprintf(stderr, "fuzz_recipe: %s: '%s'\n", what, text);
    std::abort();
}

bool InRange(const Recipe& r) {
    return r.mode >= 0 && r.mode <= 9 && r.seed != 0 && r.paletteSeed != 0 && r.preset >= 0 && r.preset <= 10 &&
           r.intervalMs >= 1 && r.intervalMs <= kRecipeMaxIntervalMs && (r.step == 1 || r.step == 2 || r.step == 4 || r.step == 8) &&
           (r.direction == 1 || r.direction == -1) && (r.paused == 0 || r.paused == 1) &&
           r.hueShift >= -kRecipeMaxHue && r.hueShift <= kRecipeMaxHue && r.saturationFactor >= 0.0 &&
           r.saturationFactor <= kRecipeMaxFactor && r.brightnessFactor >= 0.0 && r.brightnessFactor <= kRecipeMaxFactor &&
           r.ticks >= 0 && r.zoomFrames >= 0 && !SizeProblem(r.width, r.height);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char* text = static_cast<char*>(std::malloc(size + 1));
    if (!text) return 0;
    std::memcpy(text, data, size);
    text[size] = '\0';
    Recipe r;
    char error[200];
    if (ParseRecipe(text, &r, error, sizeof error) != 0) {
        if (!error[0] || std::strchr(error, '\n') || std::strchr(error, '\r')) Fail("no one-line reason", text);
    } else {
        if (!InRange(r)) Fail("a value out of its range was taken", text);
        char once[kRecipeCapacity];
        char twice[kRecipeCapacity];
        Recipe again;
        if (FormatRecipe(r, once, sizeof once) < 0) Fail("an accepted recipe does not write out", text);
        if (ParseRecipe(once, &again, error, sizeof error) != 0) Fail("a written recipe is refused", once);
        if (FormatRecipe(again, twice, sizeof twice) < 0 || std::strcmp(once, twice) != 0) {
            Fail("a written recipe reads back to another", once);
        }
    }
    std::free(text);
    return 0;
}
