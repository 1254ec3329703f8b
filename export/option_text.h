// Reading the values of options and recipes, and quoting them back in messages: what
// the renderer's command line and the recipe of a picture share.
#pragma once
#include <cstddef>
#include <cstdint>

// The largest Canvas the renderer and a recipe ask for.
constexpr int32_t kOfflineMaxSide = 65535;
constexpr int64_t kOfflineMaxPixels = int64_t{1} << 28;

// Readers shared with the recipe: a whole number with an optional sign (saturating
// far outside any range); a random state, decimal or 0x hex; a finite decimal number;
// WIDTHxHEIGHT. Each takes the whole text or fails.
bool ReadWholeText(const char* text, int64_t* value);
bool ReadSeedText(const char* text, uint32_t* seed);
bool ReadRealText(const char* text, double* value);
bool ReadSizeText(const char* text, int64_t* width, int64_t* height);
// Why a Canvas size cannot be had (each side 1..65535, pixels up to the cap), or null.
const char* SizeProblem(int64_t width, int64_t height);
// A value for a message: control characters as '?', cut with "..." when too long.
void QuoteArgument(const char* text, char* out, size_t outSize);
