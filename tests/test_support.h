// Shared set-up of the unit tests: a fresh ArtState with a Canvas of a chosen size.
#pragma once
#include <cstdint>
#include <vector>

#include "app/art_state.h"

// Resets art and the fake platform and allocates a zero-filled Canvas of w x h.
void UseCanvas(int32_t w, int32_t h, uint32_t seed = 0xC0FFEE);

// Also gives the Canvas frame pixels, as the DIB section would.
void UseCanvasWithFrame(int32_t w, int32_t h, uint32_t seed = 0xC0FFEE);

// Releases whatever UseCanvas and the modes allocated and resets art.
void ReleaseTestState();

// A copy of the Canvas.
std::vector<uint8_t> CanvasCopy();

// Which of the 256 indices occur in the Canvas.
std::vector<bool> IndicesUsed();

// Number of xorshift steps from one state to another (at most limit; -1 if not found).
long StepsBetween(uint32_t from, uint32_t to, long limit = 100000000);
