// The one random stream of the program: a 32-bit xorshift state in art.randomState,
// shared by every drawing mode, the random palette and the zoom's re-targeting. Each
// consumer takes its numbers in a fixed order, so a seed and a sequence of actions
// always give the same pictures.
#pragma once
#include <cstdint>

// One xorshift step; stores and returns the new state.
uint32_t NextRandom();
// The low 24 bits of the next number, as a double in [0, 1).
double RandomUnit();
// NextRandom() % n; for n <= 0 the result is 0 and no number is drawn.
int RandomBelow(int n);
// A colour index of the cycling ring, 1..255.
int RandomColour();

// The start-up seed: the clock's seconds XOR the tick count, never 0 (a zero state
// would never change).
uint32_t SeedFromClock(uint32_t timeSeconds, uint32_t tickCount);

// The xorshift step itself, for generators that keep the state in a local.
inline uint32_t XorShift(uint32_t x) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}
