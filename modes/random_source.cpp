#include "modes/random_source.h"

#include "app/art_state.h"

uint32_t NextRandom() {
    art.randomState = XorShift(art.randomState);
    return art.randomState;
}

double RandomUnit() { return (NextRandom() & 0xFFFFFFu) * (1.0 / 16777216.0); }

int RandomBelow(int n) {
    if (n <= 0) return 0;
    return static_cast<int>(NextRandom() % static_cast<uint32_t>(n));
}

int RandomColour() { return static_cast<int>(NextRandom() % 255u) + 1; }

uint32_t SeedFromClock(uint32_t timeSeconds, uint32_t tickCount) {
    uint32_t seed = timeSeconds ^ tickCount;
    return seed == 0 ? 0xC0FFEEu : seed;
}
